// pitchwise-export's command line, read into options without touching any
// file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "table_formats.h"
#include "temperature.h"

namespace pitchwise {

struct ExportOptions {
    std::string runLog;
    char axis = 0;
    const TableFormat* format = nullptr;
    LengthUnit unit = LengthUnit::UNKNOWN;
    std::optional<double> spacing;
    std::optional<double> from;
    std::optional<double> until;
    std::optional<double> zeroAt;
    int measurement = 0;                           // 0: the latest
    std::optional<double> maxCorrection;           // machine unit; default 0.5 mm
    std::size_t maxPoints = 200;                   // siemens-lec only
    std::string machineAxis;                       // siemens-lec; default the axis letter and 1
    int measuringSystem = 0;                       // siemens-lec
    LengthUnit basicSystem = LengthUnit::UNKNOWN;  // siemens-lec: MD10240, metric mm or inch
    std::optional<int> logicalAxis;                // isg; default X 1, Y 2, Z 3
    TemperatureOptions temperature;
    std::string output;  // -o; empty: standard output
    bool help = false;
};

// The one line said with a usage error; --help prints the whole usage, then
// the temperature options.
extern const char* const EXPORT_USAGE_LINE;
extern const char* const EXPORT_USAGE;

// False with the reason on a usage error. `args` are the arguments after
// the program's name.
bool ParseExportOptions(const std::vector<std::string>& args, ExportOptions& options,
                        std::string& error);

// The largest correction allowed, in the machine's unit `unit`:
// --max-correction, or 0.5 mm (0.5 when the unit is not known).
double MaxCorrection(const ExportOptions& options, LengthUnit unit);

}  // namespace pitchwise
