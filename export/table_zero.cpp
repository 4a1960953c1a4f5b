#include "table_zero.h"

#include "number_text.h"
#include "table_grid.h"

namespace pitchwise {

bool ZeroShiftAt(const std::vector<MeasuredPoint>& points, double position, double& shift,
                 std::string& error) {
    Figure up = InterpolateAt(points, &MeasuredPoint::meanUp, position);
    Figure down = InterpolateAt(points, &MeasuredPoint::meanDown, position);
    if (up && down) {
        shift = (*up + *down) / 2;
    } else if (up || down) {
        shift = up ? *up : *down;
    } else {
        error = "--zero-at " + FixedText(position, 4) + " lies outside the measured range";
        return false;
    }
    return true;
}

void ShiftMeans(std::vector<MeasuredPoint>& points, double shift) {
    for (MeasuredPoint& p : points) {
        if (p.meanUp) *p.meanUp -= shift;
        if (p.meanDown) *p.meanDown -= shift;
    }
}

}  // namespace pitchwise
