#include "tarvex_library.h"

namespace pitchwise {

namespace {

template <typename Fn>
bool Resolve(void* library, const char* name, Fn& entry) {
    entry = reinterpret_cast<Fn>(FindTarvexEntry(library, name));
    return entry != nullptr;
}

}  // namespace

bool ResolveTarvexEntries(void* library, TarvexEntries& entries) {
    bool all = Resolve(library, "Tvx_Init", entries.init);
    all = Resolve(library, "Tvx_GCodeLine", entries.gcodeLine) && all;
    all = Resolve(library, "Tvx_InMotion", entries.inMotion) && all;
    all = Resolve(library, "Tvx_GetMachinePositionEx", entries.getMachinePositionEx) && all;
    all = Resolve(library, "Tvx_Finish", entries.finish) && all;
    return all;
}

}  // namespace pitchwise
