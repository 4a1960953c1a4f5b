// The simulated controller library: the five entries a mapping run uses,
// each forwarded to the bench, which owns the simulated machine.
//
// Any failure to reach the bench reads as the controller's own refusal
// (0), so a run against a missing bench ends at Tvx_Init and never waits
// for motion that cannot stop.

#include <string>

#include "bench_link.h"
#include "tarvex_api.h"

namespace pitchwise {

namespace {

int Ask(const std::string& request) {
    long reply = 0;
    if (!BenchRequest(request.c_str(), reply)) return 0;
    return static_cast<int>(reply);
}

}  // namespace

}  // namespace pitchwise

using namespace pitchwise;

TVX_EXPORT int Tvx_Init(void) {
    return Ask("INIT");
}

TVX_EXPORT int Tvx_GCodeLine(const char* line) {
    if (line == nullptr) return 0;
    // A line feed inside would split the request; the bench refuses the rest.
    std::string text(line);
    if (text.find_first_of("\r\n") != std::string::npos) return 0;
    return Ask("LINE " + text);
}

TVX_EXPORT int Tvx_InMotion(void) {
    return Ask("MOTION");
}

// The axis position in the bench's machine coordinates, in ten-thousandths
// of a unit; 0 when the bench cannot be reached. Pitchwise never calls it.
TVX_EXPORT int Tvx_GetMachinePositionEx(void) {
    return Ask("POSITION");
}

TVX_EXPORT int Tvx_Finish(void) {
    return Ask("FINISH");
}
