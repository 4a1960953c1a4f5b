// The command line of pitchwise-capture: its two commands and their options.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "capture_status.h"
#include "cycle_plan.h"

namespace pitchwise {

struct PlanCommand {
    PlanRequest request;
    std::string program;     // -o
    bool seedGiven = false;  // otherwise random offsets take one from the clock
};

struct RunCommand {
    std::string plan;
    int port = 0;     // --port COMn (1 to 7, as the QSB is found); 0 scans
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

// A usage error's code names the option (or the argument) as its subject
// and, for a value refused, the value's index in `arguments` as its number.
CaptureStatus ParseCaptureCommand(const std::vector<std::string>& arguments,
                                  CaptureCommand& command);

// Beside the program: its name with the extension replaced by ".plan".
std::string PlanPathFor(const std::string& program);
// Beside the plan: its name with ".plan" replaced by "-runs.csv".
std::string RunLogPathFor(const std::string& plan);

}  // namespace pitchwise
