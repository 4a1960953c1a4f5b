// When to take a reading of a test cycle run by the controller itself: the
// axis stopped inside the window of the next target of the plan, reached
// from the side the plan says, and stayed there. Pure: readings in, events
// out, no clock and no device, so every rule can be tried row by row.
//
// Readings are QSB counts. Until the zero they are the device's own counts:
// the trigger waits for the axis to stand, then to stand again the cycle's
// start rise (the overrun) higher, reached moving up; that is the first
// target, and it asks for the zero there. From then on readings count from
// the first target.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "run_log.h"

namespace pitchwise {

struct TriggerStop {
    std::int64_t targetCounts = 0;  // from the first target
    Direction approach = Direction::UP;
    double secondsAllowed = 0;  // from the previous capture (or the zero) to this one
};

struct TriggerSettings {
    std::int64_t windowCounts = 0;     // half the window's width around each target
    std::int64_t bandCounts = 0;       // two readings at most this far apart: the axis stands
    std::int64_t startRiseCounts = 0;  // the first target above the cycle's start
};

enum class TriggerEvent {
    NONE,
    ZERO,      // zero the counter now: later readings count from here
    CAPTURE,   // `stop` measured: `counts`
    MISSED,    // the cycle went on without `stop`: see `missed`
    FINISHED,  // every stop measured; nothing more is expected
};

enum class MissedReason {
    STOOD_ELSEWHERE,  // stood inside the window of another target (`counts`)
    WRONG_SIDE,       // stood at `stop`'s target reached from the other side
    TIMED_OUT,        // the move, the dwell and the slack have gone by
};

struct TriggerResult {
    TriggerEvent event = TriggerEvent::NONE;
    std::size_t stop = 0;     // CAPTURE, MISSED: index into the stops
    std::int64_t counts = 0;  // CAPTURE: the reading taken; MISSED: where the axis stood
    MissedReason missed = MissedReason::TIMED_OUT;
};

class CCaptureTrigger {
  public:
    CCaptureTrigger(std::vector<TriggerStop> stops, TriggerSettings settings);

    // One reading, taken at `seconds` (any steady origin).
    TriggerResult Feed(double seconds, std::int64_t counts);
    // A reading that could not be taken: the next one is not consecutive.
    void Gap();

    bool Zeroed() const { return m_zeroed; }
    std::size_t NextStop() const { return m_next; }  // stops.size() once all are taken

  private:
    TriggerResult FeedBeforeZero(double seconds, std::int64_t counts);
    TriggerResult FeedAfterZero(double seconds, std::int64_t counts);
    bool Inside(std::int64_t counts, std::int64_t target) const;
    bool FromApproachSide(Direction approach, std::int64_t counts) const;
    std::optional<std::int64_t> OtherTargetAt(std::int64_t counts, std::int64_t expected) const;
    void Shift(std::int64_t counts);

    std::vector<TriggerStop> m_stops;
    TriggerSettings m_settings;

    bool m_zeroed = false;
    std::size_t m_next = 0;
    double m_since = 0;                      // of the last capture or the zero
    std::optional<std::int64_t> m_previous;  // the last reading, unless a gap followed it
    std::optional<std::int64_t> m_last;      // the last reading, gap or not
    // Where the axis was before it came to where it is: the reading before
    // the last move of more than the band.
    std::optional<std::int64_t> m_cameFrom;
    std::optional<std::int64_t> m_standstill;  // before the zero: where the axis last stood
    bool m_zeroApproachChecked = false;        // the first target's side was checked at the zero
    // The target of the last capture, until a reading lies outside its window.
    std::optional<std::int64_t> m_captured;
};

}  // namespace pitchwise
