// Where the table is zero. A measurement's deviations are 0 at its own
// reference (its first run's start); a controller may want 0 elsewhere (at
// its reference point, so switching the table on moves nothing there). The
// whole table moves by one amount, both directions alike, so the reversal
// between them stays as measured.
#pragma once

#include <string>
#include <vector>

#include "export_status.h"
#include "measured_axis.h"

namespace pitchwise {

// The amount to take off every mean so the table is 0 at `position`: the
// bidirectional mean there, or the one direction measured there. Refused
// when nothing was measured around `position`.
ExportStatus ZeroShiftAt(const std::vector<MeasuredPoint>& points, double position, double& shift);

// Every mean less `shift`.
void ShiftMeans(std::vector<MeasuredPoint>& points, double shift);

}  // namespace pitchwise
