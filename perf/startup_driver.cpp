// Start-up to the first painted window, process life and peak memory of a Qt
// program, side by side with the reference dialog, under the offscreen
// platform. Usage:
//   pitchwise_perf_startup PROBE RUNS REFERENCE [PROGRAM]
// PROBE is the first-paint library preloaded into both; runs alternate so
// that both see the same machine.
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "perf_table.h"
#include "process_stats.h"

namespace pitchwise {

extern char** environ;

namespace {

constexpr unsigned RUN_TIMEOUT_S = 20;

struct Launch {
    double firstPaintMs;
    double lifeMs;
    double peakMiB;
};

struct Samples {
    std::vector<double> firstPaintMs, lifeMs, peakMiB;
};

void OnAlarm(int) {}

double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

long long ReadNs(const std::string& path) {
    long long ns = 0;
    if (std::FILE* in = std::fopen(path.c_str(), "r")) {
        if (std::fscanf(in, "%lld", &ns) != 1) ns = 0;
        std::fclose(in);
    }
    return ns;
}

bool RunOnce(const std::string& program, const std::string& probe, Launch& launch) {
    std::string paintFile = "/tmp/pitchwise-first-paint-" + std::to_string(getpid());
    std::remove(paintFile.c_str());
    std::vector<std::string> settings = {"QT_QPA_PLATFORM=offscreen", "LD_PRELOAD=" + probe,
                                         "PITCHWISE_FIRST_PAINT_FILE=" + paintFile};
    std::vector<char*> env;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        bool replaced = false;
        for (const std::string& s : settings) {
            replaced = replaced || entry.compare(0, s.find('=') + 1, s, 0, s.find('=') + 1) == 0;
        }
        if (!replaced) env.push_back(*e);
    }
    for (std::string& s : settings) env.push_back(&s[0]);
    env.push_back(nullptr);
    std::string argv0 = program;
    char* argv[] = {&argv0[0], nullptr};

    pid_t child;
    long long startNs = SteadyNowNs();
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, env.data()) != 0) return false;
    alarm(RUN_TIMEOUT_S);
    int status = 0;
    rusage usage{};
    pid_t done = wait4(child, &status, 0, &usage);
    long long endNs = SteadyNowNs();
    alarm(0);
    if (done != child) {  // timed out: it never painted or never quit
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        return false;
    }
    long long paintNs = ReadNs(paintFile);
    std::remove(paintFile.c_str());
    if (paintNs == 0 || !WIFEXITED(status)) return false;
    launch.firstPaintMs = (paintNs - startNs) / 1e6;
    launch.lifeMs = (endNs - startNs) / 1e6;
    launch.peakMiB = usage.ru_maxrss / 1024.0;  // KiB on Linux
    return true;
}

void Add(Samples& samples, const Launch& launch) {
    samples.firstPaintMs.push_back(launch.firstPaintMs);
    samples.lifeMs.push_back(launch.lifeMs);
    samples.peakMiB.push_back(launch.peakMiB);
}

PerfRow Compared(const std::string& name, const std::string& unit, double reference,
                 double measured, double maxRatio) {
    char target[32];
    std::snprintf(target, sizeof target, "ratio <= %.1f", maxRatio);
    return PerfRow{name, unit, reference, measured, target, measured <= maxRatio * reference};
}

}  // namespace

}  // namespace pitchwise

using namespace pitchwise;

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s PROBE RUNS REFERENCE [PROGRAM]\n", argv[0]);
        return 2;
    }
    struct sigaction action {};
    action.sa_handler = OnAlarm;  // no SA_RESTART: the alarm interrupts wait4
    sigaction(SIGALRM, &action, nullptr);

    const std::string probe = argv[1];
    const int runs = std::max(1, std::atoi(argv[2]));
    const std::string reference = argv[3];
    const std::string program = argc > 4 ? argv[4] : "";

    Samples ref, prog;
    int failures = 0;
    for (int i = 0; i < runs; ++i) {
        Launch launch{};
        if (RunOnce(reference, probe, launch))
            Add(ref, launch);
        else
            ++failures;
        if (program.empty()) continue;
        if (RunOnce(program, probe, launch))
            Add(prog, launch);
        else
            ++failures;
    }
    if (failures) std::fprintf(stderr, "%d launches did not paint and quit\n", failures);
    if (ref.lifeMs.empty()) return 1;

    const double refPaint = Median(ref.firstPaintMs), refLife = Median(ref.lifeMs),
                 refPeak = Median(ref.peakMiB);
    std::printf("reference dialog: first paint %.1f ms, life %.1f ms, peak %.1f MiB\n", refPaint,
                refLife, refPeak);
    if (program.empty() || prog.lifeMs.empty()) {
        WritePerfRow(PerfRow{"start-up to first paint - reference dialog", "ms", 0.0, refPaint,
                             "reference", true});
        WritePerfRow(
            PerfRow{"peak RSS - reference dialog", "MiB", 0.0, refPeak, "reference", true});
        return program.empty() ? 0 : 1;
    }
    WritePerfRow(Compared("start-up to first paint - pitchwise (floor: reference)", "ms", refPaint,
                          Median(prog.firstPaintMs), 2.0));
    WritePerfRow(Compared("start to exit - pitchwise (floor: reference)", "ms", refLife,
                          Median(prog.lifeMs), 2.0));
    WritePerfRow(Compared("peak RSS - pitchwise (floor: reference)", "MiB", refPeak,
                          Median(prog.peakMiB), 1.5));
    return failures ? 1 : 0;
}
