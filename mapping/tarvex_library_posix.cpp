#include <dlfcn.h>

#include "tarvex_library.h"

void* LoadTarvexLibrary() {
    // Bare name: LD_LIBRARY_PATH, the executable's run path and the system
    // paths decide which library is the controller's.
    return dlopen("libTarvex.so", RTLD_NOW);
}

void* FindTarvexEntry(void* library, const char* name) {
    return dlsym(library, name);
}
