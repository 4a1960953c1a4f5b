#include "table_grid.h"

#include <algorithm>
#include <cmath>

#include "interpolation.h"

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

// How many `resolution`s `length` is, to a thousandth of one; -1 when it is
// no whole number of them (or too many to count).
long long Whole(double length, double resolution) {
    const double count = length / resolution;
    const double whole = std::round(count);
    if (!(std::fabs(count - whole) <= 1e-3) || std::fabs(whole) > 1e15) return -1;
    return static_cast<long long>(whole);
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

void FittingSpacings(double length, double resolution, double spacing, std::size_t maxSteps,
                     double& smaller, double& larger) {
    smaller = 0;
    larger = 0;
    const long long units = Whole(length, resolution);
    const long long most = static_cast<long long>(maxSteps);
    if (units <= 0 || !(spacing > 0) || most < 1) return;
    // A step is a whole number of resolutions exactly when the count of
    // steps divides the length's count of them.
    const double steps = length / spacing;
    const long long below = static_cast<long long>(std::min(std::floor(steps), 1e15));
    const long long above = static_cast<long long>(std::min(std::ceil(steps), 1e15));
    for (long long n = std::max(above == below ? above + 1 : above, 1LL); n <= most; ++n) {
        if (units % n == 0) {
            smaller = static_cast<double>(units / n) * resolution;
            break;
        }
    }
    for (long long n = std::min(above == below ? below - 1 : below, most); n >= 1; --n) {
        if (units % n == 0) {
            larger = static_cast<double>(units / n) * resolution;
            break;
        }
    }
}

ExportStatus BuildGrid(const std::vector<MeasuredPoint>& points, const GridRequest& request,
                       std::vector<GridPoint>& grid) {
    grid.clear();
    MeasuredRange range;
    if (!RangeOf(points, request.bothDirections, range))
        return ExportStatus(ExportCode::NO_RANGE, {request.bothDirections ? 1.0 : 0.0});
    double spacing = 0;
    if (request.spacing) {
        spacing = *request.spacing;
    } else if (!EvenSpacing(points, spacing)) {
        return ExportStatus(ExportCode::UNEVEN_TARGETS);
    }
    const double from = request.from.value_or(range.low);
    const double until = request.until.value_or(range.high);
    if (from < range.low - kSame || until > range.high + kSame) {
        return ExportStatus(ExportCode::GRID_OUTSIDE, {from, until, range.low, range.high,
                                                       request.bothDirections ? 1.0 : 0.0});
    }
    if (!(until > from + kSame))
        return ExportStatus(ExportCode::GRID_START_NOT_BELOW_END, {from, until});
    const double length = until - from;
    if (!(spacing > 0) || spacing > length + kSame)
        return ExportStatus(ExportCode::SPACING_NOT_POSITIVE, {spacing, length});
    const double r = request.resolution;
    if (Whole(std::fabs(from), r) < 0 || Whole(std::fabs(until), r) < 0)
        return ExportStatus(ExportCode::GRID_ENDS_NOT_WRITABLE, {from, until, r});
    const std::size_t maxSteps = std::max<std::size_t>(request.maxPoints, 2) - 1;
    // A controller places its points from the start at the spacing, so a
    // spacing that does not divide the grid would end it short of `until`.
    const double steps = std::round(length / spacing);
    if (Whole(spacing, r) <= 0 || std::fabs(steps * spacing - length) > r * 1e-3) {
        double smaller = 0;
        double larger = 0;
        FittingSpacings(length, r, spacing, maxSteps, smaller, larger);
        return ExportStatus(ExportCode::SPACING_DOES_NOT_FIT,
                            {spacing, from, until, smaller, larger});
    }
    if (steps + 1 > static_cast<double>(request.maxPoints)) {
        double smaller = 0;
        double fits = 0;
        FittingSpacings(length, r, length / (static_cast<double>(maxSteps) + 0.5), maxSteps,
                        smaller, fits);
        return ExportStatus(
            ExportCode::TOO_MANY_POINTS,
            {from, until, spacing, steps + 1, static_cast<double>(request.maxPoints), fits});
    }
    const auto last = static_cast<std::size_t>(steps);
    for (std::size_t i = 0; i <= last; ++i) {
        GridPoint g;
        g.position = i == last ? until : from + static_cast<double>(i) * spacing;
        // Clamped so a point a rounding beyond the last target still has it.
        const double at = std::min(g.position, range.high);
        g.up = InterpolateAt(points, &MeasuredPoint::meanUp, at);
        g.down = InterpolateAt(points, &MeasuredPoint::meanDown, at);
        g.sUp = InterpolateAt(points, &MeasuredPoint::sUp, at);
        g.sDown = InterpolateAt(points, &MeasuredPoint::sDown, at);
        grid.push_back(g);
    }
    return ExportStatus();
}

}  // namespace pitchwise
