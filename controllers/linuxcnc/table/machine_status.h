// One reading of what LinuxCNC says about the machine, as plain values for
// the rules that decide (link/status_reader.h takes it through the shell).
#pragma once

#include <string>
#include <vector>

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

}  // namespace pitchwise
