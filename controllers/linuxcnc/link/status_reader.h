// Reads what LinuxCNC says about the machine through the session, before a
// decision, so the rules that decide see plain values.
#pragma once

#include <string>
#include <vector>

#include "machine_ini.h"
#include "machine_status.h"
#include "rsh_session.h"

namespace pitchwise {

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

// The joints that drive the axis, by number.
std::vector<int> JointsOf(const AxisIni& axis);

// The shell's answer to "get <what>", or false when it refused or is gone.
bool GetFromShell(CRshSession& session, const std::string& what, std::string& reply);

}  // namespace pitchwise
