// The export's option parser and grid builder on any input: the run log
// reader's inputs as logs, or a first line "#! ..." as the command line and
// the rest as the log. Whatever the input, an export either refuses with a
// reason and no text, or gives a table whose points ascend evenly inside
// what was measured, no more of them than the format takes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "export_table.h"
#include "fuzz_check.h"
#include "measured_axis.h"
#include "run_log.h"
#include "table_grid.h"

namespace pitchwise {

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string word;
    while (in >> word && words.size() < 40) words.push_back(word);
    return words;
}

void CheckGrid(const std::vector<MeasuredPoint>& points, const ExportOptions& options,
               LengthUnit unit) {
    GridRequest request;
    request.spacing = options.spacing;
    request.from = options.from;
    request.until = options.until;
    request.maxPoints =
        options.format->maxPoints != 0 ? options.format->maxPoints : options.maxPoints;
    request.bothDirections = !options.format->eitherDirection;
    request.resolution = MachineResolution(*options.format, unit, options.basicSystem);
    if (!(request.resolution > 0)) return;
    std::vector<GridPoint> grid;
    const ExportStatus status = BuildGrid(points, request, grid);
    if (!status) {
        FUZZ_CHECK(grid.empty());
        return;
    }
    MeasuredRange range;
    FUZZ_CHECK(RangeOf(points, request.bothDirections, range));
    FUZZ_CHECK(grid.size() >= 2 && grid.size() <= request.maxPoints);
    // The grid ends where it was asked to.
    FUZZ_CHECK(std::fabs(grid.back().position - options.until.value_or(range.high)) < 1e-9);
    const double spacing = grid[1].position - grid[0].position;
    for (std::size_t i = 0; i < grid.size(); ++i) {
        const GridPoint& g = grid[i];
        FUZZ_CHECK(g.position >= range.low - 1e-4 && g.position <= range.high + 1e-4);
        if (i > 0) FUZZ_CHECK(std::fabs(g.position - grid[i - 1].position - spacing) < 1e-6);
        // Every point where the controller places it: a whole number of the
        // file's resolution.
        const double units = g.position / request.resolution;
        if (std::fabs(units) < 1e12) FUZZ_CHECK(std::fabs(units - std::round(units)) < 1e-2);
        if (request.bothDirections) FUZZ_CHECK(g.up.has_value() || g.down.has_value());
        for (const Figure& value : {g.up, g.down})
            if (value) FUZZ_CHECK(std::isfinite(*value));
    }
}

void Export(const std::vector<LoggedRun>& runs, const ExportOptions& options) {
    ExportResult result;
    const ExportStatus status = ExportTable(runs, options, result);
    if (!status) {
        FUZZ_CHECK(result.text.empty());
    } else {
        FUZZ_CHECK(!result.text.empty());
        // Plain ASCII, whatever the log's name holds.
        for (char c : result.text)
            FUZZ_CHECK(c == '\n' || (static_cast<unsigned char>(c) >= 0x20 &&
                                     static_cast<unsigned char>(c) < 0x7F));
        // No number unwritable; the log's name, in the comment as plain
        // ASCII, may say anything.
        std::string text = result.text;
        const std::string name = AsciiComment(options.runLog);
        for (std::size_t at; !name.empty() && (at = text.find(name)) != std::string::npos;)
            text.erase(at, name.size());
        FUZZ_CHECK(text.find("nan") == std::string::npos);
    }
    MeasuredAxis measured;
    if (SelectMeasurement(runs, options.axis, options.measurement, measured).ok()) {
        const LengthUnit unit = measured.unit != LengthUnit::UNKNOWN ? measured.unit : options.unit;
        CheckGrid(measured.points, options, unit);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    RunLogReading reading;
    std::string error;
    if (text.rfind("#!", 0) == 0) {
        const std::size_t end = text.find('\n');
        std::vector<std::string> args =
            Words(text.substr(2, end == std::string::npos ? end : end - 2));
        ExportOptions options;
        if (!ParseExportOptions(args, options, error)) {
            FUZZ_CHECK(!error.empty());
            return 0;
        }
        if (options.help || end == std::string::npos) return 0;
        if (!ParseRunLog(text.substr(end + 1), reading, error)) return 0;
        Export(reading.runs, options);
        return 0;
    }
    // A log without a command line: every format, as the demo asks for them.
    if (!ParseRunLog(text, reading, error)) return 0;
    for (const TableFormat& format : TableFormats()) {
        for (const char* unit : {"mm", "inch"}) {
            std::vector<std::string> args = {"runs.csv",  "--axis", "X", "--to",
                                             format.name, "--unit", unit};
            if (format.fileUnit == FileUnit::BASIC_SYSTEM)
                args.insert(args.end(), {"--basic-system", unit[0] == 'm' ? "metric" : "inch"});
            ExportOptions options;
            FUZZ_CHECK(ParseExportOptions(args, options, error));
            Export(reading.runs, options);
        }
    }
    return 0;
}

}  // namespace pitchwise
