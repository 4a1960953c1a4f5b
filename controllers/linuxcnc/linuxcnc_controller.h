// The meaning of Pitchwise's command lines on a running LinuxCNC, spoken
// through linuxcncrsh.
//
// "L602XX" selects the axis and its joint and begins a mapping; "G0X…" goes
// to the start in machine coordinates; each "G1X…" target is relative to
// that start; "G4D1" dwells; "L606 N… V…" records one point's correction
// (commanded minus measured travel); "L601" writes LinuxCNC's compensation
// file for the joint. "L600" asks for a measurement with no compensation in
// force. Every refusal is logged with its reason.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "comp_table.h"
#include "joint_ini.h"
#include "linuxcnc_config.h"
#include "motion_time.h"
#include "rsh_session.h"

// One accepted "L606" line: the point's nominal position and its correction.
struct MapEntry {
    double nominal;
    double correction;
};

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
    bool Get(const std::string& what, std::string& reply);
    bool Set(const std::string& what);
    // `motionSeconds`: the longest the move or dwell may take, since the
    // shell may hold the ACK until it ends.
    bool Mdi(const std::string& code, double motionSeconds);
    double RapidSeconds(double target) const;

    bool BeginMapping(const std::string& line, char axis);
    bool MoveToStart(const std::string& line, char axis, double position);
    bool Step(const std::string& line, char axis, double offset);
    bool Entry(const std::string& line, int index, double correction);
    bool EndMapping(const std::string& line);
    bool WithinLimits(double position) const;
    std::vector<RunPoint> RunActuals(bool positive) const;

    LinuxCncConfig m_config;
    CRshSession m_session;

    // Everything one run learns; Init starts every run afresh.
    struct RunState {
        bool withoutCompensation = false;  // "L600" seen
        bool mapping = false;
        char axis = 0;
        int joint = 0;
        JointIni ini;
        MotionRates rates;
        std::string compFile;
        bool compensationInForce = false;
        std::vector<CompPoint> oldTable;

        bool haveStart = false;
        double start = 0.0;
        double target = 0.0;            // absolute position of the point being measured
        int direction = 0;              // +1 or -1 once the first step is known
        int moves = 0;                  // points reached: the start and every step
        std::vector<MapEntry> entries;  // in run order

        Motion motion = Motion::NONE;
        int idlePolls = 0;
        bool faulted = false;  // a move ended out of position: refuse the rest
    };
    RunState m_run;
};
