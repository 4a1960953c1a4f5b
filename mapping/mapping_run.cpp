#include "mapping_run.h"

#include <cmath>
#include <cstdint>

#include "command_line.h"
#include "pause.h"
#include "qsb.h"
#include "tarvex_library.h"

namespace pitchwise {

namespace {

// Passes one line to the controller and waits until the motion it started
// has stopped. False when the controller refused the line.
bool SendAndSettle(const TarvexEntries& tvx, const CommandLine& line) {
    if (tvx.gcodeLine(line.text) == 0) return false;
    while (tvx.inMotion() != 0) {
        Pause(MOTION_POLL_MS);
    }
    return true;
}

}  // namespace

int MappingStepCount(float start, float end, float increment) {
    float quotient = std::fabs(end - start) / increment;
    // float(INT32_MAX) rounds up to 2^31, so anything at or above it cannot be
    // held; NaN fails the comparison and counts as negative too.
    if (!(quotient >= 0.0f) || quotient >= 2147483648.0f) return -1;
    return static_cast<int>(quotient);
}

bool ZeroReadingAccepted(float position) {
    // Counts are whole, so the limit lies half a count beyond the tolerance:
    // the conversion to a length and back can never tip a reading across it.
    const float limit =
        (static_cast<float>(QSB_ZERO_TOLERANCE_COUNTS) + 0.5f) / QSB_COUNTS_PER_UNIT;
    return std::fabs(position) < limit;
}

MapResult RunMapping(char axis, float start, float end, float increment, bool disableFirst) {
    // Loaded afresh on every run and never released: a second run finds the
    // library already in the process.
    void* library = LoadTarvexLibrary();
    if (library == nullptr) return MAP_NO_LIBRARY;

    TarvexEntries tvx{};
    if (!ResolveTarvexEntries(library, tvx)) return MAP_NO_ENTRY;
    if (tvx.init() == 0) return MAP_INIT_FAILED;

    if (disableFirst && !SendAndSettle(tvx, FormatCommandLine("L600"))) return MAP_COMMAND_FAILED;
    if (!SendAndSettle(tvx, FormatCommandLine("L602%c%c", axis, axis))) return MAP_COMMAND_FAILED;
    if (!SendAndSettle(tvx, FormatCommandLine("G0%c%.4f", axis, static_cast<double>(start)))) {
        return MAP_COMMAND_FAILED;
    }

    // From here on the QSB counts travel from the start position.
    ZeroQsbCounter();

    const bool negative = end < start;
    const int count = MappingStepCount(start, end, increment);
    for (int i = 0; i <= count; ++i) {
        if (!SendAndSettle(tvx, FormatCommandLine("G4D1"))) return MAP_COMMAND_FAILED;

        float measured;
        // A reading we did not get is never turned into a correction.
        if (!ReadQsbPosition(measured)) return MAP_READ_FAILED;

        CommandLine entry;
        if (i == 0) {
            // Point 0 is the start, read at rest just after zeroing: a QSB that
            // did not zero would put its old count into every entry, so the run
            // stops before the table gets its first one.
            if (!ZeroReadingAccepted(measured)) return MAP_ZERO_FAILED;
            entry = FormatCommandLine("L606 N%d V0", i);
        } else {
            // The QSB counts signed travel, so the commanded travel carries the
            // direction's sign before the measured one is taken from it.
            float commanded = static_cast<float>(i) * increment;
            if (negative) commanded = -commanded;
            float difference = commanded - measured;
            entry = FormatCommandLine("L606 N%d V%.4f", i, static_cast<double>(difference));
        }
        if (!SendAndSettle(tvx, entry)) return MAP_COMMAND_FAILED;

        if (i == count) break;

        // Targets are whole multiples of the increment in the controller's
        // mapping frame, which begins at the start: the start is never added.
        float target = static_cast<float>(i + 1) * increment;
        if (negative) target = -target;
        if (!SendAndSettle(tvx, FormatCommandLine("G1%c%.4f", axis, static_cast<double>(target)))) {
            return MAP_COMMAND_FAILED;
        }
    }

    if (!SendAndSettle(tvx, FormatCommandLine("L601"))) return MAP_COMMAND_FAILED;
    tvx.finish();
    return MAP_DONE;
}

}  // namespace pitchwise
