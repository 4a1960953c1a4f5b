#include "capture_trigger.h"

#include <cstdlib>
#include <utility>

namespace pitchwise {

namespace {

std::int64_t Distance(std::int64_t a, std::int64_t b) {
    return a > b ? a - b : b - a;
}

}  // namespace

CCaptureTrigger::CCaptureTrigger(std::vector<TriggerStop> stops, TriggerSettings settings)
    : m_stops(std::move(stops)), m_settings(settings) {}

TriggerResult CCaptureTrigger::Feed(double seconds, std::int64_t counts) {
    TriggerResult result;
    if (m_next >= m_stops.size()) {
        result.event = TriggerEvent::FINISHED;
        return result;
    }
    result = m_zeroed ? FeedAfterZero(seconds, counts) : FeedBeforeZero(seconds, counts);
    // Readings before the zero count from elsewhere: none of them may pair
    // with the first one after it.
    if (result.event != TriggerEvent::ZERO) Shift(counts);
    return result;
}

void CCaptureTrigger::Gap() {
    // The readings on either side of a gap are not consecutive; where the
    // axis came from is still known.
    m_previous.reset();
}

TriggerResult CCaptureTrigger::FeedBeforeZero(double seconds, std::int64_t counts) {
    TriggerResult result;
    const bool stands = m_previous && Distance(counts, *m_previous) <= m_settings.bandCounts;
    if (!stands) return result;
    // The cycle begins below the first target by the overrun and dwells
    // there, so the first target is the standstill that far above the one
    // before it, reached moving up.
    if (m_standstill &&
        Distance(counts - *m_standstill, m_settings.startRiseCounts) <= m_settings.windowCounts &&
        FromApproachSide(Direction::UP, counts)) {
        m_zeroed = true;
        m_since = seconds;
        m_zeroApproachChecked = true;
        m_previous.reset();
        m_last.reset();
        m_cameFrom.reset();
        result.event = TriggerEvent::ZERO;
        return result;
    }
    m_standstill = counts;
    return result;
}

TriggerResult CCaptureTrigger::FeedAfterZero(double seconds, std::int64_t counts) {
    const TriggerStop& stop = m_stops[m_next];
    TriggerResult result;
    result.stop = m_next;
    result.counts = counts;
    // Re-armed only once the axis has left the target just taken: at the
    // turn the next target is the same position, and the dwell there must
    // not count for both directions.
    if (m_captured && !Inside(counts, *m_captured)) m_captured.reset();
    const bool armed = !m_captured;
    const bool stands = m_previous && Distance(counts, *m_previous) <= m_settings.bandCounts;

    if (stands && armed && Inside(counts, stop.targetCounts) &&
        Inside(*m_previous, stop.targetCounts)) {
        if (!FromApproachSide(stop.approach, counts)) {
            result.event = TriggerEvent::MISSED;
            result.missed = MissedReason::WRONG_SIDE;
            m_next = m_stops.size();
            return result;
        }
        result.event = TriggerEvent::CAPTURE;
        m_captured = stop.targetCounts;
        m_zeroApproachChecked = false;
        m_since = seconds;
        ++m_next;
        return result;
    }
    if (stands && OtherTargetAt(counts, stop.targetCounts)) {
        result.event = TriggerEvent::MISSED;
        result.missed = MissedReason::STOOD_ELSEWHERE;
        m_next = m_stops.size();
        return result;
    }
    if (seconds - m_since > stop.secondsAllowed) {
        result.event = TriggerEvent::MISSED;
        result.missed = MissedReason::TIMED_OUT;
        m_next = m_stops.size();
    }
    return result;
}

bool CCaptureTrigger::Inside(std::int64_t counts, std::int64_t target) const {
    return Distance(counts, target) <= m_settings.windowCounts;
}

bool CCaptureTrigger::FromApproachSide(Direction approach, std::int64_t counts) const {
    if (m_next == 0 && m_zeroApproachChecked) return true;
    if (!m_cameFrom) return false;
    return approach == Direction::UP ? *m_cameFrom < counts : *m_cameFrom > counts;
}

std::optional<std::int64_t> CCaptureTrigger::OtherTargetAt(std::int64_t counts,
                                                           std::int64_t expected) const {
    for (const TriggerStop& s : m_stops) {
        if (s.targetCounts == expected || !Inside(counts, s.targetCounts)) continue;
        // Still standing where the last capture was taken: the same stop.
        if (m_captured && *m_captured == s.targetCounts) continue;
        return s.targetCounts;
    }
    return std::nullopt;
}

void CCaptureTrigger::Shift(std::int64_t counts) {
    // Readings at one standstill, a gap among them or not, all came from
    // where the axis was before it moved there.
    if (m_last && Distance(counts, *m_last) > m_settings.bandCounts) m_cameFrom = m_last;
    m_last = counts;
    m_previous = counts;
}

}  // namespace pitchwise
