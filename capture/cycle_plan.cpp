#include "cycle_plan.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace pitchwise {

namespace {

// Defaults per unit: the same lengths in millimetres and in inches.
struct UnitDefaults {
    double feed, overrun, window, lostMotion;
    int decimals;  // what the program writes; targets are rounded to it
};

UnitDefaults DefaultsFor(LengthUnit unit) {
    return unit == LengthUnit::MM ? UnitDefaults{1000, 5, 1, 0.1, 3}
                                  : UnitDefaults{40, 0.2, 0.04, 0.004, 4};
}

double RoundTo(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

// Far beyond any machine's travel or feed: keeps nonsense out of the program.
constexpr double kLargest = 1e6;

bool Sane(double value) {
    return std::isfinite(value) && std::fabs(value) < kLargest;
}

}  // namespace

CaptureStatus MakePlan(const PlanRequest& request, CapturePlan& plan) {
    const UnitDefaults defaults = DefaultsFor(request.unit);
    plan = CapturePlan();
    plan.axis = request.axis;
    plan.dialect = request.dialect;
    plan.unit = request.unit;
    plan.countsPerUnit = request.countsPerUnit;
    plan.runs = request.runs;
    plan.dwell = request.dwell;
    plan.feed = request.feed.value_or(defaults.feed);
    plan.overrun = request.overrun.value_or(defaults.overrun);
    plan.window = request.window.value_or(defaults.window);
    plan.lostMotion = request.lostMotion.value_or(defaults.lostMotion);

    const double travel = request.to - request.from;
    if (!Sane(request.from) || !Sane(request.to) || !(travel > 0))
        return CaptureStatus(CaptureCode::RANGE_BACKWARDS);
    int count = request.targets;
    if ((count > 0) == (request.spacing > 0)) return CaptureStatus(CaptureCode::COUNT_OR_SPACING);
    if (count == 0) {
        const double spaces = travel / request.spacing;
        if (!Sane(spaces) || std::fabs(spaces - std::round(spaces)) > 1e-6)
            return CaptureStatus(CaptureCode::SPACING_NOT_WHOLE, {travel, request.spacing});
        count = static_cast<int>(std::round(spaces)) + 1;
    }
    if (count < MIN_TARGETS || count > MAX_TARGETS)
        return CaptureStatus(CaptureCode::TARGET_COUNT, {MIN_TARGETS, MAX_TARGETS});
    const double pitch = travel / (count - 1);
    std::mt19937 random(request.seed);
    for (int i = 0; i < count; ++i) {
        double target = request.from + i * pitch;
        // A random offset at each inner target samples a periodic error of
        // the screw or the scale at a different phase each time; the ends
        // stay where asked, so the cycle spans the travel asked for.
        if (request.randomOffsets && i > 0 && i < count - 1) {
            const double unit = static_cast<double>(random()) / 4294967296.0;  // [0, 1)
            target += (unit - 0.5) * pitch / 2;
        }
        plan.targets.push_back(RoundTo(target, defaults.decimals));
    }
    if (request.randomOffsets) plan.seed = request.seed;
    return CheckPlan(plan);
}

CaptureStatus CheckPlan(const CapturePlan& plan) {
    using S = CaptureStatus;
    if (plan.axis != 'X' && plan.axis != 'Y' && plan.axis != 'Z')
        return S(CaptureCode::AXIS, {}, std::string(1, plan.axis));
    if (plan.targets.size() < 2) return S(CaptureCode::TOO_FEW_TARGETS);
    double smallest = kLargest;
    for (std::size_t i = 0; i < plan.targets.size(); ++i) {
        if (!Sane(plan.targets[i])) return S(CaptureCode::TARGET_BEYOND_TRAVEL, {plan.targets[i]});
        if (i > 0) {
            const double spacing = plan.targets[i] - plan.targets[i - 1];
            if (!(spacing > 0)) return S(CaptureCode::TARGETS_NOT_RISING, {plan.targets[i]});
            smallest = std::min(smallest, spacing);
        }
    }
    if (plan.runs < MIN_RUNS || plan.runs > MAX_RUNS)
        return S(CaptureCode::RUNS_RANGE, {MIN_RUNS, MAX_RUNS});
    if (!Sane(plan.feed) || !(plan.feed > 0)) return S(CaptureCode::FEED);
    // A reader taking one reading a second needs two at standstill, and
    // the stop need not begin just as a reading does.
    if (!Sane(plan.dwell) || plan.dwell < MIN_DWELL_SECONDS)
        return S(CaptureCode::DWELL_TOO_SHORT, {MIN_DWELL_SECONDS});
    if (!Sane(plan.window) || !(plan.window > 0)) return S(CaptureCode::WINDOW);
    if (!Sane(plan.lostMotion) || plan.lostMotion < 0) return S(CaptureCode::LOST_MOTION);
    // Windows that overlap could take one stop for its neighbour.
    if (plan.window > smallest / 2) return S(CaptureCode::WINDOW_TOO_WIDE, {plan.window, smallest});
    // The turn must leave the end target's window, lost motion and all, or
    // its two directions could not be told apart.
    if (!Sane(plan.overrun) || !(plan.overrun > plan.window + plan.lostMotion))
        return S(CaptureCode::OVERRUN_TOO_SMALL, {plan.overrun, plan.window + plan.lostMotion});
    if (!Sane(plan.countsPerUnit) || !(plan.countsPerUnit > 0)) return S(CaptureCode::SCALE);
    return S();
}

std::vector<CycleStop> CycleStops(const CapturePlan& plan) {
    std::vector<CycleStop> stops;
    const std::size_t n = plan.targets.size();
    for (int run = 1; run <= plan.runs; ++run) {
        for (std::size_t i = 0; i < n; ++i) stops.push_back({run, Direction::UP, i});
        for (std::size_t i = n; i-- > 0;) stops.push_back({run, Direction::DOWN, i});
    }
    return stops;
}

std::vector<CycleWaypoint> CycleWaypoints(const CapturePlan& plan) {
    const double below = plan.targets.front() - plan.overrun;
    const double above = plan.targets.back() + plan.overrun;
    // The turns dwell too, so that a reader taking one reading a second sees
    // the axis outside the end target's window before it comes back.
    std::vector<CycleWaypoint> path = {{below, plan.dwell, std::nullopt}};
    std::size_t stop = 0;
    for (const CycleStop& s : CycleStops(plan)) {
        const double dwell = stop == 0 ? plan.dwell + ZERO_DWELL_EXTRA_SECONDS : plan.dwell;
        path.push_back({plan.targets[s.target], dwell, stop++});
        const bool last =
            s.direction == Direction::UP ? s.target + 1 == plan.targets.size() : s.target == 0;
        if (last) {
            path.push_back(
                {s.direction == Direction::UP ? above : below, plan.dwell, std::nullopt});
        }
    }
    return path;
}

double CycleSeconds(const CapturePlan& plan, const std::vector<CycleWaypoint>& path,
                    std::optional<std::size_t> from, std::size_t to) {
    const double perSecond = plan.feed / 60.0;
    double seconds = 0;
    std::size_t begin = from ? *from + 1 : 0;
    double position = from ? path[*from].position : path.front().position;
    for (std::size_t i = begin; i <= to && i < path.size(); ++i) {
        seconds += std::fabs(path[i].position - position) / perSecond + path[i].dwellSeconds;
        position = path[i].position;
    }
    return seconds;
}

std::vector<std::size_t> StopWaypoints(const std::vector<CycleWaypoint>& path) {
    std::vector<std::size_t> indices;
    for (std::size_t i = 0; i < path.size(); ++i)
        if (path[i].stop) indices.push_back(i);
    return indices;
}

const char* DialectName(Dialect dialect) {
    switch (dialect) {
        case Dialect::LINUXCNC:
            return "linuxcnc";
        case Dialect::GRBL:
            return "grbl";
        case Dialect::FANUC:
            return "fanuc";
        case Dialect::SIEMENS:
            return "siemens";
    }
    return "linuxcnc";
}

bool DialectFromName(const std::string& name, Dialect& dialect) {
    for (Dialect d : {Dialect::LINUXCNC, Dialect::GRBL, Dialect::FANUC, Dialect::SIEMENS}) {
        if (name == DialectName(d)) {
            dialect = d;
            return true;
        }
    }
    return false;
}

}  // namespace pitchwise
