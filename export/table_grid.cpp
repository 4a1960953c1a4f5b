#include "table_grid.h"

#include <algorithm>
#include <cmath>

#include "interpolation.h"
#include "number_text.h"

namespace pitchwise {

namespace {

// The log's targets have four decimals: closer than half their last digit
// they are one position.
constexpr double kSame = 5e-5;

bool EvenSpacing(const std::vector<MeasuredPoint>& points, double& spacing) {
    if (points.size() < 2) return false;
    spacing = points[1].target - points[0].target;
    for (std::size_t i = 2; i < points.size(); ++i)
        if (std::fabs(points[i].target - points[i - 1].target - spacing) > kSame) return false;
    return spacing > kSame;
}

bool ColumnRange(const std::vector<MeasuredPoint>& points, Figure MeasuredPoint::*column,
                 MeasuredRange& range) {
    bool any = false;
    for (const MeasuredPoint& p : points) {
        if (!(p.*column)) continue;
        if (!any) range.low = p.target;
        range.high = p.target;
        any = true;
    }
    return any;
}

std::string Position(double value) {
    return FixedText(value, 4);
}

}  // namespace

bool RangeOf(const std::vector<MeasuredPoint>& points, bool bothDirections, MeasuredRange& range) {
    MeasuredRange up;
    MeasuredRange down;
    bool hasUp = ColumnRange(points, &MeasuredPoint::meanUp, up);
    bool hasDown = ColumnRange(points, &MeasuredPoint::meanDown, down);
    if (hasUp && hasDown) {
        range = bothDirections
                    ? MeasuredRange{std::max(up.low, down.low), std::min(up.high, down.high)}
                    : MeasuredRange{std::min(up.low, down.low), std::max(up.high, down.high)};
        return range.high > range.low + kSame;
    }
    if (!hasUp && !hasDown) return false;
    range = hasUp ? up : down;
    return range.high > range.low + kSame;
}

Figure InterpolateAt(const std::vector<MeasuredPoint>& points, Figure MeasuredPoint::*column,
                     double position) {
    std::vector<Sample> measured;
    for (const MeasuredPoint& p : points) {
        if (p.*column) measured.push_back(Sample{p.target, *(p.*column)});
    }
    // Never beyond what was measured: a table's ends are measured points.
    return pitchwise::InterpolateAt(measured, position, Beyond::REFUSE, kSame);
}

bool BuildGrid(const std::vector<MeasuredPoint>& points, const GridRequest& request,
               std::vector<GridPoint>& grid, std::string& error) {
    grid.clear();
    MeasuredRange range;
    if (!RangeOf(points, request.bothDirections, range)) {
        error = request.bothDirections
                    ? "no range of two or more targets was measured in both directions"
                    : "no range of two or more targets was measured";
        return false;
    }
    double spacing = 0;
    if (request.spacing) {
        spacing = *request.spacing;
    } else if (!EvenSpacing(points, spacing)) {
        error = "the measured targets are not evenly spaced: give --spacing";
        return false;
    }
    const double from = request.from.value_or(range.low);
    const double until = request.until.value_or(range.high);
    const std::string measured = "the measured range " + Position(range.low) + " to " +
                                 Position(range.high) +
                                 (request.bothDirections ? " (both directions)" : "");
    if (from < range.low - kSame || until > range.high + kSame) {
        error = "the grid from " + Position(from) + " to " + Position(until) + " lies outside " +
                measured + ": a table is never extrapolated";
        return false;
    }
    if (!(until > from + kSame)) {
        error = "the grid's start " + Position(from) + " must lie below its end " + Position(until);
        return false;
    }
    if (!(spacing > kSame) || spacing > until - from + kSame) {
        error = "the spacing " + Position(spacing) +
                " must be above 0 and at most the grid's length " + Position(until - from);
        return false;
    }
    // Counted in whole steps with a little room for the targets' rounding.
    const double steps = std::floor((until - from) / spacing + 1e-6);
    if (steps + 1 > static_cast<double>(request.maxPoints)) {
        // Two points at least, or there is no spacing to name.
        const double intervals =
            static_cast<double>(std::max<std::size_t>(request.maxPoints, 2) - 1);
        double fits = std::ceil((until - from) / intervals * 1e4) / 1e4;
        error = "the grid from " + Position(from) + " to " + Position(until) + " by " +
                Position(spacing) + " needs " + FixedText(steps + 1, 0) +
                " points, more than the " + std::to_string(request.maxPoints) +
                " the format takes: a spacing of " + Position(fits) + " or more fits";
        return false;
    }
    for (std::size_t i = 0; i <= static_cast<std::size_t>(steps); ++i) {
        GridPoint g;
        g.position = from + static_cast<double>(i) * spacing;
        // Clamped so a point a rounding beyond the last target still has it.
        const double at = std::min(g.position, range.high);
        g.up = InterpolateAt(points, &MeasuredPoint::meanUp, at);
        g.down = InterpolateAt(points, &MeasuredPoint::meanDown, at);
        g.sUp = InterpolateAt(points, &MeasuredPoint::sUp, at);
        g.sDown = InterpolateAt(points, &MeasuredPoint::sDown, at);
        grid.push_back(g);
    }
    return true;
}

}  // namespace pitchwise
