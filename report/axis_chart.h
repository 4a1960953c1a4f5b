// The picture of one axis's report, drawn with Qt Charts: each run's
// deviation along the axis, each direction's mean with its ±2s band, the
// reversal, and the residual of verification runs where there are any.
// Rendered without a window, so it needs no display.
#pragma once

#include <string>

#include "axis_report.h"

class QChart;

namespace pitchwise {

// The chart DrawAxisChart renders, sized, with no scene; the caller owns it.
QChart* BuildAxisChart(const AxisReport& report);

// The picture as the bytes of a PNG and of an SVG file, for the caller to
// write whole; false with the reason when one cannot be drawn. Needs a
// QApplication.
bool DrawAxisChart(const AxisReport& report, std::string& png, std::string& svg,
                   std::string& error);

}  // namespace pitchwise
