// Any run log a person or a crash can leave: the reader either refuses it
// with a line number, or returns runs that hold together (numbered upwards,
// points 0 to n - 1 in order, finite numbers) and that read back the same
// once written out again; a log of the older form without the unit reads
// the same once upgraded.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "run_log.h"

namespace pitchwise {

namespace {

void CheckRuns(const RunLogReading& reading) {
    int last = 0;
    for (const LoggedRun& run : reading.runs) {
        FUZZ_CHECK(run.run > last);
        last = run.run;
        FUZZ_CHECK(run.measurement >= 1);
        FUZZ_CHECK(run.axis == 'X' || run.axis == 'Y' || run.axis == 'Z');
        FUZZ_CHECK(!run.points.empty());
        for (std::size_t i = 0; i < run.points.size(); ++i) {
            const LoggedPoint& p = run.points[i];
            FUZZ_CHECK(p.point == static_cast<int>(i));
            FUZZ_CHECK(std::isfinite(p.target) && std::isfinite(p.correction) &&
                       std::isfinite(p.deviation));
            FUZZ_CHECK(p.time.size() == 20);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    RunLogReading reading;
    std::string error;
    if (!ParseRunLog(text, reading, error)) {
        FUZZ_CHECK(error.rfind("line ", 0) == 0);
        FUZZ_CHECK(reading.runs.empty());
        return 0;
    }
    CheckRuns(reading);

    // What was read, written out again, reads back whole and alike.
    std::string again = std::string(RUN_LOG_HEADER) + "\n";
    for (const LoggedRun& run : reading.runs) again += FormatRun(run);
    RunLogReading back;
    FUZZ_CHECK(ParseRunLog(again, back, error));
    FUZZ_CHECK(back.warnings.empty());
    FUZZ_CHECK(back.runs.size() == reading.runs.size());
    for (std::size_t r = 0; r < back.runs.size(); ++r) {
        FUZZ_CHECK(back.runs[r].run == reading.runs[r].run);
        FUZZ_CHECK(back.runs[r].points.size() == reading.runs[r].points.size());
        FUZZ_CHECK(back.runs[r].unit == reading.runs[r].unit);
    }

    // A log of the older form, upgraded as the first append does, reads the
    // same runs, every one of unknown unit.
    if (reading.withoutUnit) {
        const std::size_t end = text.rfind('\n');
        RunLogReading upgraded;
        FUZZ_CHECK(ParseRunLog(WithUnitColumn(text.substr(0, end + 1)), upgraded, error));
        FUZZ_CHECK(!upgraded.withoutUnit);
        FUZZ_CHECK(upgraded.runs.size() == reading.runs.size());
        for (const LoggedRun& run : upgraded.runs) FUZZ_CHECK(run.unit == LengthUnit::UNKNOWN);
    }
    return 0;
}

}  // namespace pitchwise
