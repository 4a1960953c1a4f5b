// What a mapping run knows: what "L602" learnt of the machine, fixed for
// the run, and what the run has done so far, carried from line to line.
#pragma once

#include <string>
#include <vector>

#include "comp_table.h"
#include "linuxcnc_config.h"
#include "machine_ini.h"
#include "motion_time.h"
#include "run_reference.h"

namespace pitchwise {

struct RunSetup {
    LinuxCncConfig config;  // lengths in the machine's unit
    AxisIni axis;
    MotionRates rates;
    std::string compFile;
    std::string runLog;          // beside compFile: every run, kept
    std::string report;          // beside compFile: the figures of the runs
    double linuxCncStart = 0.0;  // when LinuxCNC started, seconds since 1970
    bool compensationInForce = false;
    std::vector<CompPoint> oldTable;
};

struct RunState {
    bool withoutCompensation = false;  // "L600" seen
    bool mapping = false;
    RunSetup setup;  // valid once mapping
    double start = 0.0;
    int approach = 0;                // side the start was reached from
    double target = 0.0;             // absolute position of the point being measured
    int direction = 0;               // +1 or -1 once the first step is known
    int moves = 0;                   // points reached: the start and every step
    std::vector<MapEntry> entries;   // in run order
    std::vector<std::string> times;  // when each entry was read, UTC
};

// The run's readings for the table's arithmetic.
RunReadings ReadingsOf(const RunState& run);

}  // namespace pitchwise
