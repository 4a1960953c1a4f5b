// The report's text as pitchwise-report prints it, before the lines that
// name its pictures: the run log, whether the figures are normalised to
// 20 °C, the reader's warnings, then each axis's figures. The window shows
// the same text, so the two never disagree.
#pragma once

#include <string>
#include <vector>

#include "axis_report.h"
#include "temperature.h"

namespace pitchwise {

std::string ReportHeaderText(const std::string& logPath, const TemperatureOptions& temperature,
                             const std::vector<std::string>& warnings);

// The header and every axis's figures, without the picture lines.
std::string ReportText(const std::string& logPath, const TemperatureOptions& temperature,
                       const std::vector<std::string>& warnings,
                       const std::vector<AxisReport>& reports);

}  // namespace pitchwise
