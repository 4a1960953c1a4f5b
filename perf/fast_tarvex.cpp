// A controller library that accepts every line and never moves: what is left
// of a mapping run's time with it is the program's own work.
#include "tarvex_api.h"

using namespace pitchwise;

TVX_EXPORT int Tvx_Init(void) {
    return 1;
}
TVX_EXPORT int Tvx_GCodeLine(const char*) {
    return 1;
}
TVX_EXPORT int Tvx_InMotion(void) {
    return 0;
}
TVX_EXPORT int Tvx_GetMachinePositionEx(void) {
    return 0;
}
TVX_EXPORT int Tvx_Finish(void) {
    return 0;
}
