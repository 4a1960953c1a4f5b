// Why a command line was refused. Pitchwise shows only that a command
// failed, so the reason goes to a log file the owner can read.
#pragma once

#include <string>

namespace pitchwise {

// The file used when the configuration names none.
std::string DefaultLogPath();

// Where later messages go; empty means DefaultLogPath().
void SetLogPath(const std::string& path);

// Appends one time-stamped line to the log and to standard error.
void LogMessage(const std::string& message);

}  // namespace pitchwise
