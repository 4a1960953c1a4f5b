// A controller library whose every answer is decided by the test that loaded
// it, at run time: the library is never released, so one library must be
// able to fail a run and then serve the next Create normally.
//
// Each entry forwards to FaultTvxCall, defined and exported by the test
// executable. Built standalone (no forwarding, no C library) it is the seed
// of the foreign-architecture files that must fail to load.

#include "tarvex_api.h"

namespace pitchwise {

#ifdef FAULT_TVX_STANDALONE
static int FaultTvxAnswer(const char*, const char*) {
    return 1;
}
#else
extern "C" __attribute__((weak)) int FaultTvxCall(const char* entry, const char* line);
static int FaultTvxAnswer(const char* entry, const char* line) {
    return FaultTvxCall != nullptr ? FaultTvxCall(entry, line) : 0;
}
#endif

}  // namespace pitchwise

using namespace pitchwise;

TVX_EXPORT int Tvx_Init(void) {
    return FaultTvxAnswer("Tvx_Init", nullptr);
}

TVX_EXPORT int Tvx_GCodeLine(const char* line) {
    return FaultTvxAnswer("Tvx_GCodeLine", line);
}

TVX_EXPORT int Tvx_InMotion(void) {
    return FaultTvxAnswer("Tvx_InMotion", nullptr);
}

#ifndef FAULT_TVX_OMIT_POSITION
// Present because a controller library must have it; the run never calls it.
TVX_EXPORT int Tvx_GetMachinePositionEx(void) {
    return FaultTvxAnswer("Tvx_GetMachinePositionEx", nullptr);
}
#endif

TVX_EXPORT int Tvx_Finish(void) {
    return FaultTvxAnswer("Tvx_Finish", nullptr);
}
