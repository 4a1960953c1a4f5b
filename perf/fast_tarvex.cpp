// A controller library that accepts every line and never moves: what is left
// of a mapping run's time with it is the program's own work.
extern "C" {
__attribute__((visibility("default"))) int Tvx_Init(void) {
    return 1;
}
__attribute__((visibility("default"))) int Tvx_GCodeLine(const char*) {
    return 1;
}
__attribute__((visibility("default"))) int Tvx_InMotion(void) {
    return 0;
}
__attribute__((visibility("default"))) int Tvx_GetMachinePositionEx(void) {
    return 0;
}
__attribute__((visibility("default"))) int Tvx_Finish(void) {
    return 0;
}
}
