// Run-time binding to the controller's motion-control library.
#pragma once

#include "tarvex_api.h"

namespace pitchwise {

struct TarvexEntries {
    TvxInitFn init;
    TvxGCodeLineFn gcodeLine;
    TvxInMotionFn inMotion;
    TvxGetMachinePositionExFn getMachinePositionEx;  // required to be present, never called
    TvxFinishFn finish;
};

// Loads the library by its bare file name, so the platform's ordinary search
// order applies ("Tarvex.dll" on Windows, "libTarvex.so" elsewhere). The
// library is never released: nullptr when it cannot be loaded.
void* LoadTarvexLibrary();

// Looks one entry up by name; nullptr when it is absent.
void* FindTarvexEntry(void* library, const char* name);

// Resolves all five entries; false when any is missing.
bool ResolveTarvexEntries(void* library, TarvexEntries& entries);

}  // namespace pitchwise
