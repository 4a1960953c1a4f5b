// The controller's grid: evenly spaced points inside the measured range,
// each direction's means interpolated linearly between the targets measured
// that way. Never extrapolated: a controller holds a table's end values
// beyond it, so a guessed end would be applied over the rest of the travel.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "export_status.h"
#include "measured_axis.h"

namespace pitchwise {

struct GridPoint {
    double position = 0;
    Figure up;  // the means, actual - target
    Figure down;
    Figure sUp;
    Figure sDown;
};

struct GridRequest {
    std::optional<double> spacing;  // default: the measured spacing, when even
    std::optional<double> from;     // default: where the range starts
    std::optional<double> until;    // default: where it ends
    std::size_t maxPoints = 256;
    // The smallest length the file can write, machine unit: the grid's ends
    // and its spacing must be whole multiples of it, or the controller's
    // points would not be the points the values were taken at.
    double resolution = 1e-6;
    // Where every point needs both directions (a two-column table, or a
    // bidirectional mean), the range is where both were measured; otherwise
    // where either was.
    bool bothDirections = true;
};

struct MeasuredRange {
    double low = 0;
    double high = 0;
};

// The range the grid may cover; false when the points give none.
bool RangeOf(const std::vector<MeasuredPoint>& points, bool bothDirections, MeasuredRange& range);

// A column's value at `position`, linearly between its two neighbouring
// targets that have it; absent outside them.
Figure InterpolateAt(const std::vector<MeasuredPoint>& points, Figure MeasuredPoint::*column,
                     double position);

// The grid ends exactly where asked: refused, with nothing in `grid`, when
// there is no range, the targets are uneven and no spacing is given, the
// grid lies outside the range, its ends are not writable, the spacing is
// not a whole division of it (the status names the nearest that are), or it
// needs more than `maxPoints` points (the status names the smallest spacing
// that fits).
ExportStatus BuildGrid(const std::vector<MeasuredPoint>& points, const GridRequest& request,
                       std::vector<GridPoint>& grid);

// The spacings nearest `spacing` that divide `length` into whole steps, each
// a whole number of `resolution`s, with at most `maxSteps` steps: the next
// smaller one and the next larger one, 0 where there is none.
void FittingSpacings(double length, double resolution, double spacing, std::size_t maxSteps,
                     double& smaller, double& larger);

}  // namespace pitchwise
