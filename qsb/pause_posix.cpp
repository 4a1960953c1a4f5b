#include <sys/prctl.h>

#include <cerrno>
#include <ctime>

#include "pause.h"
#include "pause_deadline.h"

namespace pitchwise {

timespec DeadlineAfter(const timespec& now, unsigned milliseconds) {
    timespec deadline = now;
    deadline.tv_sec += static_cast<time_t>(milliseconds / 1000);
    deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    return deadline;
}

void SleepMilliseconds(unsigned milliseconds) {
    // The kernel may otherwise end each sleep up to its default slack late
    // (the setting is per thread);
    // it grants the smallest it allows (1 ns asked) to an unprivileged thread.
    static thread_local const bool theSlackSet = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    (void)theSlackSet;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const timespec deadline = DeadlineAfter(now, milliseconds);
    // A signal must not cut a settling pause short: sleep on to the deadline.
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

}  // namespace pitchwise
