// The pitchwise-bench command line.
#pragma once

#include <string>

#include "bench.h"

struct BenchCommandLine {
    BenchOptions bench;
    int runs = 1;               // end after this many runs called Tvx_Finish
    double timeoutSeconds = 0;  // end after this long in any case; 0: never
    std::string envFile;        // written with the two variables once ready
    std::string csvFile = "pitchwise-bench.csv";
    std::string truthFile;  // the figures a perfect measurement would give
    bool help = false;
};

// False with a message for an unknown option or a bad value.
bool ParseBenchCommandLine(int argc, const char* const* argv, BenchCommandLine& options,
                           std::string& error);

extern const char* const BENCH_USAGE;
