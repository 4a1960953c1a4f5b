#include "linuxcnc_controller.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "map_command.h"
#include "tarvex_log.h"

namespace {

// Polls at Pitchwise's 100 ms: five seconds idle yet out of position means
// the move was cut short (a limit, an abort), not that it is still settling.
constexpr int IDLE_POLLS_MAX = 50;

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string LastWord(const std::string& text) {
    std::size_t space = text.find_last_of(' ');
    return space == std::string::npos ? text : text.substr(space + 1);
}

}  // namespace

CLinuxCncController::CLinuxCncController(const LinuxCncConfig& config,
                                         std::unique_ptr<CRshLink> link)
    : m_config(config), m_session(std::move(link)) {}

bool CLinuxCncController::Refuse(const std::string& line, const std::string& why) {
    // The shell's own "error:" lines say more than its NAK.
    const std::string& said = m_session.Refusal();
    LogMessage("refused \"" + line + "\": " + why + (said.empty() ? "" : "; " + said));
    return false;
}

bool CLinuxCncController::Get(const std::string& what, std::string& reply) {
    RshReply answer;
    if (!m_session.Request("get " + what, answer)) return false;
    reply = answer.answer;
    return !answer.refused;
}

bool CLinuxCncController::Set(const std::string& what) {
    RshReply answer;
    return m_session.Request("set " + what, answer) && answer.acked;
}

bool CLinuxCncController::Mdi(const std::string& code, double motionSeconds) {
    RshReply answer;
    if (!m_session.Request("set mdi " + code, answer, motionSeconds) || !answer.acked) return false;
    m_run.idlePolls = 0;
    return true;
}

double CLinuxCncController::RapidSeconds(double target) const {
    // Where the axis stands is not asked; it is within the joint's limits,
    // so the farthest limit bounds the move.
    const double farthest =
        std::max(std::fabs(target - m_run.ini.minLimit), std::fabs(target - m_run.ini.maxLimit));
    return MoveSeconds(farthest, m_run.rates.velocityUnitsPerSecond,
                       m_run.rates.accelerationUnitsPerSecond2);
}

bool CLinuxCncController::Init() {
    m_run = RunState();
    SetLogPath(m_config.logFile);
    return m_session.Open(m_config);
}

bool CLinuxCncController::Line(const char* text) {
    const std::string line = text != nullptr ? text : "";
    if (!m_session.IsOpen()) return Refuse(line, "no session with linuxcncrsh");
    if (m_run.faulted) return Refuse(line, "an earlier move did not end in position");
    const MapCommand command = ParseMapCommand(text);
    switch (command.kind) {
        case MapCommandKind::DISABLE_COMPENSATION:
            if (m_run.mapping) return Refuse(line, "only before the axis line");
            m_run.withoutCompensation = true;
            return true;
        case MapCommandKind::BEGIN_MAPPING:
            return BeginMapping(line, command.axis);
        case MapCommandKind::MOVE_TO_START:
            return MoveToStart(line, command.axis, command.value);
        case MapCommandKind::DWELL:
            if (!m_run.mapping) return Refuse(line, "no mapping begun");
            if (!Mdi(Format("G4 P%.3f", m_config.dwellSeconds), m_config.dwellSeconds))
                return Refuse(line, "LinuxCNC refused the dwell");
            m_run.motion = Motion::DWELL;
            return true;
        case MapCommandKind::ENTRY:
            return Entry(line, command.index, command.value);
        case MapCommandKind::STEP:
            return Step(line, command.axis, command.value);
        case MapCommandKind::END_MAPPING:
            return EndMapping(line);
        case MapCommandKind::UNKNOWN:
            break;
    }
    return Refuse(line, "not a command of a mapping run");
}

bool CLinuxCncController::BeginMapping(const std::string& line, char axis) {
    if (m_run.mapping) return Refuse(line, "a mapping is already running");
    const int axisIndex = AxisIndex(axis);
    m_run.joint = m_config.joint[axisIndex];
    std::string reply;
    if (!Get("machine", reply) || reply != "MACHINE ON")
        return Refuse(line, "the machine is not on (\"" + reply + "\")");
    bool homed = false;
    if (!Get("joint_homed " + std::to_string(m_run.joint), reply) ||
        !ParseJointHomed(reply, m_run.joint, homed) || !homed) {
        return Refuse(line, "joint " + std::to_string(m_run.joint) + " is not homed");
    }

    std::string iniText;
    if (m_config.iniFile.empty() || !ReadTextFile(m_config.iniFile, iniText)) {
        return Refuse(line, "cannot read the machine's INI file \"" + m_config.iniFile + "\"");
    }
    std::string folder = m_config.iniFile.substr(0, m_config.iniFile.find_last_of('/') + 1);
    if (!folder.empty()) folder.pop_back();
    m_run.ini = JointIni();
    if (!ParseJointIni(iniText, folder, m_run.joint, m_run.ini) || !m_run.ini.hasLimits) {
        return Refuse(line,
                      "the INI file has no limits for [JOINT_" + std::to_string(m_run.joint) + "]");
    }
    m_run.rates = ReadMotionRates(iniText, axis, m_run.joint);
    // LinuxCNC reads the file only at start: with COMP_FILE set, that file's
    // table is in force now, and nothing from outside can switch it off.
    m_run.compensationInForce = !m_run.ini.compFile.empty();
    const std::string& configured = m_config.compFile[axisIndex];
    if (m_run.compensationInForce && m_run.ini.compFileType != 0) {
        return Refuse(line, "COMP_FILE_TYPE of the joint is not 0");
    }
    if (m_run.compensationInForce && !configured.empty() && configured != m_run.ini.compFile) {
        return Refuse(line, "comp_file_" + std::string(1, static_cast<char>(std::tolower(axis))) +
                                " differs from the INI's COMP_FILE " + m_run.ini.compFile);
    }
    if (m_run.withoutCompensation && m_run.compensationInForce) {
        return Refuse(line, "L600: the compensation in " + m_run.ini.compFile +
                                " is in force; remove COMP_FILE from [JOINT_" +
                                std::to_string(m_run.joint) +
                                "] and restart LinuxCNC to measure without it");
    }
    m_run.compFile = m_run.compensationInForce ? m_run.ini.compFile : configured;
    if (m_run.compFile.empty()) return Refuse(line, "no compensation file named for the axis");

    std::string tableText;
    m_run.oldTable = ReadTextFile(m_run.compFile, tableText) ? ParseCompTable(tableText)
                                                             : std::vector<CompPoint>();
    if (!Set("mode mdi")) return Refuse(line, "LinuxCNC refused MDI mode");
    m_run.mapping = true;
    m_run.axis = axis;
    LogMessage("mapping axis " + std::string(1, axis) + " (joint " + std::to_string(m_run.joint) +
               ") into " + m_run.compFile +
               (m_run.compensationInForce ? ", refining the table in force"
                                          : ", no compensation in force"));
    return true;
}

bool CLinuxCncController::WithinLimits(double position) const {
    return position >= m_run.ini.minLimit && position <= m_run.ini.maxLimit;
}

bool CLinuxCncController::MoveToStart(const std::string& line, char axis, double position) {
    if (!m_run.mapping || axis != m_run.axis) return Refuse(line, "not the axis being mapped");
    if (m_run.haveStart) return Refuse(line, "the start is already set");
    if (!WithinLimits(position)) return Refuse(line, "the start lies outside the joint's limits");
    if (!Mdi(Format(("G53 G0 " + std::string(1, axis) + "%.6f").c_str(), position),
             RapidSeconds(position))) {
        return Refuse(line, "LinuxCNC refused the move");
    }
    m_run.haveStart = true;
    m_run.start = m_run.target = position;
    m_run.moves = 1;
    m_run.motion = Motion::MOVE;
    return true;
}

bool CLinuxCncController::Step(const std::string& line, char axis, double offset) {
    if (!m_run.haveStart || axis != m_run.axis) return Refuse(line, "no start on this axis");
    if (static_cast<int>(m_run.entries.size()) != m_run.moves)
        return Refuse(line, "the point reached has no entry yet");
    if (m_run.moves >= static_cast<int>(COMP_TABLE_MAX))
        return Refuse(line, "the table would exceed 256 points");
    const double target = m_run.start + offset;
    const int direction = target > m_run.target ? 1 : target < m_run.target ? -1 : 0;
    if (direction == 0 || (m_run.direction != 0 && direction != m_run.direction)) {
        return Refuse(line, "a step must go on in the run's direction");
    }
    if (!WithinLimits(target)) return Refuse(line, "the point lies outside the joint's limits");
    char code[96];
    std::snprintf(code, sizeof code, "G53 G1 %c%.6f F%.3f", axis, target, m_config.feed);
    const double velocity =
        std::min(m_config.feed / 60.0, m_run.rates.velocityUnitsPerSecond);  // feed is per minute
    if (!Mdi(code, MoveSeconds(target - m_run.target, velocity,
                               m_run.rates.accelerationUnitsPerSecond2))) {
        return Refuse(line, "LinuxCNC refused the move");
    }
    m_run.direction = direction;
    m_run.target = target;
    ++m_run.moves;
    m_run.motion = Motion::MOVE;
    return true;
}

bool CLinuxCncController::Entry(const std::string& line, int index, double correction) {
    if (!m_run.haveStart) return Refuse(line, "no start yet");
    if (index != static_cast<int>(m_run.entries.size()) || index != m_run.moves - 1) {
        return Refuse(line, "expected the entry for point " + std::to_string(m_run.moves - 1));
    }
    if (index == 0 && correction != 0.0)
        return Refuse(line, "the start is the reference: its entry is 0");
    if (std::fabs(correction) > m_config.maxCorrection) {
        return Refuse(line,
                      Format("the correction exceeds max_correction %g", m_config.maxCorrection));
    }
    if (index > 0) {
        const MapEntry& previous = m_run.entries.back();
        const double allowed = std::fabs(m_run.target - previous.nominal) * m_config.maxChangeRatio;
        if (std::fabs(correction - previous.correction) > allowed + 1e-9) {
            return Refuse(line, Format("the change from the previous point exceeds %g", allowed));
        }
    }
    // Kept as nominal and correction until the end, when the run's direction is known.
    m_run.entries.push_back(MapEntry{m_run.target, correction});
    // The old table's points stay, so the union of both must fit.
    if (MergeRun(m_run.oldTable, RunActuals(m_run.direction >= 0), m_run.direction >= 0).size() >
        COMP_TABLE_MAX) {
        m_run.entries.pop_back();
        return Refuse(line, "the table with the file's other points would exceed 256 points");
    }
    return true;
}

bool CLinuxCncController::EndMapping(const std::string& line) {
    if (!m_run.mapping || m_run.entries.empty() ||
        static_cast<int>(m_run.entries.size()) != m_run.moves) {
        return Refuse(line, "the mapping is not complete");
    }
    const bool positive = m_run.direction >= 0;
    std::vector<CompPoint> table = MergeRun(m_run.oldTable, RunActuals(positive), positive);
    if (table.size() > COMP_TABLE_MAX)
        return Refuse(line, "the merged table would exceed 256 points");
    std::string error;
    if (!WriteCompTable(m_run.compFile, table, error)) return Refuse(line, error);
    LogMessage("wrote " + std::to_string(table.size()) + " points to " + m_run.compFile + " (" +
               (positive ? "positive" : "negative") + " column); restart LinuxCNC to use it");
    m_run.mapping = false;
    return true;
}

std::vector<RunPoint> CLinuxCncController::RunActuals(bool positive) const {
    // A run measures the actual position as nominal minus correction, on top
    // of whatever table was in force while it measured.
    double tie = 0.0;
    if (!m_run.compensationInForce && !m_run.oldTable.empty()) {
        // The other direction's column already says where the machine really
        // was at this start: begin there, so the two columns share one
        // reference and no false backlash appears between them.
        tie = ActualAt(m_run.oldTable, !positive, m_run.start) - m_run.start;
    }
    std::vector<RunPoint> run;
    for (const MapEntry& entry : m_run.entries) {
        double base = m_run.compensationInForce ? ActualAt(m_run.oldTable, positive, entry.nominal)
                                                : entry.nominal;
        run.push_back(RunPoint{entry.nominal, base - entry.correction + tie});
    }
    std::sort(run.begin(), run.end(),
              [](const RunPoint& a, const RunPoint& b) { return a.nominal < b.nominal; });
    return run;
}

bool CLinuxCncController::InMotion() {
    if (m_run.motion == Motion::NONE) return false;
    std::string reply;
    if (!Get("program_status", reply)) {
        LogMessage("lost linuxcncrsh while waiting for motion");
        m_run.motion = Motion::NONE;
        m_run.faulted = true;
        return false;
    }
    if (reply != "PROGRAM_STATUS IDLE") return true;
    if (m_run.motion == Motion::DWELL) {
        m_run.motion = Motion::NONE;
        return false;
    }
    double position = 0.0;
    if (Get("joint_pos " + std::to_string(m_run.joint), reply)) {
        position = std::strtod(LastWord(reply).c_str(), nullptr);
        if (std::fabs(position - m_run.target) <= m_config.inPositionTolerance) {
            m_run.motion = Motion::NONE;
            return false;
        }
    }
    if (++m_run.idlePolls < IDLE_POLLS_MAX) return true;
    std::string error;
    Get("error", error);
    LogMessage(Format("the move stopped at %.6f, not at the target", position) +
               Format(" %.6f: ", m_run.target) + error);
    m_run.motion = Motion::NONE;
    m_run.faulted = true;
    return false;
}

void CLinuxCncController::Finish() {
    // Closing the socket ends the session; "quit" has no reply to wait for.
    m_session.Close();
}
