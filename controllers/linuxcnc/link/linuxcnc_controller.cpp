#include "linuxcnc_controller.h"

#include "axis_report.h"
#include "machine_setup.h"
#include "map_command.h"
#include "refined_table.h"
#include "run_log_file.h"
#include "run_tie.h"
#include "status_reader.h"
#include "tarvex_log.h"
#include "text.h"
#include "text_file.h"

namespace pitchwise {

CLinuxCncController::CLinuxCncController(const LinuxCncConfig& config,
                                         std::unique_ptr<CRshLink> link)
    : m_config(config), m_session(std::move(link)) {}

bool CLinuxCncController::RefuseLine(const std::string& line, const Verdict& verdict) {
    m_refusal = verdict.code();
    // The shell's own "error:" lines say more than its NAK.
    const std::string& said = m_session.Refusal();
    LogMessage("refused \"" + line + "\": " + verdict.why + (said.empty() ? "" : "; " + said));
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

MachineStatus CLinuxCncController::Status(unsigned parts) {
    return ReadMachineStatus(m_session, parts, JointsOf(m_run.setup.axis));
}

bool CLinuxCncController::InMotion() {
    return m_motion.InMotion(m_run);
}

void CLinuxCncController::Finish() {
    // Closing the socket ends the session; "quit" has no reply to wait for.
    GiveBackControl();
}

bool CLinuxCncController::Init() {
    m_run = RunState();
    m_motion.Reset();
    m_refusal = Refusal::NONE;
    SetLogPath(m_config.logFile);
    return m_session.Open(m_config);
}

bool CLinuxCncController::Line(const char* text) {
    const std::string line = text != nullptr ? text : "";
    m_refusal = Refusal::NONE;
    if (!m_session.IsOpen())
        return RefuseLine(line, Refuse(Refusal::NO_SESSION, "no session with linuxcncrsh"));
    if (m_motion.Faulted()) {
        return RefuseLine(
            line, Refuse(Refusal::EARLIER_MOVE_FAULTED, "an earlier move did not end in position"));
    }
    const MapCommand command = ParseMapCommand(text);
    switch (command.kind) {
        case MapCommandKind::DISABLE_COMPENSATION:
            if (m_run.mapping)
                return RefuseLine(
                    line, Refuse(Refusal::L600_AFTER_AXIS_LINE, "only before the axis line"));
            m_run.withoutCompensation = true;
            return true;
        case MapCommandKind::BEGIN_MAPPING:
            return BeginMapping(line, command.axis);
        case MapCommandKind::MOVE_TO_START:
            return MoveToStart(line, command.axis, command.value);
        case MapCommandKind::DWELL:
            return Dwell(line);
        case MapCommandKind::ENTRY:
            return Entry(line, command.index, command.value);
        case MapCommandKind::STEP:
            return Step(line, command.axis, command.value);
        case MapCommandKind::END_MAPPING:
            return EndMapping(line);
        case MapCommandKind::UNKNOWN:
            break;
    }
    return RefuseLine(line, Refuse(Refusal::NOT_A_COMMAND, "not a command of a mapping run"));
}

bool CLinuxCncController::BeginMapping(const std::string& line, char axis) {
    if (m_run.mapping)
        return RefuseLine(line, Refuse(Refusal::ALREADY_MAPPING, "a mapping is already running"));
    Verdict verdict = CheckCanBegin(ReadMachineStatus(m_session, STATUS_STATE, {}));
    if (verdict.Refused()) return RefuseLine(line, verdict);
    std::string running;
    if (!GetFromShell(m_session, "inifile", running) || !StartsWith(running, "INIFILE /"))
        running.clear();
    RunSetup& setup = m_run.setup;
    verdict =
        ReadMachineSetup(m_config, running.empty() ? running : running.substr(8), axis, setup);
    if (verdict.Refused()) return RefuseLine(line, verdict);
    verdict = CheckHomed(Status(STATUS_HOMED));
    if (!verdict.Refused()) verdict = CheckAxisSetup(m_config, m_run.withoutCompensation, setup);
    if (!verdict.Refused()) verdict = CheckModes(Status(STATUS_CODES), setup.axis.mmPerUnit);
    if (!verdict.Refused()) verdict = ReadRunFiles(setup);
    if (verdict.Refused()) return RefuseLine(line, verdict);
    RshReply switched;
    std::string mode;
    if (!m_session.Request("set mode mdi", switched) || !switched.acked ||
        !GetFromShell(m_session, "mode", mode) || mode != "MODE MDI") {
        return RefuseLine(line, Refuse(Refusal::MDI_SWITCH_FAILED,
                                       "LinuxCNC did not switch to MDI mode (\"" + mode + "\")"));
    }
    m_run.mapping = true;
    std::string jointNames;
    for (int joint : JointsOf(setup.axis))
        jointNames += (jointNames.empty() ? "" : " and ") + std::to_string(joint);
    LogMessage("mapping axis " + std::string(1, axis) + " (joint " + jointNames + ") into " +
               setup.compFile +
               (setup.compensationInForce ? ", verifying the table in force"
                                          : ", no compensation in force"));
    return true;
}

bool CLinuxCncController::MoveToStart(const std::string& line, char axis, double position) {
    Verdict verdict = CheckStart(m_run, axis, position);
    if (!verdict.Refused()) verdict = CheckReady(Status(STATUS_STATE));
    if (!verdict.Refused()) verdict = CheckModes(Status(STATUS_CODES), m_run.setup.axis.mmPerUnit);
    if (verdict.Refused()) return RefuseLine(line, verdict);
    const AxisIni& limits = m_run.setup.axis;
    const int side = ChooseApproachSide(position, limits.minLimit, limits.maxLimit);
    if (side == 0) {
        return RefuseLine(line, Refuse(Refusal::NO_ROOM_TO_APPROACH,
                                       "the limits leave no room to approach the start"));
    }
    // Through a point beyond the start, so the carriage reaches the start
    // moving in a known direction whichever side it stood on.
    const double via = ApproachPoint(side, position, m_run.setup.config.approachDistance,
                                     limits.minLimit, limits.maxLimit);
    if (!m_motion.Approach(m_run, via))
        return RefuseLine(line, Refuse(Refusal::MOVE_REFUSED, "LinuxCNC refused the move"));
    m_run.start = position;
    m_run.approach = side;
    m_run.moves = 1;
    LogMessage(Format("start %.6f reached moving %s from %.6f", position,
                      side > 0 ? "positive" : "negative", via));
    return true;
}

bool CLinuxCncController::Dwell(const std::string& line) {
    if (!m_run.mapping) return RefuseLine(line, Refuse(Refusal::NO_MAPPING, "no mapping begun"));
    const Verdict verdict = CheckReady(Status(STATUS_STATE));
    if (verdict.Refused()) return RefuseLine(line, verdict);
    const double seconds = m_run.setup.config.dwellSeconds;
    if (!m_motion.Dwell(seconds))
        return RefuseLine(line, Refuse(Refusal::DWELL_REFUSED, "LinuxCNC refused the dwell"));
    return true;
}

bool CLinuxCncController::Step(const std::string& line, char axis, double offset) {
    const double target = m_run.start + offset;
    Verdict verdict = CheckStep(m_run, axis, target);
    if (!verdict.Refused()) verdict = CheckReady(Status(STATUS_STATE));
    if (verdict.Refused()) return RefuseLine(line, verdict);
    const int direction = target > m_run.target ? 1 : -1;
    if (!m_motion.MoveTo(m_run, target, false))
        return RefuseLine(line, Refuse(Refusal::MOVE_REFUSED, "LinuxCNC refused the move"));
    m_run.direction = direction;
    ++m_run.moves;
    return true;
}

bool CLinuxCncController::Entry(const std::string& line, int index, double correction) {
    Verdict verdict = CheckEntryPlace(m_run, index);
    if (verdict.Refused()) return RefuseLine(line, verdict);
    // The reading was taken after the dwell: the machine must still stand
    // where the run put it, in the run's hands.
    if (m_motion.Moving())
        return RefuseLine(line, Refuse(Refusal::STILL_MOVING, "the machine is still moving"));
    const MachineStatus status = Status(STATUS_STATE | STATUS_POSITIONS);
    verdict = CheckReady(status);
    if (!verdict.Refused())
        verdict = CheckInPosition(status, m_run.target, m_run.setup.config.inPositionTolerance);
    if (!verdict.Refused()) verdict = CheckEntryValue(m_run, index, correction);
    if (verdict.Refused()) return RefuseLine(line, verdict);
    // Kept as nominal and correction until the end, when the run's direction is known.
    m_run.entries.push_back(MapEntry{m_run.target, correction});
    m_run.times.push_back(RunLogTimeNow());
    return true;
}

bool CLinuxCncController::EndMapping(const std::string& line) {
    Verdict verdict = CheckEnd(m_run);
    if (!verdict.Refused()) {
        const MachineStatus status = Status(STATUS_STATE | STATUS_POSITIONS);
        verdict = CheckReady(status);
        if (!verdict.Refused())
            verdict = CheckInPosition(status, m_run.target, m_run.setup.config.inPositionTolerance);
    }
    RunTable table;
    if (!verdict.Refused()) verdict = TableOfRun(m_run.setup, ReadingsOf(m_run), table);
    if (verdict.Refused()) return RefuseLine(line, verdict);
    // Kept before anything else is written: a table never holds a run the
    // log does not.
    LoggedRun run = LoggedRunOf(m_run);
    std::vector<LoggedRun> runs;
    verdict = KeepRun(run, runs);
    if (verdict.Refused()) return RefuseLine(line, verdict);
    // The table and the report come from the same figures.
    AxisReport report;
    for (const AxisReport& each : BuildAxisReports(runs)) {
        if (each.axis == run.axis) report = each;
    }
    // LinuxCNC runs the table it loaded until it restarts: changing the
    // file would measure every later run of this start against a table
    // that no longer matches it. The refinement is offered beside it.
    verdict = m_run.setup.compensationInForce ? WriteRefinedCandidate(run, runs)
                                              : WriteTable(run, report.figures, table);
    if (verdict.Refused()) return RefuseLine(line, verdict);
    LogMessage("run " + std::to_string(run.run) + " kept in " + m_run.setup.runLog);
    WriteReport(report);
    m_run.mapping = false;
    return true;
}

// A measurement is the runs on one reference: LinuxCNC's homing gives the
// axis its place, so a run after LinuxCNC restarted begins a new one, as
// does a run over other targets (run_log_file.h).
Verdict CLinuxCncController::KeepRun(LoggedRun& run, std::vector<LoggedRun>& runs) {
    std::string why;
    if (!AppendRunToLog(m_run.setup.runLog, run, m_run.setup.linuxCncStart, runs, why))
        return Refuse(Refusal::RUN_NOT_KEPT, "the run cannot be kept, so no table: " + why);
    return Go();
}

// What a run with the table in force leaves, and what a run of a
// measurement does, are decided here alone.
Verdict CLinuxCncController::WriteRefinedCandidate(const LoggedRun& run,
                                                   const std::vector<LoggedRun>& log) {
    const RunSetup& setup = m_run.setup;
    const std::vector<LoggedRun> verification = LatestMeasurement(log, run.axis, true);
    std::vector<CompPoint> candidate;
    std::string why;
    if (!RefineTable(setup.oldTable, verification, setup.config.maxChangeRatio, candidate, why))
        return Refuse(Refusal::CANDIDATE_REFUSED,
                      why + " (the run is kept in " + setup.runLog + ")");
    const std::string path = RefinedCandidatePath(setup.compFile);
    const FileStatus written = WriteFileAtomically(path, FormatCompTable(candidate));
    if (!written) return Refuse(Refusal::CANDIDATE_REFUSED, FileStatusText(written));
    LogMessage("verified " + setup.compFile + " (unchanged) by measurement " +
               std::to_string(run.measurement) + ", " +
               Counted(verification.size(), "run", "runs") + "; refined candidate in " + path +
               ": apply it with tarvex-linuxcnc-apply and restart LinuxCNC to use it");
    return Go();
}

Verdict CLinuxCncController::WriteTable(const LoggedRun& run, const AxisFigures& figures,
                                        RunTable& table) {
    const RunSetup& setup = m_run.setup;
    if (!setup.compensationInForce) {
        const Verdict verdict = TableOfMeasurement(setup, run, figures, table);
        if (verdict.Refused()) return verdict;
    }
    std::string why;
    if (!WriteCompTable(setup.compFile, table.table, why))
        return Refuse(Refusal::TABLE_NOT_WRITTEN, why);
    LogMessage("wrote " + std::to_string(table.table.size()) + " points to " + setup.compFile +
               " (" + (run.direction == Direction::UP ? "positive" : "negative") + " column" +
               (setup.compensationInForce
                    ? ", refined through the table in force"
                    : ", the mean of measurement " + std::to_string(run.measurement)) +
               "); restart LinuxCNC to use it");
    return Go();
}

// The report is drawn from the log, which holds everything: a report that
// cannot be written is said, and pitchwise-report makes it again.
void CLinuxCncController::WriteReport(const AxisReport& report) {
    const RunSetup& setup = m_run.setup;
    const std::string text =
        report.runs.empty() && report.verification.empty() ? std::string() : AxisReportText(report);
    const FileStatus written =
        WriteFileAtomically(setup.report, "run log " + setup.runLog + "\n" + text);
    if (written)
        LogMessage("figures of the runs in " + setup.report);
    else
        LogMessage("no report: " + FileStatusText(written));
}

}  // namespace pitchwise
