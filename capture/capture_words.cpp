#include "capture_words.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "capture_record.h"
#include "text.h"

namespace pitchwise {

std::string DurationText(double seconds) {
    const long whole = std::lround(std::fmax(seconds, 0.0));
    return Format("%ld:%02ld", whole / 60, whole % 60);
}

std::string StandingText(const CapturePlan& plan, const CaptureStanding& standing) {
    switch (standing.phase) {
        case CapturePhase::WAITING_FOR_START:
            return Format(
                "waiting for %c to stand at %.4f reached from below, %.4f above the start",
                plan.axis, plan.targets.front(), plan.overrun);
        case CapturePhase::DONE:
            return "done";
        case CapturePhase::MEASURING:
            break;
    }
    std::string line =
        Format("run %d of %d, %s, target %zu of %zu", standing.run, plan.runs,
               DirectionName(standing.direction), standing.targetNumber, plan.targets.size());
    if (standing.lastDeviationCounts) {
        line += Format(", last deviation %lld counts",
                       static_cast<long long>(*standing.lastDeviationCounts));
    }
    return line + ", " + DurationText(standing.secondsLeft) + " left";
}

std::string StopText(const CapturePlan& plan, std::size_t stop) {
    const std::vector<CycleStop> stops = CycleStops(plan);
    if (stop >= stops.size()) return "a stop beyond the plan";
    const CycleStop& s = stops[stop];
    return Format("run %d %s, target %zu of %zu (%c %.4f)", s.run, DirectionName(s.direction),
                  s.direction == Direction::UP ? s.target + 1 : plan.targets.size() - s.target,
                  plan.targets.size(), plan.axis, plan.targets[s.target]);
}

std::string CaptureEndText(const CapturePlan& plan, const CaptureReport& report) {
    const Status<CaptureEnd>& status = report.status;
    switch (status.code()) {
        case CaptureEnd::OK:
            return Counted(plan.runs, "run", "runs") + " each way captured";
        case CaptureEnd::STOPPED:
            return "stopped";
        case CaptureEnd::NO_QSB:
            return status.number(0) > 0
                       ? Format("no QSB answers on COM%d", static_cast<int>(status.number(0)))
                       : std::string("no QSB found on COM1 to COM7");
        case CaptureEnd::QSB_SILENT:
            return Format("the QSB gave no reading %d times in a row",
                          static_cast<int>(status.number(0)));
        case CaptureEnd::LOG_REFUSED:
            return "the run log refused the run: " + status.subject();
        case CaptureEnd::MISSED:
            break;
    }
    const std::string stop = StopText(plan, static_cast<std::size_t>(status.number(0)));
    switch (static_cast<MissedReason>(static_cast<int>(status.number(1)))) {
        case MissedReason::STOOD_ELSEWHERE:
            return stop + " missed: the axis stood at " +
                   Format("%.4f",
                          PositionFromFirst(plan, static_cast<std::int64_t>(status.number(2)))) +
                   " instead";
        case MissedReason::WRONG_SIDE:
            return stop + " missed: the axis reached it moving " +
                   (CycleStops(plan)[static_cast<std::size_t>(status.number(0))].direction ==
                            Direction::UP
                        ? "down"
                        : "up");
        case MissedReason::TIMED_OUT:
            break;
    }
    return stop + " missed: not reached in the time of its move and dwell";
}

}  // namespace pitchwise
