#include "recording_clock.h"

#include <utility>

namespace pitchwise {

CRecordingClock::CRecordingClock() : CRecordingClock(Hook()) {}

CRecordingClock::CRecordingClock(Hook hook)
    : m_hook(std::move(hook)), m_previous(SetPauseClock(this)) {}

CRecordingClock::~CRecordingClock() {
    SetPauseClock(m_previous);
}

void CRecordingClock::Pause(unsigned milliseconds) {
    Hook hook;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        hook = m_hook;
    }
    // The hook may note events of its own: the lock is not held meanwhile.
    if (hook) hook(milliseconds);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back({ClockEvent::PAUSE, milliseconds, std::string()});
}

void CRecordingClock::SetHook(Hook hook) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_hook = std::move(hook);
}

void CRecordingClock::Note(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back({ClockEvent::NOTE, 0, text});
}

std::vector<unsigned> CRecordingClock::Pauses() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<unsigned> pauses;
    for (const ClockEvent& event : m_events) {
        if (event.kind == ClockEvent::PAUSE) pauses.push_back(event.milliseconds);
    }
    return pauses;
}

std::vector<ClockEvent> CRecordingClock::Events() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

std::vector<std::string> CRecordingClock::Log() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> lines;
    for (const ClockEvent& event : m_events) {
        lines.push_back(event.kind == ClockEvent::PAUSE
                            ? "pause " + std::to_string(event.milliseconds)
                            : event.text);
    }
    return lines;
}

unsigned long long CRecordingClock::TotalMilliseconds() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    unsigned long long total = 0;
    for (const ClockEvent& event : m_events) {
        if (event.kind == ClockEvent::PAUSE) total += event.milliseconds;
    }
    return total;
}

void CRecordingClock::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.clear();
}

}  // namespace pitchwise
