// What the process itself has used so far, read from the kernel.
#pragma once

#include <cstdint>

namespace pitchwise {

// User plus system CPU time of the whole process, in seconds.
double ProcessCpuSeconds();

// Resident memory now, in KiB.
std::int64_t ResidentKiB();

// Highest resident memory so far, in KiB.
std::int64_t PeakResidentKiB();

// Steady-clock time in seconds.
double WallSeconds();

// Steady-clock time in nanoseconds, comparable across processes.
long long SteadyNowNs();

}  // namespace pitchwise
