// What the fake controller library tells the test about each call.
#pragma once

extern "C" {

struct FakeTvxCall {
    const char* entry;  // "Tvx_Init", "Tvx_GCodeLine", ...
    const char* line;   // the command line for Tvx_GCodeLine, otherwise nullptr
    int result;         // what the entry returned
    int initCount;      // Tvx_Init calls since this library was loaded
};

// Defined and exported by the test executable; the fake calls it when present.
void FakeTvxEvent(const FakeTvxCall* call);
}
