// The linear test cycle a capture measures: its targets and settings, the
// rules a sound cycle keeps, and the path the program follows: from below
// the first target by the overrun, then per run up through every target and
// past the last by the overrun, down through every target and past the
// first by the overrun, dwelling at every stop. Pure: no files, no clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "length_unit.h"
#include "run_log.h"
#include "status.h"

namespace pitchwise {

enum class Dialect { LINUXCNC, GRBL, FANUC, SIEMENS };

struct CapturePlan {
    char axis = 'X';
    Dialect dialect = Dialect::LINUXCNC;
    LengthUnit unit = LengthUnit::MM;
    std::vector<double> targets;  // ascending, as the program writes them
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

// Why a plan is refused. The numbers a refusal carries, in order, follow
// its name; the program and the window word them for their own users.
#define PITCHWISE_PLAN_CODES(X)                                      \
    X(OK)                                                            \
    X(RANGE_BACKWARDS)    /* the last target not above the first */  \
    X(TARGETS_OR_SPACING) /* neither or both given */                \
    X(SPACING_NOT_WHOLE)  /* travel, spacing */                      \
    X(TARGET_COUNT)       /* targets; 2 to 10000 allowed */          \
    X(AXIS)               /* not X, Y or Z */                        \
    X(TOO_FEW_TARGETS)    /* a plan read back with fewer than two */ \
    X(TARGET_TOO_FAR)     /* a target beyond any machine's travel */ \
    X(TARGETS_NOT_RISING) /* not each above the one before */        \
    X(RUNS)               /* runs; 1 to 100 allowed */               \
    X(FEED)               /* not above 0 */                          \
    X(DWELL_TOO_SHORT)    /* the least dwell */                      \
    X(WINDOW)             /* not above 0 */                          \
    X(LOST_MOTION)        /* negative */                             \
    X(WINDOW_TOO_WIDE)    /* window, smallest spacing */             \
    X(OVERRUN_TOO_SMALL)  /* overrun, window plus lost motion */

enum class PlanCode {
#define PITCHWISE_PLAN_ENUM(name) name,
    PITCHWISE_PLAN_CODES(PITCHWISE_PLAN_ENUM)
#undef PITCHWISE_PLAN_ENUM
};
using PlanStatus = Status<PlanCode>;

// The code's name, for tests and logs.
const char* PlanCodeName(PlanCode code);

// Builds the plan, or says why it is refused.
PlanStatus MakePlan(const PlanRequest& request, CapturePlan& plan);

// OK when the plan is sound, otherwise why it is not.
PlanStatus CheckPlan(const CapturePlan& plan);

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
