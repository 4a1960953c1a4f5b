#include <windows.h>

#include "pause.h"

void SleepMilliseconds(unsigned milliseconds) {
    Sleep(milliseconds);
}
