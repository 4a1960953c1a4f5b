// The five entries Pitchwise looks up in libTarvex.so, with C linkage.
#include <memory>

#include "linuxcnc_controller.h"
#include "tarvex_api.h"
#include "tarvex_log.h"

namespace pitchwise {

namespace {

// One controller for the process: Pitchwise never unloads the library and
// calls Tvx_Init at the start of every run.
std::unique_ptr<CLinuxCncController> theController;

}  // namespace

}  // namespace pitchwise

using namespace pitchwise;

TVX_EXPORT int Tvx_Init(void) {
    LinuxCncConfig config;
    std::string path;
    std::string error;
    if (!LoadConfig(config, path, error)) {
        SetLogPath(config.logFile);
        LogMessage("configuration: " + error);
        return 0;
    }
    theController = std::make_unique<CLinuxCncController>(config, MakeSocketRshLink());
    return theController->Init() ? 1 : 0;
}

TVX_EXPORT int Tvx_GCodeLine(const char* line) {
    if (!theController) {
        LogMessage("a command line before Tvx_Init");
        return 0;
    }
    return theController->Line(line) ? 1 : 0;
}

TVX_EXPORT int Tvx_InMotion(void) {
    return theController && theController->InMotion() ? 1 : 0;
}

// Present because Pitchwise requires the entry; it never calls it. It
// reports nothing, so a caller that did would learn that at once.
TVX_EXPORT int Tvx_GetMachinePositionEx(void) {
    return 0;
}

TVX_EXPORT int Tvx_Finish(void) {
    if (theController) theController->Finish();
    return 1;
}
