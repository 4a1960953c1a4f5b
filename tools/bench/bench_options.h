// The pitchwise-bench command line.
#pragma once

#include <string>

#include "bench.h"

namespace pitchwise {

struct BenchCommandLine {
    BenchOptions bench;
    int runs = 1;               // end after this many runs called Tvx_Finish
    double timeoutSeconds = 0;  // end after this long in any case; 0: never
    std::string envFile;        // written with the two variables once ready; removed at exit
    // Under the output folder, which is git-ignored: a run from the source
    // tree never leaves its table beside the sources.
    std::string csvFile = "out/pitchwise-bench.csv";
    std::string truthFile;  // the figures a perfect measurement would give
    bool help = false;
};

// False with a message for an unknown option or a bad value.
bool ParseBenchCommandLine(int argc, const char* const* argv, BenchCommandLine& options,
                           std::string& error);

extern const char* const BENCH_USAGE;

}  // namespace pitchwise
