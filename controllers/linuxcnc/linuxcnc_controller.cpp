#include "linuxcnc_controller.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "axis_report.h"
#include "map_command.h"
#include "refined_table.h"
#include "run_log_file.h"
#include "run_tie.h"
#include "tarvex_log.h"

namespace {

// Polls at Pitchwise's 100 ms: five seconds idle yet out of position means
// the move was cut short (a limit, an abort), not that it is still settling.
constexpr int IDLE_POLLS_MAX = 50;
// About five seconds of a program running or paused: long enough for any
// step, so the owner learns why the run waits (and the run waits on).
constexpr int BUSY_POLLS_NOTICE = 50;

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string LastWord(const std::string& text) {
    std::size_t space = text.find_last_of(' ');
    return space == std::string::npos ? text : text.substr(space + 1);
}

std::string Name(char axis) {
    return std::string(1, axis);
}

std::string Joint(int joint) {
    return "[JOINT_" + std::to_string(joint) + "]";
}

// "comp_x.dat" gives "comp_x-runs.csv" beside it.
std::string Beside(const std::string& path, const std::string& suffix) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    const bool extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (extension ? path.substr(0, dot) : path) + suffix;
}

// Written whole to a temporary file and renamed, so a reader never sees half.
bool WriteWholeFile(const std::string& path, const std::string& text, std::string& why) {
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "w");
    bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file != nullptr) written = std::fclose(file) == 0 && written;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        why = "cannot write " + path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool ModifiedAfter(const std::string& path, const timespec& start) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return false;
    return info.st_mtim.tv_sec > start.tv_sec ||
           (info.st_mtim.tv_sec == start.tv_sec && info.st_mtim.tv_nsec > start.tv_nsec);
}

}  // namespace

CLinuxCncController::CLinuxCncController(const LinuxCncConfig& config,
                                         std::unique_ptr<CRshLink> link)
    : m_config(config), m_session(std::move(link)) {}

bool CLinuxCncController::Refuse(const std::string& line, const std::string& why) {
    // The shell's own "error:" lines say more than its NAK.
    const std::string& said = m_session.Refusal();
    LogMessage("refused \"" + line + "\": " + why + (said.empty() ? "" : "; " + said));
    // Pitchwise ends the run at a refusal and never calls Tvx_Finish then:
    // hold on to control and no other linuxcncrsh session could take it.
    GiveBackControl();
    return false;
}

void CLinuxCncController::GiveBackControl() {
    if (m_session.IsOpen()) {
        RshReply reply;
        m_session.Request("set enable off", reply);
    }
    m_session.Close();
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
    m_run.busyPolls = 0;
    m_run.busyReported = false;
    return true;
}

double CLinuxCncController::RapidSeconds(double target) const {
    // Where the axis stands is not asked; it is within the limits, so the
    // farther limit bounds the move.
    const double farthest =
        std::max(std::fabs(target - m_run.axis.minLimit), std::fabs(target - m_run.axis.maxLimit));
    return MoveSeconds(farthest, m_run.rates.velocityUnitsPerSecond,
                       m_run.rates.accelerationUnitsPerSecond2);
}

bool CLinuxCncController::MoveTo(char axis, double position, const char* code) {
    char text[96];
    double seconds;
    if (std::strcmp(code, "G0") == 0) {
        std::snprintf(text, sizeof text, "G53 G0 %c%.6f", axis, position);
        seconds = RapidSeconds(position);
    } else {
        std::snprintf(text, sizeof text, "G53 G1 %c%.6f F%.3f", axis, position, m_run.config.feed);
        const double velocity = std::min(m_run.config.feed / 60.0,  // feed is per minute
                                         m_run.rates.velocityUnitsPerSecond);
        seconds =
            MoveSeconds(position - m_run.target, velocity, m_run.rates.accelerationUnitsPerSecond2);
    }
    if (!Mdi(text, seconds)) return false;
    m_run.target = position;
    m_run.motion = Motion::MOVE;
    return true;
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
    std::string why;
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
            if (!Ready(why)) return Refuse(line, why);
            if (!Mdi(Format("G4 P%.3f", m_run.config.dwellSeconds), m_run.config.dwellSeconds))
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

// The machine as LinuxCNC runs it: the INI it was started with, read as it
// reads it, and no file changed since.
bool CLinuxCncController::ReadMachine(char axis, std::string& why) {
    std::string reply;
    std::string iniPath = m_config.iniFile;
    if (Get("inifile", reply) && reply.compare(0, 8, "INIFILE ") == 0 && reply[8] == '/') {
        const std::string running = reply.substr(8);
        // With #INCLUDE lines LinuxCNC runs the expanded copy of the INI.
        const std::string expandedOf =
            EndsWith(running, ".expanded") ? running.substr(0, running.size() - 9) : running;
        if (!m_config.iniFile.empty() && m_config.iniFile != running &&
            m_config.iniFile != expandedOf) {
            why = "LinuxCNC runs " + running + ", not the configured ini " + m_config.iniFile;
            return false;
        }
        iniPath = running;
    }
    if (iniPath.empty()) {
        why = "LinuxCNC does not name its INI file and the configuration names none (ini)";
        return false;
    }
    CIniFile ini;
    if (!ini.Load(iniPath, why)) return false;
    const std::string folder = iniPath.substr(0, iniPath.find_last_of('/'));
    if (!DescribeAxis(ini, folder, axis, m_run.axis, why)) return false;
    std::vector<int> joints;
    for (const JointIni& joint : m_run.axis.joints) joints.push_back(joint.joint);
    m_run.rates = ReadMotionRates(ini, axis, joints);

    struct stat lock {};
    if (stat(m_config.lockFile.c_str(), &lock) != 0) {
        why = "cannot tell when LinuxCNC started (no " + m_config.lockFile + ")";
        return false;
    }
    m_run.linuxCncStart = static_cast<double>(lock.st_mtim.tv_sec);
    std::vector<std::string> files = ini.Files();
    for (const JointIni& joint : m_run.axis.joints) {
        if (!joint.compFile.empty()) files.push_back(joint.compFile);
    }
    for (const std::string& file : files) {
        if (ModifiedAfter(file, lock.st_mtim)) {
            why = file +
                  " changed after LinuxCNC started, so LinuxCNC runs something else: "
                  "restart LinuxCNC";
            return false;
        }
    }
    return true;
}

bool CLinuxCncController::ModalStateFits(std::string& why) {
    std::string reply;
    if (!Get("program_codes", reply)) {
        why = "cannot read LinuxCNC's active G codes";
        return false;
    }
    std::istringstream words(reply);
    std::vector<std::string> codes;
    for (std::string word; words >> word;) codes.push_back(word);
    auto active = [&codes](const char* code) {
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    };
    const bool inch = m_run.axis.mmPerUnit != 1.0;
    const char* units = inch ? "G20" : "G21";
    // The lines are plain numbers in the machine's unit, absolute, at a
    // feed per minute: any other mode would move somewhere else or at
    // another speed. The operator's modes are left alone; the run refuses.
    std::string missing;
    if (!active(units)) missing += std::string(" ") + units;
    if (!active("G90")) missing += " G90";
    if (!active("G94")) missing += " G94";
    if (active("G7")) missing += " G8";
    if (missing.empty()) return true;
    why = "the active modes (" + reply + ") differ from what the run needs: run" + missing +
          " in MDI first";
    return false;
}

// Before every move and before every entry is accepted: a switch to manual
// or a machine gone off would otherwise let a jog be measured as a point.
bool CLinuxCncController::Ready(std::string& why) {
    std::string reply;
    if (!Get("machine", reply) || reply != "MACHINE ON") {
        why = "the machine is not on (\"" + reply + "\")";
        return false;
    }
    if (!Get("mode", reply) || reply != "MODE MDI") {
        why = "LinuxCNC left MDI mode (\"" + reply + "\")";
        return false;
    }
    if (!Get("program_status", reply) || reply != "PROGRAM_STATUS IDLE") {
        why = "LinuxCNC is not idle (\"" + reply + "\")";
        return false;
    }
    return true;
}

bool CLinuxCncController::InPosition(std::string& why) {
    for (const JointIni& joint : m_run.axis.joints) {
        std::string reply;
        if (!Get("joint_pos " + std::to_string(joint.joint), reply)) {
            why = "cannot read the position of joint " + std::to_string(joint.joint);
            return false;
        }
        const double position = std::strtod(LastWord(reply).c_str(), nullptr);
        if (std::fabs(position - m_run.target) > m_run.config.inPositionTolerance) {
            why = "joint " + std::to_string(joint.joint) + Format(" stands at %.6f", position) +
                  Format(", not at the point %.6f", m_run.target);
            return false;
        }
    }
    return true;
}

bool CLinuxCncController::BeginMapping(const std::string& line, char axis) {
    if (m_run.mapping) return Refuse(line, "a mapping is already running");
    std::string reply;
    std::string why;
    if (!Get("machine", reply) || reply != "MACHINE ON")
        return Refuse(line, "the machine is not on (\"" + reply + "\")");
    // A paused program would take the mode switch and the moves, and Cycle
    // Start would resume it afterwards.
    if (!Get("program_status", reply) || reply != "PROGRAM_STATUS IDLE")
        return Refuse(line, "LinuxCNC is not idle (\"" + reply + "\"): end the program first");
    if (!ReadMachine(axis, why)) return Refuse(line, why);
    m_run.config = InMachineUnit(m_config, m_run.axis.mmPerUnit);
    const std::vector<JointIni>& joints = m_run.axis.joints;
    const int configured = m_config.joint[AxisIndex(axis)];
    if (configured >= 0 && configured != joints.front().joint) {
        return Refuse(line, "joint_" + std::string(1, static_cast<char>(std::tolower(axis))) +
                                " = " + std::to_string(configured) + ", but the kinematics drive " +
                                Name(axis) + " with joint " + std::to_string(joints.front().joint));
    }
    for (const JointIni& joint : joints) {
        bool homed = false;
        if (!Get("joint_homed " + std::to_string(joint.joint), reply) ||
            !ParseJointHomed(reply, joint.joint, homed) || !homed)
            return Refuse(line, "joint " + std::to_string(joint.joint) + " is not homed");
        // One table for a gantry's joints: the QSB measures one carriage, and
        // the same correction on both sides keeps them square, where a table
        // for one joint alone would rack the gantry by the correction.
        if (joint.compFile != joints.front().compFile ||
            joint.compFileType != joints.front().compFileType) {
            return Refuse(line, Name(axis) + " is driven by joints " +
                                    std::to_string(joints.front().joint) + " and " +
                                    std::to_string(joint.joint) +
                                    ": both must name the same COMP_FILE and COMP_FILE_TYPE, "
                                    "which the run writes for both");
        }
    }

    // LinuxCNC reads the table only at start: with COMP_FILE set, that file's
    // table is in force now, and nothing from outside can switch it off.
    const JointIni& first = joints.front();
    m_run.compensationInForce = !first.compFile.empty();
    if (m_run.compensationInForce && first.compFileType != 0)
        return Refuse(line, "COMP_FILE_TYPE of " + Joint(first.joint) + " is not 0");
    const std::string& configuredFile = m_config.compFile[AxisIndex(axis)];
    if (m_run.compensationInForce && !configuredFile.empty() && configuredFile != first.compFile) {
        return Refuse(line, "comp_file_" + std::string(1, static_cast<char>(std::tolower(axis))) +
                                " differs from the INI's COMP_FILE " + first.compFile);
    }
    if (m_run.withoutCompensation && m_run.compensationInForce) {
        return Refuse(line, "L600: the compensation in " + first.compFile +
                                " is in force; remove COMP_FILE from " + Joint(first.joint) +
                                " and restart LinuxCNC to measure without it");
    }
    for (const JointIni& joint : joints) {
        // LinuxCNC applies BACKLASH only while no table is loaded: the run
        // would measure that correction as the machine's own error, and the
        // table, once loaded, switches it off.
        if (!m_run.compensationInForce && joint.backlash != 0.0) {
            return Refuse(line, Joint(joint.joint) + Format("BACKLASH = %g", joint.backlash) +
                                    " is in force while no table is: set it to 0 (the table "
                                    "takes its place) and restart LinuxCNC");
        }
    }
    m_run.compFile = m_run.compensationInForce ? first.compFile : configuredFile;
    if (m_run.compFile.empty()) return Refuse(line, "no compensation file named for the axis");
    if (!ModalStateFits(why)) return Refuse(line, why);

    std::string tableText;
    if (ReadTextFile(m_run.compFile, tableText)) {
        // The run's table is built on this one: what LinuxCNC would not read
        // must be mended by its owner first.
        if (!CheckCompTableText(tableText, why)) return Refuse(line, m_run.compFile + ": " + why);
        m_run.oldTable = ParseCompTable(tableText);
    }
    m_run.runLog = Beside(m_run.compFile, "-runs.csv");
    m_run.report = Beside(m_run.compFile, "-report.txt");
    if (!Set("mode mdi") || !Get("mode", reply) || reply != "MODE MDI")
        return Refuse(line, "LinuxCNC did not switch to MDI mode (\"" + reply + "\")");
    m_run.mapping = true;
    std::string jointNames;
    for (const JointIni& joint : joints)
        jointNames += (jointNames.empty() ? "" : " and ") + std::to_string(joint.joint);
    LogMessage("mapping axis " + Name(axis) + " (joint " + jointNames + ") into " + m_run.compFile +
               (m_run.compensationInForce ? ", verifying the table in force"
                                          : ", no compensation in force"));
    return true;
}

bool CLinuxCncController::WithinLimits(double position) const {
    return position >= m_run.axis.minLimit && position <= m_run.axis.maxLimit;
}

bool CLinuxCncController::MoveToStart(const std::string& line, char axis, double position) {
    if (!m_run.mapping || axis != m_run.axis.axis) return Refuse(line, "not the axis being mapped");
    if (m_run.haveStart) return Refuse(line, "the start is already set");
    if (!WithinLimits(position)) return Refuse(line, "the start lies outside the joint's limits");
    std::string why;
    if (!Ready(why) || !ModalStateFits(why)) return Refuse(line, why);
    const int side = ChooseApproachSide(position, m_run.axis.minLimit, m_run.axis.maxLimit);
    if (side == 0) return Refuse(line, "the limits leave no room to approach the start");
    // Through a point beyond the start, so the carriage reaches the start
    // moving in a known direction whichever side it stood on.
    const double via = ApproachPoint(side, position, m_run.config.approachDistance,
                                     m_run.axis.minLimit, m_run.axis.maxLimit);
    if (!MoveTo(axis, via, "G0")) return Refuse(line, "LinuxCNC refused the move");
    m_run.pendingStart = true;
    m_run.haveStart = true;
    m_run.start = position;
    m_run.approach = side;
    m_run.moves = 1;
    LogMessage(Format("start %.6f reached moving ", position) +
               (side > 0 ? "positive" : "negative") + Format(" from %.6f", via));
    return true;
}

bool CLinuxCncController::Step(const std::string& line, char axis, double offset) {
    if (!m_run.haveStart || axis != m_run.axis.axis) return Refuse(line, "no start on this axis");
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
    if (m_run.direction == 0 && !RunCanBeTied(m_run.oldTable, m_run.compensationInForce,
                                              m_run.approach, m_run.start, target)) {
        const char* approach = m_run.approach > 0 ? "positive" : "negative";
        return Refuse(line, std::string("the start was reached moving ") + approach +
                                " and the table has no " + approach +
                                " column over the first step to tie this run to: map the " +
                                approach + " direction over this range first");
    }
    std::string why;
    if (!Ready(why)) return Refuse(line, why);
    if (!MoveTo(axis, target, "G1")) return Refuse(line, "LinuxCNC refused the move");
    m_run.direction = direction;
    ++m_run.moves;
    return true;
}

bool CLinuxCncController::Entry(const std::string& line, int index, double correction) {
    if (!m_run.haveStart) return Refuse(line, "no start yet");
    if (index != static_cast<int>(m_run.entries.size()) || index != m_run.moves - 1) {
        return Refuse(line, "expected the entry for point " + std::to_string(m_run.moves - 1));
    }
    // The reading was taken after the dwell: the machine must still stand
    // where the run put it, in the run's hands.
    std::string why;
    if (m_run.motion != Motion::NONE) return Refuse(line, "the machine is still moving");
    if (!Ready(why) || !InPosition(why)) return Refuse(line, why);
    if (index == 0 && correction != 0.0)
        return Refuse(line, "the start is the reference: its entry is 0");
    if (std::fabs(correction) > m_run.config.maxCorrection) {
        return Refuse(
            line, Format("the correction exceeds max_correction %g", m_run.config.maxCorrection));
    }
    if (index > 0) {
        const MapEntry& previous = m_run.entries.back();
        const double allowed =
            std::fabs(m_run.target - previous.nominal) * m_run.config.maxChangeRatio;
        if (std::fabs(correction - previous.correction) > allowed + 1e-9) {
            return Refuse(line, Format("the change from the previous point exceeds %g", allowed));
        }
    }
    // Kept as nominal and correction until the end, when the run's direction is known.
    m_run.entries.push_back(MapEntry{m_run.target, correction});
    m_run.times.push_back(RunLogTimeNow());
    // The old table's points stay, so the union of both must fit.
    if (MergedTable().size() > COMP_TABLE_MAX) {
        m_run.entries.pop_back();
        m_run.times.pop_back();
        return Refuse(line, "the table with the file's other points would exceed 256 points");
    }
    return true;
}

RunReadings CLinuxCncController::Readings() const {
    RunReadings readings;
    readings.start = m_run.start;
    readings.approach = m_run.approach;
    // A run of the start alone has only the approach's direction.
    readings.direction = m_run.direction != 0 ? m_run.direction : m_run.approach;
    readings.compensationInForce = m_run.compensationInForce;
    readings.entries = m_run.entries;
    return readings;
}

std::vector<CompPoint> CLinuxCncController::MergedTable() const {
    const RunReadings readings = Readings();
    return MergeRun(m_run.oldTable, RunColumn(m_run.oldTable, readings), readings.direction > 0);
}

bool CLinuxCncController::EndMapping(const std::string& line) {
    if (!m_run.mapping || m_run.entries.empty() ||
        static_cast<int>(m_run.entries.size()) != m_run.moves) {
        return Refuse(line, "the mapping is not complete");
    }
    std::string why;
    if (!Ready(why) || !InPosition(why)) return Refuse(line, why);
    const RunReadings readings = Readings();
    const bool positive = readings.direction > 0;
    std::vector<RunPoint> column = RunColumn(m_run.oldTable, readings);
    std::vector<CompPoint> table = MergeRun(m_run.oldTable, column, positive);
    if (table.size() > COMP_TABLE_MAX)
        return Refuse(line, "the merged table would exceed 256 points");
    // A verification run's limits are checked on the candidate it leads to.
    if (!m_run.compensationInForce &&
        !JunctionsWithinSlope(table, column, positive, m_run.config.maxChangeRatio, why))
        return Refuse(line, why);

    LoggedRun run;
    run.axis = m_run.axis.axis;
    run.direction = positive ? Direction::UP : Direction::DOWN;
    run.tableInForce = m_run.compensationInForce;
    for (std::size_t i = 0; i < m_run.entries.size(); ++i) {
        LoggedPoint point;
        point.point = static_cast<int>(i);
        point.time = m_run.times[i];
        point.target = m_run.entries[i].nominal;
        point.correction = m_run.entries[i].correction;
        // The start is reached from its approach side; every step then
        // goes the run's way.
        point.approach = (i == 0 ? m_run.approach > 0 : positive) ? Direction::UP : Direction::DOWN;
        run.points.push_back(point);
    }
    // Kept before anything else is written: a table never holds a run the
    // log does not.
    if (!KeepRun(run, why)) return Refuse(line, "the run cannot be kept, so no table: " + why);
    RunLogReading log;
    if (!ReadRunLogFile(m_run.runLog, log, why)) return Refuse(line, why);
    if (m_run.compensationInForce) {
        // LinuxCNC runs the table it loaded until it restarts: changing the
        // file would measure every later run of this start against a table
        // that no longer matches it. The refinement is offered beside it.
        if (!WriteRefinedCandidate(run, log.runs, why))
            return Refuse(line, why + " (the run is kept in " + m_run.runLog + ")");
    } else {
        column = MeanColumn(column, run, log.runs);
        table = MergeRun(m_run.oldTable, column, positive);
        if (!JunctionsWithinSlope(table, column, positive, m_run.config.maxChangeRatio, why))
            return Refuse(line, why + " (the run is kept in " + m_run.runLog + ")");
        if (!WriteCompTable(m_run.compFile, table, why)) return Refuse(line, why);
        LogMessage("wrote " + std::to_string(table.size()) + " points to " + m_run.compFile + " (" +
                   (positive ? "positive" : "negative") + " column, the mean of measurement " +
                   std::to_string(run.measurement) + "); restart LinuxCNC to use it");
    }
    LogMessage("run " + std::to_string(run.run) + " kept in " + m_run.runLog);
    // The report is drawn from the log, which holds everything: a report
    // that cannot be written is said, and pitchwise-report makes it again.
    if (WriteReport(log.runs, why))
        LogMessage("figures of the runs in " + m_run.report);
    else
        LogMessage("no report: " + why);
    m_run.mapping = false;
    return true;
}

// A measurement is the runs on one reference: LinuxCNC's homing gives the
// axis its place, so a run after LinuxCNC restarted begins a new one, as
// does a run over other targets (run_log_file.h).
bool CLinuxCncController::KeepRun(LoggedRun& run, std::string& why) {
    RunLogReading log;
    if (!ReadRunLogFile(m_run.runLog, log, why)) return false;
    const std::vector<LoggedRun> latest = LatestMeasurement(log.runs, run.axis, run.tableInForce);
    const bool fresh = !latest.empty() && !latest.back().points.empty() &&
                       RunLogTimeSeconds(latest.back().points.back().time) < m_run.linuxCncStart;
    return AppendRunToLog(m_run.runLog, run, fresh, why);
}

// The run's column with every point the measurement has measured moving
// this way replaced by the mean of its runs there. The log's deviations lie
// on the measurement's reference and the column on the table's; the run
// itself, in both, gives the difference. The start of a run stepping
// against its approach was measured the other way only: it stays the run's
// first step away from that point, as RunColumn put it.
std::vector<RunPoint> CLinuxCncController::MeanColumn(const std::vector<RunPoint>& own,
                                                      const LoggedRun& run,
                                                      const std::vector<LoggedRun>& log) const {
    if (run.points.size() < 2) return own;
    double shift = 0.0;
    int shared = 0;
    for (std::size_t i = 1; i < run.points.size(); ++i) {
        for (const RunPoint& p : own) {
            if (!SameTarget(p.nominal, run.points[i].target)) continue;
            shift += p.actual - p.nominal - run.points[i].deviation;
            ++shared;
        }
    }
    if (shared == 0) return own;
    shift /= shared;
    const std::vector<TargetDeviations> means =
        CollectDeviations(LatestMeasurement(log, run.axis, run.tableInForce));
    auto mean = [&](double nominal, double& value) {
        for (const TargetDeviations& at : means) {
            const std::vector<double>& deviations =
                run.direction == Direction::UP ? at.up : at.down;
            if (!SameTarget(at.target, nominal) || deviations.empty()) continue;
            double sum = 0.0;
            for (double d : deviations) sum += d;
            value = nominal + sum / static_cast<double>(deviations.size()) + shift;
            return true;
        }
        return false;
    };
    // A start reached the run's own way is its tie and stays.
    double firstStepChange = 0.0;
    for (const RunPoint& p : own) {
        if (run.points[0].approach == run.direction) break;
        double value = 0.0;
        if (SameTarget(p.nominal, run.points[1].target) && mean(p.nominal, value))
            firstStepChange = value - p.actual;
    }
    std::vector<RunPoint> column = own;
    for (RunPoint& p : column) {
        if (!mean(p.nominal, p.actual)) p.actual += firstStepChange;
    }
    return column;
}

bool CLinuxCncController::WriteRefinedCandidate(const LoggedRun& run,
                                                const std::vector<LoggedRun>& log,
                                                std::string& why) {
    const std::vector<LoggedRun> verification = LatestMeasurement(log, run.axis, true);
    std::vector<CompPoint> candidate;
    if (!RefineTable(m_run.oldTable, verification, m_run.config.maxChangeRatio, candidate, why))
        return false;
    const std::string path = RefinedCandidatePath(m_run.compFile);
    if (!ReplaceFile(path, FormatCompTable(candidate), "", why)) return false;
    LogMessage("verified " + m_run.compFile + " (unchanged) by measurement " +
               std::to_string(run.measurement) + ", " + std::to_string(verification.size()) +
               " runs; refined candidate in " + path +
               ": apply it with tarvex-linuxcnc-apply and restart LinuxCNC to use it");
    return true;
}

bool CLinuxCncController::WriteReport(const std::vector<LoggedRun>& log, std::string& why) {
    std::string text;
    for (const AxisReport& report : BuildAxisReports(log)) {
        if (report.axis == m_run.axis.axis) text = AxisReportText(report);
    }
    return WriteWholeFile(m_run.report, "run log " + m_run.runLog + "\n" + text, why);
}

bool CLinuxCncController::InMotion() {
    if (m_run.motion == Motion::NONE) return false;
    std::string status;
    std::string machine;
    std::string mode;
    if (!Get("program_status", status) || !Get("machine", machine) || !Get("mode", mode)) {
        LogMessage("lost linuxcncrsh while waiting for motion");
        m_run.motion = Motion::NONE;
        m_run.faulted = true;
        return false;
    }
    // Off or out of MDI mode, LinuxCNC drops the move or dwell at once and
    // the machine may then be jogged: what follows must not be measured.
    if (machine != "MACHINE ON" || mode != "MODE MDI") {
        LogMessage("the machine went off or left MDI mode during the run (\"" + machine + "\", \"" +
                   mode + "\")");
        m_run.motion = Motion::NONE;
        m_run.faulted = true;
        return false;
    }
    if (status != "PROGRAM_STATUS IDLE") {
        if (++m_run.busyPolls == BUSY_POLLS_NOTICE && !m_run.busyReported) {
            m_run.busyReported = true;
            std::string feed;
            Get("feed_override", feed);
            const bool stopped = std::strtod(LastWord(feed).c_str(), nullptr) == 0.0;
            LogMessage("still waiting for LinuxCNC after 5 s (\"" + status + "\"): " +
                       (status == "PROGRAM_STATUS PAUSED" ? "it is paused; resume it"
                        : stopped                         ? "the feed override is at 0 %"
                                                          : "the move is slow or held up"));
        }
        return true;
    }
    if (m_run.motion == Motion::DWELL) {
        m_run.motion = Motion::NONE;
        return false;
    }
    double position = 0.0;
    std::string reply;
    if (Get("joint_pos " + std::to_string(m_run.axis.joints.front().joint), reply)) {
        position = std::strtod(LastWord(reply).c_str(), nullptr);
        if (std::fabs(position - m_run.target) <= m_run.config.inPositionTolerance) {
            if (!m_run.pendingStart) {
                m_run.motion = Motion::NONE;
                return false;
            }
            m_run.pendingStart = false;
            if (MoveTo(m_run.axis.axis, m_run.start, "G0")) return true;
            LogMessage("LinuxCNC refused the move to the start");
            m_run.motion = Motion::NONE;
            m_run.faulted = true;
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
    GiveBackControl();
}
