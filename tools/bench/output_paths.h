// The files the bench was told to write, checked before any run: a path it
// cannot write is refused at the start, not after the operator's whole run.
#pragma once

#include <string>

#include "bench_options.h"

namespace pitchwise {

// False with the system's reason when PATH could not be written: its folder
// cannot be made or written, or the path is a folder or a read-only file.
// Makes the missing folders, as writing would.
bool CheckOutputPath(const std::string& path, std::string& error);

// Every output of the command line, the first refusal in ERROR.
bool CheckBenchOutputs(const BenchCommandLine& options, std::string& error);

}  // namespace pitchwise
