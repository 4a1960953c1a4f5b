// The linear test cycle a capture measures: its targets and settings, the
// rules a sound cycle keeps, and the path the program follows, in machine
// coordinates (a compensation table is keyed to the machine position, so a
// work offset must not shift the targets): from below
// the first target by the overrun, then per run up through every target and
// past the last by the overrun, down through every target and past the
// first by the overrun, dwelling at every stop. Pure: no files, no clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "capture_status.h"
#include "length_unit.h"
#include "run_log.h"

namespace pitchwise {

enum class Dialect { LINUXCNC, GRBL, FANUC, SIEMENS };

// The QSB's counts per unit as the dialog takes them (its QSB_COUNTS_PER_UNIT,
// as written there): right for a plan in the unit of the dialog's machine.
constexpr double DEFAULT_COUNTS_PER_UNIT = 10034.463;

struct CapturePlan {
    char axis = 'X';
    Dialect dialect = Dialect::LINUXCNC;
    LengthUnit unit = LengthUnit::MM;
    double countsPerUnit = DEFAULT_COUNTS_PER_UNIT;  // the QSB's, per unit of the plan
    std::vector<double> targets;  // machine coordinates, ascending, as the program writes them
    int runs = 5;
    double feed = 1000;  // length unit per minute
    double dwell = 5;    // seconds, at every target and at each turn
    double overrun = 5;
    double window = 1;                  // half its width, around each target
    double lostMotion = 0.1;            // the largest expected
    std::optional<std::uint32_t> seed;  // the targets' random offsets, when they have them
};

// What the operator asks for; an absent value takes the unit's default.
struct PlanRequest {
    char axis = 'X';
    Dialect dialect = Dialect::LINUXCNC;
    LengthUnit unit = LengthUnit::MM;
    double countsPerUnit = DEFAULT_COUNTS_PER_UNIT;
    double from = 0;
    double to = 0;
    int targets = 0;     // or
    double spacing = 0;  // one of the two
    int runs = 5;
    double dwell = 5;
    std::optional<double> feed, overrun, window, lostMotion;
    bool randomOffsets = false;
    std::uint32_t seed = 0;
};

// Builds the plan, or says why it is refused.
CaptureStatus MakePlan(const PlanRequest& request, CapturePlan& plan);

// OK when the plan is sound, otherwise why it is not.
CaptureStatus CheckPlan(const CapturePlan& plan);

// The plan's limits, for the words of a refusal.
constexpr int MIN_TARGETS = 2;
constexpr int MAX_TARGETS = 10000;
constexpr int MIN_RUNS = 1;
constexpr int MAX_RUNS = 100;

// The first target takes longer: the counter is zeroed there, then read.
constexpr double ZERO_DWELL_EXTRA_SECONDS = 3;
constexpr double MIN_DWELL_SECONDS = 3;

// One stop where a reading is taken.
struct CycleStop {
    int run = 1;
    Direction direction = Direction::UP;
    std::size_t target = 0;  // index into the plan's targets
};

// One place the program moves to and dwells at.
struct CycleWaypoint {
    double position = 0;
    double dwellSeconds = 0;
    std::optional<std::size_t> stop;  // index into CycleStops, none at the start and the turns
};

std::vector<CycleStop> CycleStops(const CapturePlan& plan);
std::vector<CycleWaypoint> CycleWaypoints(const CapturePlan& plan);

// Seconds the program takes from the end of the dwell at `from` (a waypoint
// index; none: the program's start) to the end of the dwell at `to`, at the
// programmed feed without acceleration.
double CycleSeconds(const CapturePlan& plan, const std::vector<CycleWaypoint>& path,
                    std::optional<std::size_t> from, std::size_t to);

// The waypoint index of each stop.
std::vector<std::size_t> StopWaypoints(const std::vector<CycleWaypoint>& path);

const char* DialectName(Dialect dialect);
bool DialectFromName(const std::string& name, Dialect& dialect);

}  // namespace pitchwise
