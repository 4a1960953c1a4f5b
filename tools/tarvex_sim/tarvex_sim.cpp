// The simulated controller library: the five entries a mapping run uses,
// each forwarded to the bench, which owns the simulated machine.
//
// Any failure to reach the bench reads as the controller's own refusal
// (0), so a run against a missing bench ends at Tvx_Init and never waits
// for motion that cannot stop.

#include <string>

#include "bench_link.h"
#include "tarvex_sim_export.h"

namespace {

int Ask(const std::string& request) {
    long reply = 0;
    if (!BenchRequest(request.c_str(), reply)) return 0;
    return static_cast<int>(reply);
}

}  // namespace

extern "C" {

TARVEX_SIM_EXPORT int Tvx_Init(void) {
    return Ask("INIT");
}

TARVEX_SIM_EXPORT int Tvx_GCodeLine(const char* line) {
    if (line == nullptr) return 0;
    // A line feed inside would split the request; the bench refuses the rest.
    std::string text(line);
    if (text.find_first_of("\r\n") != std::string::npos) return 0;
    return Ask("LINE " + text);
}

TARVEX_SIM_EXPORT int Tvx_InMotion(void) {
    return Ask("MOTION");
}

// The axis position in the bench's machine coordinates, in ten-thousandths
// of a unit; 0 when the bench cannot be reached.
TARVEX_SIM_EXPORT int Tvx_GetMachinePositionEx(int* tenThousandths) {
    long reply = 0;
    bool ok = BenchRequest("POSITION", reply);
    if (tenThousandths != nullptr) *tenThousandths = ok ? static_cast<int>(reply) : 0;
    return ok ? 1 : 0;
}

TARVEX_SIM_EXPORT int Tvx_Finish(void) {
    return Ask("FINISH");
}
}
