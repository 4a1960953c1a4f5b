#include <windows.h>

#include "pause.h"

namespace pitchwise {

void SleepMilliseconds(unsigned milliseconds) {
    Sleep(milliseconds);
}

}  // namespace pitchwise
