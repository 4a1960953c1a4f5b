// In-process benchmarks with the injected clock: the pauses are counted, not
// slept, the controller library does nothing and the QSB answers during the
// pause it is given. What remains is the program's own cost per point.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "mapping_run.h"
#include "pause.h"
#include "perf_table.h"
#include "process_stats.h"
#include "qsb.h"
#include "qsb_simulator.h"

namespace pitchwise {

namespace {

// Counts the pauses asked for and lets the device answer in their place.
// Unlike the tests' recording clock it keeps no log, and it clears the
// device's, so a long run's memory is the program's alone.
class CPumpingClock final : public CPauseClock {
  public:
    explicit CPumpingClock(CQsbSimulator& device) : m_device(device) {}
    void Pause(unsigned milliseconds) override {
        m_pausedMs += milliseconds;
        double begin = WallSeconds();
        m_device.Pump();
        m_device.ClearTraffic();
        m_deviceSeconds += WallSeconds() - begin;
        if (++m_pauses == m_samplePause) m_sampledKiB = ResidentKiB();
    }
    double PausedMs() const { return static_cast<double>(m_pausedMs); }
    // Time spent answering for the device, which is not the program's.
    double DeviceSeconds() const { return m_deviceSeconds; }
    void Reset() {
        m_pausedMs = 0;
        m_deviceSeconds = 0.0;
        m_pauses = 0;
    }
    // Reads the resident memory at the given pause of the next run.
    void SampleResidentAt(unsigned long long pause) { m_samplePause = pause; }
    std::int64_t SampledKiB() const { return m_sampledKiB; }

  private:
    CQsbSimulator& m_device;
    unsigned long long m_pausedMs = 0;
    double m_deviceSeconds = 0.0;
    unsigned long long m_pauses = 0;
    unsigned long long m_samplePause = 0;
    std::int64_t m_sampledKiB = 0;
};

// The QSB on COM1 of a private port directory, found once, as the operator
// would before mapping.
struct InstantRig {
    CQsbSimulator device;
    CPumpingClock clock{device};
    bool ready = false;

    InstantRig() {
        if (!device.Plug(1)) return;
        device.ExportPortDir();
        SetPauseClock(&clock);
        int port = 0;
        QsbIdentity identity{};
        ready = FindQsb(port, identity) && port == 1;
    }
    ~InstantRig() { SetPauseClock(nullptr); }
};

InstantRig& Rig() {
    static InstantRig rig;
    return rig;
}

double overheadPerPointUs[3];  // for 10, 1000 and 100000 points

int SizeIndex(long points) {
    return points <= 10 ? 0 : points <= 1000 ? 1 : 2;
}

void BM_RunMappingInjectedClock(benchmark::State& state) {
    InstantRig& rig = Rig();
    if (!rig.ready) {
        state.SkipWithError("no QSB on the benchmark's pty");
        return;
    }
    const long points = state.range(0);
    const float end = static_cast<float>(points - 1);  // count + 1 points at increment 1
    double wall = 0.0;
    double paused = 0.0;
    double device = 0.0;
    long runs = 0;
    for (auto _ : state) {
        rig.clock.Reset();
        double begin = WallSeconds();
        MapResult result = RunMapping('X', 0.0f, end, 1.0f, true);
        wall += WallSeconds() - begin;
        paused += rig.clock.PausedMs();
        device += rig.clock.DeviceSeconds();
        ++runs;
        if (result != MAP_DONE) {
            state.SkipWithError("mapping run failed");
            return;
        }
    }
    const double floorPerPointMs = paused / runs / points;
    const double overheadPerPointMs = (wall - device) * 1e3 / runs / points;
    state.counters["us_per_point"] = overheadPerPointMs * 1e3;
    state.counters["device_us_per_point"] = device * 1e6 / runs / points;
    overheadPerPointUs[SizeIndex(points)] = overheadPerPointMs * 1e3;
    char name[96];
    std::snprintf(name, sizeof name, "RunMapping %ld points - injected clock - per point", points);
    // Per point the floor is what the recorded pauses would have slept.
    KeepPerfRow(PacedRow(name, floorPerPointMs, floorPerPointMs + overheadPerPointMs, 1));
}
BENCHMARK(BM_RunMappingInjectedClock)->Arg(10)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunMappingInjectedClock)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

// Resident memory over one 100000-point run.
void BM_ResidentMemoryOver100000Points(benchmark::State& state) {
    InstantRig& rig = Rig();
    if (!rig.ready) {
        state.SkipWithError("no QSB on the benchmark's pty");
        return;
    }
    for (auto _ : state) {
        // The first hundred or so points still touch a few pages for the
        // first time (64 KiB, the same whatever the point count), so the
        // reference is taken at point 1000 (two pauses per point).
        RunMapping('X', 0.0f, 9.0f, 1.0f, true);
        std::int64_t beforeRun = ResidentKiB();
        rig.clock.Reset();
        rig.clock.SampleResidentAt(2 * 1000);
        RunMapping('X', 0.0f, 99999.0f, 1.0f, true);
        rig.clock.SampleResidentAt(0);
        std::int64_t after = ResidentKiB();
        std::int64_t before = rig.clock.SampledKiB();
        state.counters["rss_before_run_kib"] = static_cast<double>(beforeRun);
        constexpr double SLACK_KIB = 64.0;  // a few pages of allocator noise
        KeepPerfRow(PerfRow{"RSS end of 100000-point run (floor: at point 1000)", "KiB",
                            static_cast<double>(before), static_cast<double>(after),
                            "growth <= 64 KiB", after - before <= SLACK_KIB});
    }
}
BENCHMARK(BM_ResidentMemoryOver100000Points)->Iterations(1)->Unit(benchmark::kMillisecond);

// With no port at all the scan costs no pause: only seven failed opens.
void BM_FindQsbNoPortOpenable(benchmark::State& state) {
    CQsbSimulator nothingPlugged;  // an empty port directory
    nothingPlugged.ExportPortDir();
    double wall = 0.0;
    long runs = 0;
    for (auto _ : state) {
        int port = 0;
        QsbIdentity identity{};
        double begin = WallSeconds();
        bool found = FindQsb(port, identity);
        wall += WallSeconds() - begin;
        ++runs;
        if (found) {
            state.SkipWithError("found a QSB in an empty port directory");
            return;
        }
    }
    KeepPerfRow(PacedRow("FindQsb - no port openable", 0.0, wall * 1e3 / runs, 0));
}
BENCHMARK(BM_FindQsbNoPortOpenable)->Unit(benchmark::kMicrosecond);

void KeepFlatnessRow() {
    if (overheadPerPointUs[1] <= 0.0 || overheadPerPointUs[2] <= 0.0) return;
    constexpr double MAX_GROWTH = 1.5;
    KeepPerfRow(PerfRow{"overhead per point - 100000 vs 1000 points", "us", overheadPerPointUs[1],
                        overheadPerPointUs[2], "ratio <= 1.5",
                        overheadPerPointUs[2] <= MAX_GROWTH * overheadPerPointUs[1]});
}

}  // namespace

}  // namespace pitchwise

using namespace pitchwise;

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The rig lives until here, so every run shares the one found QSB.
    SetPauseClock(nullptr);
    KeepFlatnessRow();
    WriteKeptPerfRows();
    return 0;
}
