// A linuxcncrsh stand-in: records every request and answers like the real
// server for the few commands the library uses, from a scripted machine.
#pragma once

#include <string>
#include <vector>

#include "rsh_link.h"

struct FakeMachine {
    bool reachable = true;
    bool helloAccepted = true;
    bool machineOn = true;
    bool homed = true;
    bool mdiAccepted = true;
    std::string mode = "MANUAL";         // "set mode" changes it
    bool modeAccepted = true;            // "set mode" switches it (acknowledged either way)
    std::string idleStatus = "IDLE";     // program status once a line has run
    int busyPolls = 0;                   // busy replies before the idle one after each MDI line
    std::string busyStatus = "RUNNING";  // or "PAUSED"
    int feedOverride = 100;
    std::string programCodes = "G80 G17 G40 G21 G90 G94 G54 G49 G99 G64 G97 G91.1 G8 G92.2 F0 S0";
    std::string iniFile;        // what "get inifile" names; empty: "emc.ini" as old servers say
    double jointPos = 0.0;      // what joint_pos reports once idle
    bool followTargets = true;  // set jointPos to each move's target
    bool dropAfterMdi = false;  // the connection breaks after the next MDI line
    bool enabled = false;       // the session holds control
    // A carriage with play: it follows the joint, lagging by half the
    // backlash behind the direction the joint last moved in.
    double backlash = 0.0;
    int lastDirection = 1;
    double Carriage() const { return jointPos - lastDirection * backlash / 2.0; }
    void MoveJoint(double target);
    std::vector<std::string> requests;
};

class CFakeRshLink : public CRshLink {
  public:
    explicit CFakeRshLink(FakeMachine& machine) : m_machine(machine) {}
    bool Connect(const std::string& host, int port) override;
    bool Exchange(const std::string& request, std::string& reply) override;
    void Close() override { m_open = false; }

  private:
    FakeMachine& m_machine;
    bool m_open = false;
    int m_busyLeft = 0;
};
