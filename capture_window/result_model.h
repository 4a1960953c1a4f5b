// The window's result step without the window: a run log's figures as
// pitchwise-report prints them, and a controller's table from it as
// pitchwise-export writes it, asked for with the export's own options.
#pragma once

#include <string>
#include <vector>

#include "axis_report.h"
#include "run_log.h"
#include "temperature.h"

namespace pitchwise {

struct CaptureResult {
    std::string logPath;
    std::vector<LoggedRun> runs;
    std::vector<AxisReport> reports;  // empty: no complete run
    std::string text;                 // the figures, as the report prints them
};

// False with the reason when the log cannot be read.
bool ReadCaptureResult(const std::string& logPath, const TemperatureOptions& temperature,
                       CaptureResult& result, std::string& error);

// What the export dialog asks for, as pitchwise-export's options. Empty
// texts are left out.
struct ExportChoice {
    std::string format;  // one of the export's formats
    std::string unit;    // mm, inch or empty: the log's
    std::string zeroAt, spacing;
    std::string more;  // further options, as on the command line
};

// The export's arguments for `choice` on `logPath` (the output left out).
std::vector<std::string> ExportArguments(const std::string& logPath, char axis,
                                         const ExportChoice& choice);

// The table's text, or false with the export's reason.
bool ExportResultTable(const CaptureResult& result, char axis, const ExportChoice& choice,
                       std::string& text, std::vector<std::string>& notes, std::string& error);

}  // namespace pitchwise
