// What a capture tells whoever watches it while it runs, as numbers and
// codes: the terminal and the window each implement it and word it for
// their own users, so neither works anything out a second time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "qsb.h"
#include "run_log.h"

namespace pitchwise {

enum class CapturePhase {
    WAITING_FOR_START,  // for the axis to stand at the first target, reached from below
    MEASURING,          // zeroed; `run`, `direction` and `targetNumber` name the next stop
    DONE,               // every stop taken
};

// Where the cycle stands after a reading.
struct CaptureStanding {
    CapturePhase phase = CapturePhase::WAITING_FOR_START;
    int run = 0;  // 1-based, of the plan's runs
    Direction direction = Direction::UP;
    std::size_t targetNumber = 0;  // 1-based, in the order the sweep meets the targets
    std::size_t stop = 0;          // the next stop's index into the cycle's stops
    double fractionDone = 0;       // of the program's time, 0 to 1
    double secondsLeft = 0;        // of the program, at its feed
    std::optional<std::int64_t> lastDeviationCounts;
};

// One QSB reading.
struct CaptureReading {
    std::int64_t counts = 0;  // as the QSB counts: from the first target once zeroed
    bool zeroed = false;
    double position = 0;  // in the plan's unit once zeroed: the first target plus the counts
};

// One stop measured.
struct CapturedDeviation {
    std::size_t stop = 0;  // index into the cycle's stops
    int run = 1;
    Direction direction = Direction::UP;
    std::size_t target = 0;  // index into the plan's targets
    double targetPosition = 0;
    std::int64_t deviationCounts = 0;  // measured minus commanded travel from the first target
};

class CaptureProgress {
  public:
    virtual ~CaptureProgress() = default;
    virtual void Found(int port, const QsbIdentity& identity) = 0;
    virtual void Reading(const CaptureReading& reading, const CaptureStanding& standing) = 0;
    virtual void Zeroed() = 0;
    virtual void Captured(const CapturedDeviation& deviation) = 0;
    virtual void RunLogged(int run) = 0;  // the cycle run `run` is in the run log
    // Asked after every reading; true ends the capture, keeping what was logged.
    virtual bool StopRequested() = 0;
};

}  // namespace pitchwise
