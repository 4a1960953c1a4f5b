// What "L602" learns from files before a run: the INI LinuxCNC runs, read
// as LinuxCNC reads it, the time LinuxCNC started, and the table the run
// builds on. A file that is there but cannot be read refuses the run: taken
// for absent, the run's table would replace it.
#pragma once

#include <string>

#include "run_policy.h"

namespace pitchwise {

// `running`: the shell's answer to "get inifile" (empty when it gave
// none). Fills the axis, its rates, the settings in the machine's unit and
// LinuxCNC's start; refuses when a file changed since LinuxCNC started.
Verdict ReadMachineSetup(const LinuxCncConfig& config, const std::string& running, char axis,
                         RunSetup& setup);

// After CheckAxisSetup named the table: reads it when it exists, and names
// the run log and the report beside it.
Verdict ReadRunFiles(RunSetup& setup);

}  // namespace pitchwise
