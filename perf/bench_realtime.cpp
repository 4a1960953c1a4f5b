// The QSB operations in real time, on real ptys: every pause is slept, so
// each figure is compared with the sum of the pauses it must take.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "com_port.h"
#include "perf_table.h"
#include "process_stats.h"
#include "qsb.h"
#include "qsb_simulator.h"

namespace pitchwise {

namespace {

constexpr double SETTLE_MS = QSB_SETTLE_MS;
constexpr int PROBE_PAUSES = 4;      // drain, query, reply, settle
constexpr int CONFIGURE_PAUSES = 3;  // the two configuration commands
constexpr int PROBE_EXCHANGES = 2;   // drain, identity
constexpr int CONFIGURE_EXCHANGES = 2;

// Ports COM1 to COM<qsbPort>: silent ptys below it, the answering QSB on it,
// served by the simulator's own thread.
class CRealTimeRig {
  public:
    explicit CRealTimeRig(int qsbPort) {
        m_ready = m_device.Plug(qsbPort);
        for (int n = 1; n < qsbPort; ++n) m_ready = m_ready && m_device.AddSilentPort(n);
        m_device.ExportPortDir();
        m_device.Start();
    }
    ~CRealTimeRig() {
        thePort.Close();  // before its pty goes away
        m_device.Stop();
    }
    bool IsValid() const { return m_ready; }
    CQsbSimulator& Device() { return m_device; }

  private:
    CQsbSimulator m_device;
    bool m_ready = false;
};

double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// CPU time of the process over all real-time cases, against their wall time.
double cpuSeconds = 0.0;
double wallSeconds = 0.0;

// Wall times of one case. The median is reported: on a shared machine a
// single late wake-up says more about the neighbours than about the program.
struct Timing {
    std::vector<double> samplesMs;
    double begin = 0.0;
    double cpuBegin = 0.0;
    void Start() {
        begin = WallSeconds();
        cpuBegin = ProcessCpuSeconds();
    }
    void Stop() {
        double wall = WallSeconds() - begin;
        samplesMs.push_back(wall * 1e3);
        wallSeconds += wall;
        cpuSeconds += ProcessCpuSeconds() - cpuBegin;
    }
    double MedianMs() const { return Median(samplesMs); }
};

void FindQsbOn(benchmark::State& state, int qsbPort, const char* name) {
    CRealTimeRig rig(qsbPort);
    if (!rig.IsValid()) {
        state.SkipWithError("cannot make the ptys");
        return;
    }
    Timing timing;
    for (auto _ : state) {
        int port = 0;
        QsbIdentity identity{};
        timing.Start();
        bool found = FindQsb(port, identity);
        timing.Stop();
        if (!found || port != qsbPort) {
            state.SkipWithError("QSB not found on its port");
            return;
        }
    }
    double floorMs = SETTLE_MS * (PROBE_PAUSES * qsbPort + CONFIGURE_PAUSES);
    int exchanges = PROBE_EXCHANGES * qsbPort + CONFIGURE_EXCHANGES;
    KeepPerfRow(PacedRow(name, floorMs, timing.MedianMs(), exchanges));
}

void BM_FindQsbOnCom1(benchmark::State& state) {
    FindQsbOn(state, 1, "FindQsb - QSB on COM1");
}
BENCHMARK(BM_FindQsbOnCom1)->Iterations(2)->Unit(benchmark::kMillisecond);

void BM_FindQsbOnCom7(benchmark::State& state) {
    FindQsbOn(state, 7, "FindQsb - QSB on COM7 - COM1-6 silent");
}
BENCHMARK(BM_FindQsbOnCom7)->Iterations(1)->Unit(benchmark::kMillisecond);

// The exchanges with the QSB already found, as after the Find QSB button.
class CFoundQsb {
  public:
    CFoundQsb() : m_rig(1) {
        int port = 0;
        QsbIdentity identity{};
        m_found = m_rig.IsValid() && FindQsb(port, identity);
    }
    bool IsFound() const { return m_found; }
    CQsbSimulator& Device() { return m_rig.Device(); }

  private:
    CRealTimeRig m_rig;
    bool m_found = false;
};

void BM_ZeroQsbCounter(benchmark::State& state) {
    CFoundQsb qsb;
    if (!qsb.IsFound()) {
        state.SkipWithError("QSB not found");
        return;
    }
    Timing timing;
    for (auto _ : state) {
        timing.Start();
        ZeroQsbCounter();
        timing.Stop();
    }
    KeepPerfRow(PacedRow("ZeroQsbCounter", 2 * SETTLE_MS, timing.MedianMs(), 1));
}
BENCHMARK(BM_ZeroQsbCounter)->Iterations(7)->Unit(benchmark::kMillisecond);

double MillisecondsBetween(std::chrono::steady_clock::time_point from,
                           std::chrono::steady_clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

struct Exchange {
    std::chrono::steady_clock::time_point received, replied;
};

// The last reply the device sent and the arrival of the command it answered.
bool LastExchange(const CQsbSimulator& device, Exchange& exchange) {
    std::vector<QsbSimTraffic> traffic = device.Traffic();
    bool replied = false;
    for (auto record = traffic.rbegin(); record != traffic.rend(); ++record) {
        if (!replied && record->direction == QsbSimTraffic::SENT) {
            exchange.replied = record->at;
            replied = true;
        } else if (replied && record->direction == QsbSimTraffic::RECEIVED) {
            exchange.received = record->at;
            return true;
        }
    }
    return false;
}

// Also times the bytes' wait in the line: from the device's reply to the
// moment the program has them. The program reads only when its pause after
// the write is over, so that wait's floor is the pause less the device's own
// turnaround.
void BM_ReadQsbPosition(benchmark::State& state) {
    CFoundQsb qsb;
    if (!qsb.IsFound()) {
        state.SkipWithError("QSB not found");
        return;
    }
    Timing timing;
    qsb.Device().ClearTraffic();
    std::vector<double> latencyMs;
    std::vector<double> latencyFloorMs;
    for (auto _ : state) {
        float position = 0.0f;
        timing.Start();
        bool read = ReadQsbPosition(position);
        timing.Stop();
        auto readAt = std::chrono::steady_clock::now();
        if (!read) {
            state.SkipWithError("no reading");
            return;
        }
        Exchange exchange;
        if (!LastExchange(qsb.Device(), exchange)) {
            state.SkipWithError("no exchange recorded");
            return;
        }
        latencyMs.push_back(MillisecondsBetween(exchange.replied, readAt));
        latencyFloorMs.push_back(SETTLE_MS -
                                 MillisecondsBetween(exchange.received, exchange.replied));
    }
    KeepPerfRow(PacedRow("ReadQsbPosition", 2 * SETTLE_MS, timing.MedianMs(), 1));
    KeepPerfRow(PacedRow("ReadQsbPosition - device reply to program's read", Median(latencyFloorMs),
                         Median(latencyMs), 1));
}
BENCHMARK(BM_ReadQsbPosition)->Iterations(7)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace pitchwise

using namespace pitchwise;

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (wallSeconds > 0.0) {
        constexpr double MAX_SHARE_PERCENT = 1.0;
        double share = 100.0 * cpuSeconds / wallSeconds;
        KeepPerfRow(PerfRow{"CPU share (user+system) during the QSB operations", "%", 0.0, share,
                            "< 1 %", share < MAX_SHARE_PERCENT});
    }
    WriteKeptPerfRows();
    return 0;
}
