// The tests' pause clock: it records every pause instead of sleeping, so a
// test can check the exact order of pauses and wire traffic without waiting.
//
// Constructing one installs it; destroying it puts the previous clock back.
// Other parts of a test (a simulated device, a fake controller) append their
// own events with Note(), so one log shows pauses and traffic interleaved.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "pause.h"

namespace pitchwise {

struct ClockEvent {
    enum Kind { PAUSE, NOTE };
    Kind kind;
    unsigned milliseconds;  // PAUSE only
    std::string text;       // NOTE only
};

class CRecordingClock final : public CPauseClock {
  public:
    // Called on each pause, before the pause is logged: whatever the hook
    // notes (a simulator pumped "during" the pause, say) is what happened on
    // the wire up to the end of that pause, so it is logged ahead of it.
    using Hook = std::function<void(unsigned milliseconds)>;

    CRecordingClock();
    explicit CRecordingClock(Hook hook);
    ~CRecordingClock() override;
    CRecordingClock(const CRecordingClock&) = delete;
    CRecordingClock& operator=(const CRecordingClock&) = delete;

    void Pause(unsigned milliseconds) override;

    void SetHook(Hook hook);
    // Appends an event of the caller's own; safe from any thread.
    void Note(const std::string& text);

    std::vector<unsigned> Pauses() const;
    std::vector<ClockEvent> Events() const;
    // The events as lines: "pause 500" for a pause, the text for a note.
    std::vector<std::string> Log() const;
    unsigned long long TotalMilliseconds() const;
    void Clear();

  private:
    mutable std::mutex m_mutex;
    std::vector<ClockEvent> m_events;
    Hook m_hook;
    CPauseClock* m_previous;
};

}  // namespace pitchwise
