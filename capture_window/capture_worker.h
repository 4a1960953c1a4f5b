// A capture run off the window's thread. The session tells its progress to
// the worker, which keeps it as events; the window takes them on its own
// thread whenever it likes (a timer), so the session never waits for the
// window and the window never waits for a QSB reading.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "capture_progress.h"
#include "capture_session.h"

namespace pitchwise {

struct CaptureEvent {
    enum Kind { FOUND, READING, ZEROED, CAPTURED, RUN_LOGGED, ENDED } kind = READING;
    int port = 0;                 // FOUND
    QsbIdentity identity{};       // FOUND
    CaptureReading reading;       // READING
    CaptureStanding standing;     // READING
    CapturedDeviation deviation;  // CAPTURED
    int run = 0;                  // RUN_LOGGED
    CaptureReport report;         // ENDED
};

class CCaptureWorker final : private CaptureProgress {
  public:
    CCaptureWorker() = default;
    ~CCaptureWorker() override;  // stops a capture still running and waits for it
    CCaptureWorker(const CCaptureWorker&) = delete;
    CCaptureWorker& operator=(const CCaptureWorker&) = delete;

    // False while one is still running.
    bool Start(const CapturePlan& plan, const CaptureSettings& settings);
    // The capture ends at its next reading, keeping what was logged.
    void RequestStop() { m_stop = true; }
    bool Running() const { return m_running; }
    // Everything told since the last call, in order; ENDED comes last.
    std::vector<CaptureEvent> TakeEvents();

  private:
    void Found(int port, const QsbIdentity& identity) override;
    void Reading(const CaptureReading& reading, const CaptureStanding& standing) override;
    void Zeroed() override;
    void Captured(const CapturedDeviation& deviation) override;
    void RunLogged(int run) override;
    bool StopRequested() override { return m_stop; }
    void Push(const CaptureEvent& event);

    CapturePlan m_plan;
    CaptureSettings m_settings;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
    std::mutex m_mutex;
    std::vector<CaptureEvent> m_events;
};

}  // namespace pitchwise
