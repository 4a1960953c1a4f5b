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
    int busyPolls = 0;          // "RUNNING" replies before "IDLE" after each MDI line
    double jointPos = 0.0;      // what joint_pos reports once idle
    bool followTargets = true;  // set jointPos to each move's target
    bool dropAfterMdi = false;  // the connection breaks after the next MDI line
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
