// A controller library for tests: records every call and plays one scripted
// misbehaviour, chosen when the variant is built.
//
// Each call is reported to FakeTvxEvent, which the test executable defines
// and exports; the library keeps only the state a variant needs.

#include <cstring>

#include "fake_tarvex_events.h"
#include "tarvex_api.h"

#ifndef FAKE_TVX_INIT_RESULT
#define FAKE_TVX_INIT_RESULT 1
#endif
#ifndef FAKE_TVX_REFUSE_LINE
#define FAKE_TVX_REFUSE_LINE 0  // 1-based count of lines since Tvx_Init; 0 refuses none
#endif
#ifndef FAKE_TVX_MOTION_POLLS
#define FAKE_TVX_MOTION_POLLS 0  // Tvx_InMotion answers 1 this often after each line
#endif

extern "C" __attribute__((weak)) void FakeTvxEvent(const FakeTvxCall* call);

namespace {

int theInitCount = 0;
int theLinesSinceInit = 0;
int theMotionLeft = 0;

int Report(const char* entry, const char* line, int result) {
    if (FakeTvxEvent != nullptr) {
        FakeTvxCall call{entry, line, result, theInitCount};
        FakeTvxEvent(&call);
    }
    return result;
}

#ifndef FAKE_TVX_REFUSE_TEXT
#define FAKE_TVX_REFUSE_TEXT ""  // refuses no line by its text
#endif

[[maybe_unused]] bool Refused(const char* line) {
    return theLinesSinceInit == FAKE_TVX_REFUSE_LINE ||
           std::strcmp(line, FAKE_TVX_REFUSE_TEXT) == 0;
}

}  // namespace

#ifndef FAKE_TVX_OMIT_INIT
TVX_EXPORT int Tvx_Init(void) {
    ++theInitCount;
    theLinesSinceInit = 0;
    theMotionLeft = 0;
    return Report("Tvx_Init", nullptr, FAKE_TVX_INIT_RESULT);
}
#endif

#ifndef FAKE_TVX_OMIT_GCODELINE
TVX_EXPORT int Tvx_GCodeLine(const char* line) {
    ++theLinesSinceInit;
    if (Refused(line)) return Report("Tvx_GCodeLine", line, 0);
    theMotionLeft = FAKE_TVX_MOTION_POLLS;
    return Report("Tvx_GCodeLine", line, 1);
}
#endif

#ifndef FAKE_TVX_OMIT_INMOTION
TVX_EXPORT int Tvx_InMotion(void) {
    int moving = theMotionLeft > 0 ? 1 : 0;
    if (moving) --theMotionLeft;
    return Report("Tvx_InMotion", nullptr, moving);
}
#endif

#ifndef FAKE_TVX_OMIT_GETMACHINEPOSITIONEX
// Present because a controller library must have it; the run never calls it.
TVX_EXPORT int Tvx_GetMachinePositionEx(void) {
    return Report("Tvx_GetMachinePositionEx", nullptr, 0);
}
#endif

#ifndef FAKE_TVX_OMIT_FINISH
TVX_EXPORT int Tvx_Finish(void) {
    return Report("Tvx_Finish", nullptr, 1);
}
#endif
