// The pitchwise-report command line.
#pragma once

#include <string>

#include "length_unit.h"

namespace pitchwise {

struct ReportCommandLine {
    std::string runLog;
    std::string dir;  // where the report goes; the run log's folder unless -o names one
    LengthUnit unit = LengthUnit::UNKNOWN;  // --unit: for a log that does not record it
    bool help = false;
};

// False with the message for the operator when the command line is wrong.
bool ParseReportCommandLine(int argc, const char* const* argv, ReportCommandLine& options,
                            std::string& error);

// False with the system's reason when the run log cannot be read: a log that
// does not exist is a mistyped name, not an empty log.
bool CheckRunLogReadable(const std::string& path, std::string& error);

// The usage without the exit statuses, which REPORT_EXITS gives; the
// temperature options go between them.
extern const char* const REPORT_USAGE;
extern const char* const REPORT_EXITS;
// What a usage error ends with: the synopsis and where to read more.
extern const char* const REPORT_USAGE_LINE;

}  // namespace pitchwise
