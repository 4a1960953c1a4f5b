#include "report_text.h"

namespace pitchwise {

std::string ReportHeaderText(const std::string& logPath, const TemperatureOptions& temperature,
                             const std::vector<std::string>& warnings) {
    std::string text = "run log " + logPath + ", " + TemperatureText(temperature) + "\n";
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
