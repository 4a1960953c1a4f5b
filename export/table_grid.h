// The controller's grid: evenly spaced points inside the measured range,
// each direction's means interpolated linearly between the targets measured
// that way. Never extrapolated: a controller holds a table's end values
// beyond it, so a guessed end would be applied over the rest of the travel.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

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

// False with the reason, and nothing in `grid`: no range, uneven targets
// and no spacing, a grid outside the range, a single point, or more points
// than `maxPoints` (the reason names the spacing that would fit).
bool BuildGrid(const std::vector<MeasuredPoint>& points, const GridRequest& request,
               std::vector<GridPoint>& grid, std::string& error);

}  // namespace pitchwise
