#include "process_stats.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace pitchwise {

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::int64_t ResidentKiB() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr) return 0;
    long long size = 0, resident = 0;
    int fields = std::fscanf(statm, "%lld %lld", &size, &resident);
    std::fclose(statm);
    if (fields != 2) return 0;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

std::int64_t PeakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

long long SteadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace pitchwise
