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

// Writes the picture as PNG and as SVG; false with the reason when a file
// cannot be written. Needs a QApplication.
bool DrawAxisChart(const AxisReport& report, const std::string& pngPath, const std::string& svgPath,
                   std::string& error);

}  // namespace pitchwise
