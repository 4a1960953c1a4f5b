#include "pause.h"

namespace pitchwise {

namespace {

class CSleepingClock final : public CPauseClock {
  public:
    void Pause(unsigned milliseconds) override { SleepMilliseconds(milliseconds); }
};

CSleepingClock theSleepingClock;
CPauseClock* theInstalledClock = nullptr;

}  // namespace

void Pause(unsigned milliseconds) {
    CPauseClock* clock = theInstalledClock ? theInstalledClock : &theSleepingClock;
    clock->Pause(milliseconds);
}

CPauseClock* SetPauseClock(CPauseClock* clock) {
    CPauseClock* previous = theInstalledClock;
    theInstalledClock = clock;
    return previous;
}

}  // namespace pitchwise
