// The meaning of Pitchwise's command lines on a running LinuxCNC, spoken
// through linuxcncrsh.
//
// "L602XX" selects the axis and its joints and begins a mapping once the
// machine LinuxCNC runs allows it; "G0X…" goes to the start in machine
// coordinates, reaching it from a known side; each "G1X…" target is relative
// to that start; "G4D1" dwells; "L606 N… V…" records one point's correction
// (commanded minus measured travel); "L601" appends the run to the run log
// beside LinuxCNC's compensation file, writes that file for the joints from
// the mean of the measurement's runs (with the table in force: the refined
// candidate beside it, never the table), and the figures of the runs beside it.
// "L600" asks for a measurement with no compensation in force. Every
// refusal is logged with its reason and gives control back.
//
// The controller only sequences: it reads the machine's status, asks the
// run's rules (run_policy.h), acts, and logs.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "motion_watch.h"
#include "rsh_session.h"
#include "run_log.h"
#include "run_policy.h"
#include "run_table.h"

namespace pitchwise {

struct AxisReport;

class CLinuxCncController {
  public:
    CLinuxCncController(const LinuxCncConfig& config, std::unique_ptr<CRshLink> link);

    bool Init();  // connects, says hello and takes control
    bool Line(const char* line);
    bool InMotion();
    void Finish();

    // Why the last line was refused; NONE when it was accepted.
    Refusal LastRefusal() const { return m_refusal; }

  private:
    bool RefuseLine(const std::string& line, const Verdict& verdict);
    void GiveBackControl();
    MachineStatus Status(unsigned parts);

    bool BeginMapping(const std::string& line, char axis);
    bool MoveToStart(const std::string& line, char axis, double position);
    bool Dwell(const std::string& line);
    bool Step(const std::string& line, char axis, double offset);
    bool Entry(const std::string& line, int index, double correction);
    bool EndMapping(const std::string& line);
    Verdict KeepRun(LoggedRun& run, std::vector<LoggedRun>& runs);
    Verdict WriteTable(const LoggedRun& run, const AxisFigures& figures, RunTable& table);
    Verdict WriteRefinedCandidate(const LoggedRun& run, const std::vector<LoggedRun>& log);
    void WriteReport(const AxisReport& report);

    LinuxCncConfig m_config;  // as the file gives it
    CRshSession m_session;
    RunState m_run;  // Init starts every run afresh
    CMotionWatch m_motion{m_session};
    Refusal m_refusal = Refusal::NONE;
};

}  // namespace pitchwise
