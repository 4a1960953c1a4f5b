#include "report_text.h"

namespace pitchwise {

std::string ReportHeaderText(const std::string& logPath, const TemperatureOptions& temperature,
                             const std::vector<std::string>& warnings) {
    // Every log holds machine positions: the controller library's joint
    // positions, the bench's axis, and capture's programs in machine
    // coordinates; a table is looked up by that position.
    std::string text = "run log " + logPath + ", targets in machine coordinates, " +
                       TemperatureText(temperature) + "\n";
    for (const std::string& warning : warnings) text += "warning: " + warning + "\n";
    return text;
}

std::string ReportText(const std::string& logPath, const TemperatureOptions& temperature,
                       const std::vector<std::string>& warnings,
                       const std::vector<AxisReport>& reports) {
    std::string text = ReportHeaderText(logPath, temperature, warnings);
    for (const AxisReport& report : reports) text += AxisReportText(report);
    return text;
}

}  // namespace pitchwise
