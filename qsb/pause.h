// The one place where the program waits on purpose.
//
// Every fixed pause (the settling around each QSB exchange, the motion polls)
// goes through Pause(), so a test can put a recording clock in its place and
// check the exact order of pauses, writes and reads without waiting.
#pragma once

namespace pitchwise {

class CPauseClock {
  public:
    virtual ~CPauseClock() = default;
    virtual void Pause(unsigned milliseconds) = 0;
};

// Waits for the given time through the installed clock (the real sleeping
// clock unless a test installed another).
void Pause(unsigned milliseconds);

// Installs a clock; nullptr restores the real one. Returns the previous one
// (nullptr when that was the real clock).
CPauseClock* SetPauseClock(CPauseClock* clock);

// The platform's own sleep, used by the real clock.
void SleepMilliseconds(unsigned milliseconds);

}  // namespace pitchwise
