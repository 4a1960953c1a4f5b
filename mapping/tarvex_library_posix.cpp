#include <dlfcn.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "tarvex_library.h"

namespace pitchwise {

namespace {

// The operator's message names only the library; what the loader found is
// for whoever sets the machine up, on standard error.
void ReportLoaderError(const char* what) {
    const char* reason = dlerror();
    std::fprintf(stderr, "%s: %s: %s\n", program_invocation_short_name, what,
                 reason ? reason : "no reason given");
}

}  // namespace

void* LoadTarvexLibrary() {
    // Bare name: LD_LIBRARY_PATH, the executable's run path and the system
    // paths decide which library is the controller's.
    void* library = dlopen("libTarvex.so", RTLD_NOW);
    if (library == nullptr) {
        ReportLoaderError("cannot load the controller library");
        const char* path = std::getenv("LD_LIBRARY_PATH");
        std::fprintf(stderr,
                     "%s: libTarvex.so is looked up by name on the library path: start the "
                     "program with LD_LIBRARY_PATH set to the directory that holds it "
                     "(LD_LIBRARY_PATH is %s%s%s)\n",
                     program_invocation_short_name, path ? "\"" : "", path ? path : "not set",
                     path ? "\"" : "");
    }
    return library;
}

void* FindTarvexEntry(void* library, const char* name) {
    dlerror();  // so that the report below is about this look-up
    void* entry = dlsym(library, name);
    if (entry == nullptr) ReportLoaderError("the controller library lacks an entry");
    return entry;
}

}  // namespace pitchwise
