// One reading of what LinuxCNC says about the machine, taken through the
// session before a decision, so the rules that decide see plain values.
#pragma once

#include <string>
#include <vector>

#include "rsh_session.h"

namespace pitchwise {

struct JointStatus {
    int joint = 0;
    bool positionRead = false;
    double position = 0.0;
    bool homed = false;  // false too when the shell would not say
};

struct MachineStatus {
    // The shell's answers as given ("MACHINE ON", "MODE MDI",
    // "PROGRAM_STATUS IDLE"); empty when it would not answer.
    std::string machine;
    std::string mode;
    std::string programStatus;
    bool stateRead = false;  // all three answered
    bool codesRead = false;
    std::string codes;  // the active G codes, as one line
    std::vector<JointStatus> joints;
};

// What to ask for: each part costs the shell a round trip per value.
enum StatusPart : unsigned {
    STATUS_STATE = 1,      // machine, mode, program status
    STATUS_CODES = 2,      // active G codes
    STATUS_POSITIONS = 4,  // each joint's position
    STATUS_HOMED = 8,      // each joint's homed flag
};

// Reads the parts asked for of `joints`; what the shell does not answer
// stays empty or false, for the rules to refuse.
MachineStatus ReadMachineStatus(CRshSession& session, unsigned parts,
                                const std::vector<int>& joints);

// The shell's answer to "get <what>", or false when it refused or is gone.
bool GetFromShell(CRshSession& session, const std::string& what, std::string& reply);

}  // namespace pitchwise
