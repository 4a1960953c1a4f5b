// The motion-control library's five entries, as Pitchwise calls them and as
// every controller library we build defines them. Both sides include this
// one header, so a library whose entry drifts from the form Pitchwise calls
// through no longer compiles.
//
// Tvx_GetMachinePositionEx must be present but is never called: it takes
// nothing, so no library can write through a pointer no caller gave it.
#pragma once

// C linkage, so each entry is found by its plain name; exported by name from
// the library that defines it.
#if defined(_WIN32)
#define TVX_EXPORT extern "C" __declspec(dllexport)
#else
#define TVX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

TVX_EXPORT int Tvx_Init(void);                   // non-zero: ready
TVX_EXPORT int Tvx_GCodeLine(const char* line);  // non-zero: the line was accepted
TVX_EXPORT int Tvx_InMotion(void);               // non-zero while the machine moves
TVX_EXPORT int Tvx_GetMachinePositionEx(void);   // required, never called
TVX_EXPORT int Tvx_Finish(void);                 // its result is ignored

// The forms the binding calls through, taken from the declarations above.
using TvxInitFn = decltype(&Tvx_Init);
using TvxGCodeLineFn = decltype(&Tvx_GCodeLine);
using TvxInMotionFn = decltype(&Tvx_InMotion);
using TvxGetMachinePositionExFn = decltype(&Tvx_GetMachinePositionEx);
using TvxFinishFn = decltype(&Tvx_Finish);
