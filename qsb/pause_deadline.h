// Where a POSIX pause ends: an absolute time on the monotonic clock, so a
// signal or a late wake-up in the middle never adds to the pause.
#pragma once

#include <ctime>

namespace pitchwise {

timespec DeadlineAfter(const timespec& now, unsigned milliseconds);

}  // namespace pitchwise
