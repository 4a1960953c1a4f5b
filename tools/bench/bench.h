// The simulated machine in one object: an axis with an injected pitch
// error, a QSB measuring its real travel on a pty, and a controller that
// the simulated controller library reaches over a loopback socket.
//
// Use it from a test (Start() runs it in background threads) or through the
// pitchwise-bench program.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "axis_model.h"
#include "bench_controller.h"
#include "bench_report.h"
#include "qsb_simulator.h"

namespace pitchwise {

struct BenchOptions {
    PitchErrorProfile profile;
    BenchBehaviour behaviour;
    double speed = 20.0;  // units per second, for every move
    double home = 0.0;    // where the axis rests at the start
    int qsbPort = 1;      // published as COM<n> in the port directory
    std::string portDir;  // empty: a fresh temporary directory
    std::string host = "127.0.0.1";
    unsigned listenPort = 0;  // 0: any free port
    double tolerance = BENCH_DEFAULT_TOLERANCE;
    bool qsbIgnoresZeroing = false;  // a QSB whose zeroing never takes
    // The bench's time; a test puts its own clock here, advanced by the
    // pauses it is asked for, so runs take no real time.
    std::function<CAxisModel::Clock::time_point()> now;
    // False: no thread answers the QSB; the test calls Qsb().Pump().
    bool qsbThread = true;
};

class CBench {
  public:
    explicit CBench(const BenchOptions& options);
    ~CBench();
    CBench(const CBench&) = delete;
    CBench& operator=(const CBench&) = delete;

    // Publishes the QSB, opens the socket and starts answering.
    bool Start(std::string& error);
    void Stop();

    std::string Address() const;  // "host:port", for TARVEX_SIM_ADDRESS
    std::string PortDir() const;  // for PITCHWISE_PORT_DIR
    // Sets both variables in this process.
    void ExportEnvironment() const;

    // Waits until `runs` runs have called Tvx_Finish, or, with
    // endOnDisconnect, until a run began and every client has gone.
    bool WaitForRuns(std::size_t runs, std::chrono::milliseconds timeout,
                     bool endOnDisconnect = false);

    std::vector<BenchRun> Runs() const;
    BenchVerdict Verdict() const;
    std::string ReportText() const;
    std::string ReportCsv() const;
    // The runs as kept in the run log, and the figures a perfect
    // measurement of them would give.
    std::vector<LoggedRun> LoggedRuns() const;
    std::string TruthText() const;
    const PitchErrorProfile& Profile() const { return m_options.profile; }
    double Tolerance() const { return m_options.tolerance; }

    // For playing device faults during a run.
    CQsbSimulator& Qsb() { return *m_qsb; }

  private:
    std::string Handle(const std::string& request);
    void ServerMain();
    bool Finished(std::size_t runs, bool endOnDisconnect) const;
    CAxisModel::Clock::time_point Now() const;

    BenchOptions m_options;
    std::unique_ptr<CQsbSimulator> m_qsb;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    CAxisModel m_axis;
    CBenchController m_controller;
    int m_clients = 0;

    int m_listener = -1;
    unsigned m_port = 0;
    int m_wake[2] = {-1, -1};
    std::thread m_server;
};

}  // namespace pitchwise
