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
// candidate beside it, never the table), and the figures of the runs beside it. "L600" asks for a
// measurement with no compensation in force. Every refusal is logged with its reason and gives
// control back.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "comp_table.h"
#include "linuxcnc_config.h"
#include "machine_ini.h"
#include "motion_time.h"
#include "rsh_session.h"
#include "run_log.h"
#include "run_reference.h"

class CLinuxCncController {
  public:
    CLinuxCncController(const LinuxCncConfig& config, std::unique_ptr<CRshLink> link);

    bool Init();  // connects, says hello and takes control
    bool Line(const char* line);
    bool InMotion();
    void Finish();

  private:
    enum class Motion { NONE, MOVE, DWELL };

    bool Refuse(const std::string& line, const std::string& why);
    void GiveBackControl();
    bool Get(const std::string& what, std::string& reply);
    bool Set(const std::string& what);
    // `motionSeconds`: the longest the move or dwell may take, since the
    // shell may hold the ACK until it ends.
    bool Mdi(const std::string& code, double motionSeconds);
    double RapidSeconds(double target) const;
    bool MoveTo(char axis, double position, const char* code);

    bool BeginMapping(const std::string& line, char axis);
    bool ReadMachine(char axis, std::string& why);
    bool ModalStateFits(std::string& why);
    bool Ready(std::string& why);
    bool InPosition(std::string& why);
    bool MoveToStart(const std::string& line, char axis, double position);
    bool Step(const std::string& line, char axis, double offset);
    bool Entry(const std::string& line, int index, double correction);
    bool EndMapping(const std::string& line);
    bool WithinLimits(double position) const;
    RunReadings Readings() const;
    bool KeepRun(LoggedRun& run, std::string& why);
    std::vector<RunPoint> MeanColumn(const std::vector<RunPoint>& own, const LoggedRun& run,
                                     const std::vector<LoggedRun>& log) const;
    bool WriteReport(const std::vector<LoggedRun>& log, std::string& why);
    bool WriteRefinedCandidate(const LoggedRun& run, const std::vector<LoggedRun>& log,
                               std::string& why);
    std::vector<CompPoint> MergedTable() const;

    LinuxCncConfig m_config;  // as the file gives it
    CRshSession m_session;

    // Everything one run learns; Init starts every run afresh.
    struct RunState {
        LinuxCncConfig config;             // lengths in the machine's unit
        bool withoutCompensation = false;  // "L600" seen
        bool mapping = false;
        AxisIni axis;
        MotionRates rates;
        std::string compFile;
        std::string runLog;          // beside compFile: every run, kept
        std::string report;          // beside compFile: the figures of the runs
        double linuxCncStart = 0.0;  // when LinuxCNC started, seconds since 1970
        bool compensationInForce = false;
        std::vector<CompPoint> oldTable;

        bool haveStart = false;
        double start = 0.0;
        int approach = 0;                // side the start was reached from
        double target = 0.0;             // absolute position of the point being measured
        bool pendingStart = false;       // at the approach point, the start still to go
        int direction = 0;               // +1 or -1 once the first step is known
        int moves = 0;                   // points reached: the start and every step
        std::vector<MapEntry> entries;   // in run order
        std::vector<std::string> times;  // when each entry was read, UTC

        Motion motion = Motion::NONE;
        int idlePolls = 0;
        int busyPolls = 0;
        bool busyReported = false;
        bool faulted = false;  // a move ended out of position: refuse the rest
    };
    RunState m_run;
};
