#include "table_zero.h"

#include "table_grid.h"

namespace pitchwise {

ExportStatus ZeroShiftAt(const std::vector<MeasuredPoint>& points, double position, double& shift) {
    Figure up = InterpolateAt(points, &MeasuredPoint::meanUp, position);
    Figure down = InterpolateAt(points, &MeasuredPoint::meanDown, position);
    if (up && down) {
        shift = (*up + *down) / 2;
    } else if (up || down) {
        shift = up ? *up : *down;
    } else {
        return ExportStatus(ExportCode::ZERO_OUTSIDE, {position});
    }
    return ExportStatus();
}

void ShiftMeans(std::vector<MeasuredPoint>& points, double shift) {
    for (MeasuredPoint& p : points) {
        if (p.meanUp) *p.meanUp -= shift;
        if (p.meanDown) *p.meanDown -= shift;
    }
}

}  // namespace pitchwise
