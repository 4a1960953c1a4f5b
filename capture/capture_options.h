// The command line of pitchwise-capture: its two commands and their options.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cycle_plan.h"

namespace pitchwise {

struct PlanCommand {
    PlanRequest request;
    std::string program;     // -o
    bool seedGiven = false;  // otherwise random offsets take one from the clock
};

struct RunCommand {
    std::string plan;
    int port = 0;     // --port COMn; 0 scans
    std::string log;  // empty: beside the plan
    std::optional<double> window;
    int bandCounts = 3;
    bool tableInForce = false;
};

struct CaptureCommand {
    enum Kind { HELP, PLAN, RUN } kind = HELP;
    PlanCommand plan;
    RunCommand run;
};

// False with the reason on a usage error.
bool ParseCaptureCommand(const std::vector<std::string>& arguments, CaptureCommand& command,
                         std::string& error);

// Beside the program: its name with the extension replaced by ".plan".
std::string PlanPathFor(const std::string& program);
// Beside the plan: its name with ".plan" replaced by "-runs.csv".
std::string RunLogPathFor(const std::string& plan);

}  // namespace pitchwise
