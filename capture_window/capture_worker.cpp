#include "capture_worker.h"

#include "com_port.h"

namespace pitchwise {

CCaptureWorker::~CCaptureWorker() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
}

bool CCaptureWorker::Start(const CapturePlan& plan, const CaptureSettings& settings) {
    if (m_running) return false;
    if (m_thread.joinable()) m_thread.join();
    m_plan = plan;
    m_settings = settings;
    m_stop = false;
    m_running = true;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.clear();
    }
    m_thread = std::thread([this] {
        CaptureEvent ended;
        ended.kind = CaptureEvent::ENDED;
        ended.report = RunCapture(m_plan, m_settings, *this);
        // The port is this capture's alone: a later one finds the QSB afresh.
        thePort.Close();
        m_running = false;
        Push(ended);
    });
    return true;
}

std::vector<CaptureEvent> CCaptureWorker::TakeEvents() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<CaptureEvent> events;
    events.swap(m_events);
    return events;
}

void CCaptureWorker::Push(const CaptureEvent& event) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back(event);
}

void CCaptureWorker::Found(int port, const QsbIdentity& identity) {
    CaptureEvent e;
    e.kind = CaptureEvent::FOUND;
    e.port = port;
    e.identity = identity;
    Push(e);
}

void CCaptureWorker::Reading(const CaptureReading& reading, const CaptureStanding& standing) {
    CaptureEvent e;
    e.kind = CaptureEvent::READING;
    e.reading = reading;
    e.standing = standing;
    Push(e);
}

void CCaptureWorker::Zeroed() {
    CaptureEvent e;
    e.kind = CaptureEvent::ZEROED;
    Push(e);
}

void CCaptureWorker::Captured(const CapturedDeviation& deviation) {
    CaptureEvent e;
    e.kind = CaptureEvent::CAPTURED;
    e.deviation = deviation;
    Push(e);
}

void CCaptureWorker::RunLogged(int run) {
    CaptureEvent e;
    e.kind = CaptureEvent::RUN_LOGGED;
    e.run = run;
    Push(e);
}

}  // namespace pitchwise
