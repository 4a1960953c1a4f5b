// The cycle in the QSB's counts (at the plan's counts per unit) and the
// captures as logged runs, in the plan's unit. The QSB is zeroed once, at
// the first target, so every capture counts from there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture_trigger.h"
#include "cycle_plan.h"
#include "run_log.h"

namespace pitchwise {

// Counts from the first target to `position`.
std::int64_t CountsFromFirst(const CapturePlan& plan, double position);

// The trigger's stops. Each is allowed the program's time from the stop
// before twice over (a feed override down to half) but its own dwell once,
// what is left of the dwell before it, and ten seconds more.
std::vector<TriggerStop> TriggerStopsFor(const CapturePlan& plan);
TriggerSettings TriggerSettingsFor(const CapturePlan& plan, double window, int bandCounts);

// Seconds the program still takes after the dwell at stop `done` ends.
double SecondsLeftAfter(const CapturePlan& plan, std::size_t done);

struct CapturedPoint {
    std::size_t target = 0;  // index into the plan's targets
    Direction approach = Direction::UP;
    std::int64_t counts = 0;  // from the zero
    std::string time;         // the run log's form
};

// The logged runs of one cycle run: the sweep up from `start` (the zero, or
// where the previous run ended) through `up`, and the sweep down from the
// last of `up` through `down`. Each point's correction is the commanded
// minus the measured travel from its sweep's start, as a mapping run sends it.
std::vector<LoggedRun> CycleRunLogs(const CapturePlan& plan, const CapturedPoint& start,
                                    const std::vector<CapturedPoint>& up,
                                    const std::vector<CapturedPoint>& down, bool tableInForce);

// The run log's comment before a capture's runs: the axis, the unit, the
// machine coordinates and the QSB's counts per unit the counts took.
std::string CaptureLogComment(const CapturePlan& plan);

}  // namespace pitchwise
