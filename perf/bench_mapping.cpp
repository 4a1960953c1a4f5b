// Mapping runs in real time against the simulated machine (pitchwise-bench,
// started by scripts/perf.sh, with its libTarvex.so on the library path):
// every pause is slept and every motion takes the bench's time.
//
//   pitchwise_perf_mapping --speed=U --dwell-ms=D [benchmark flags]
//
// U and D must be what the bench was started with: the floor is worked out
// from them.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "com_port.h"
#include "mapping_run.h"
#include "pause.h"
#include "perf_table.h"
#include "process_stats.h"
#include "qsb.h"

namespace pitchwise {

namespace {

double theSpeed = 4.0;     // bench units per second
double theDwellMs = 20.0;  // what the bench's "G4D1" waits
constexpr float INCREMENT = 1.0f;

// The real clock, counting what it slept, so an extra motion poll (a
// program too slow to catch the end of a move in time) shows.
class CCountingSleepClock final : public CPauseClock {
  public:
    void Pause(unsigned milliseconds) override {
        m_sleptMs += milliseconds;
        double begin = WallSeconds();
        SleepMilliseconds(milliseconds);
        m_inPausesMs += (WallSeconds() - begin) * 1e3;
    }
    // What was asked for, and how long the pauses really took.
    double SleptMs() const { return static_cast<double>(m_sleptMs); }
    double InPausesMs() const { return m_inPausesMs; }

  private:
    unsigned long long m_sleptMs = 0;
    double m_inPausesMs = 0.0;
};

// Time spent polling a motion of the given length: the first poll comes at
// once, then one after every pause, so it is the motion rounded up to whole
// polls.
double SettleFloorMs(double motionMs) {
    if (motionMs <= 0.0) return 0.0;
    return std::ceil(motionMs / MOTION_POLL_MS) * MOTION_POLL_MS;
}

// Where the bench's axis stands: at its home 0 first, then where the last
// run left it, which the next run's G0 line moves back from.
double theAxisAt = 0.0;

// Every run starts at 0: the G0 line moves the axis back there; every point
// dwells and is read (two pauses), every point but the last moves one
// increment further.
double MappingFloorMs(long points) {
    const double settle = 2.0 * QSB_SETTLE_MS;
    const double zero = settle;
    const double stepMs = 1000.0 * INCREMENT / theSpeed;
    const double toStartMs = 1000.0 * std::fabs(theAxisAt) / theSpeed;
    return SettleFloorMs(toStartMs) + zero + points * (SettleFloorMs(theDwellMs) + settle) +
           (points - 1) * SettleFloorMs(stepMs);
}

// One call into the controller library while the axis rests: a round trip
// to the bench, the unit of the library's share of a run's time.
double LibraryRoundTripMs() {
    void* library = dlopen("libTarvex.so", RTLD_NOW | RTLD_NOLOAD);
    if (library == nullptr) return 0.0;
    auto inMotion = reinterpret_cast<int (*)()>(dlsym(library, "Tvx_InMotion"));
    if (inMotion == nullptr) return 0.0;
    constexpr int CALLS = 200;
    double begin = WallSeconds();
    for (int i = 0; i < CALLS; ++i) inMotion();
    return (WallSeconds() - begin) * 1e3 / CALLS;
}

// Calls a run makes into the library: each line, the poll right after it
// and one poll after every motion pause, and Tvx_Init and Tvx_Finish.
double LibraryCalls(long points, double motionPausesMs) {
    const double lines = 3.0 * points + 3.0;  // L600 L602 G0, G4D1 L606 per point, G1s, L601
    return 2.0 * lines + motionPausesMs / MOTION_POLL_MS + 2.0;
}

void BM_RunMappingRealTime(benchmark::State& state) {
    int port = 0;
    QsbIdentity identity{};
    if (!FindQsb(port, identity)) {
        state.SkipWithError("no QSB on the bench (is PITCHWISE_PORT_DIR set?)");
        return;
    }
    const long points = state.range(0);
    CCountingSleepClock clock;
    SetPauseClock(&clock);
    double wall = 0.0, cpu = 0.0;
    MapResult result = MAP_DONE;
    for (auto _ : state) {
        double begin = WallSeconds();
        double cpuBegin = ProcessCpuSeconds();
        result = RunMapping('X', 0.0f, static_cast<float>(points - 1) * INCREMENT, INCREMENT, true);
        wall = WallSeconds() - begin;
        cpu = ProcessCpuSeconds() - cpuBegin;
    }
    SetPauseClock(nullptr);
    thePort.Close();
    if (result != MAP_DONE) {
        state.SkipWithError("the mapping run failed");
        return;
    }
    const double floorMs = MappingFloorMs(points);
    theAxisAt = static_cast<double>(points - 1) * INCREMENT;
    state.counters["slept_ms"] = clock.SleptMs();
    state.counters["floor_ms"] = floorMs;
    char name[80];
    // One QSB exchange per reading, and the zeroing.
    const int exchanges = static_cast<int>(points) + 1;
    std::snprintf(name, sizeof name, "RunMapping %ld points - real time on the bench", points);
    KeepPerfRow(PacedRow(name, floorMs, wall * 1e3, exchanges));
    // Where the overhead went: waking late from the pauses, or outside them
    // (the program and the controller library's calls to the bench).
    std::snprintf(name, sizeof name, "  %ld points: late wake-ups from pauses", points);
    KeepPerfRow(PerfRow{name, "ms", 0.0, clock.InPausesMs() - clock.SleptMs(), "breakdown", true});
    std::snprintf(name, sizeof name, "  %ld points: time outside pauses", points);
    const double outsideMs = wall * 1e3 - clock.InPausesMs();
    KeepPerfRow(PerfRow{name, "ms", 0.0, outsideMs, "breakdown", true});
    const double qsbPausesMs = 2.0 * QSB_SETTLE_MS * (points + 1);
    const double libraryMs =
        LibraryCalls(points, clock.SleptMs() - qsbPausesMs) * LibraryRoundTripMs();
    std::snprintf(name, sizeof name, "  %ld points: of that in library calls (estimated)", points);
    KeepPerfRow(PerfRow{name, "ms", 0.0, libraryMs, "breakdown", true});
    std::snprintf(name, sizeof name, "CPU share (user+system) - %ld-point real-time run", points);
    constexpr double MAX_SHARE_PERCENT = 1.0;
    double share = 100.0 * cpu / wall;
    KeepPerfRow(PerfRow{name, "%", 0.0, share, "< 1 %", share < MAX_SHARE_PERCENT});
}
BENCHMARK(BM_RunMappingRealTime)->Arg(10)->Arg(50)->Iterations(1)->Unit(benchmark::kMillisecond);

// Takes our own --speed= and --dwell-ms= out of the arguments.
void TakeOwnFlags(int& argc, char** argv) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--speed=", 8) == 0) {
            theSpeed = std::atof(argv[i] + 8);
        } else if (std::strncmp(argv[i], "--dwell-ms=", 11) == 0) {
            theDwellMs = std::atof(argv[i] + 11);
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
}

}  // namespace

}  // namespace pitchwise

using namespace pitchwise;

int main(int argc, char** argv) {
    TakeOwnFlags(argc, argv);
    if (!(theSpeed > 0.0)) {
        std::fprintf(stderr, "--speed must be positive\n");
        return 2;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    WriteKeptPerfRows();
    return 0;
}
