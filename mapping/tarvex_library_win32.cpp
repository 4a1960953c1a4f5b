#include <windows.h>

#include "tarvex_library.h"

namespace pitchwise {

void* LoadTarvexLibrary() {
    return reinterpret_cast<void*>(LoadLibraryA("Tarvex.dll"));
}

void* FindTarvexEntry(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

}  // namespace pitchwise
