#include <cerrno>
#include <ctime>

#include "pause.h"

void SleepMilliseconds(unsigned milliseconds) {
    timespec remaining{static_cast<time_t>(milliseconds / 1000),
                       static_cast<long>(milliseconds % 1000) * 1000000L};
    // A signal must not cut a settling pause short: sleep out the rest.
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}
