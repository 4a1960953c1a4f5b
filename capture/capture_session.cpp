#include "capture_session.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "capture_record.h"
#include "capture_trigger.h"
#include "pause.h"
#include "qsb.h"
#include "run_log_file.h"
#include "text.h"

namespace pitchwise {

namespace {

// A QSB that stops answering for this many exchanges in a row is gone.
constexpr int kSilentReadings = 5;

// The capture's clock: the time the reader has paused for. The exchanges
// themselves take next to nothing, so this is the time gone by, and a test
// whose clock only records the pauses runs the same capture without waiting.
class CElapsedClock final : public CPauseClock {
  public:
    CElapsedClock() : m_previous(SetPauseClock(this)) {}
    ~CElapsedClock() override { SetPauseClock(m_previous); }
    CElapsedClock(const CElapsedClock&) = delete;
    CElapsedClock& operator=(const CElapsedClock&) = delete;

    void Pause(unsigned milliseconds) override {
        m_milliseconds += milliseconds;
        if (m_previous)
            m_previous->Pause(milliseconds);
        else
            SleepMilliseconds(milliseconds);
    }
    double Seconds() const { return static_cast<double>(m_milliseconds) / 1000.0; }

  private:
    CPauseClock* m_previous;
    unsigned long long m_milliseconds = 0;
};

std::string Duration(double seconds) {
    const long whole = std::lround(std::fmax(seconds, 0.0));
    return Format("%ld:%02ld", whole / 60, whole % 60);
}

class CCapture {
  public:
    CCapture(const CapturePlan& plan, const CaptureSettings& settings)
        : m_plan(plan),
          m_settings(settings),
          m_stops(CycleStops(plan)),
          m_trigger(TriggerStopsFor(plan),
                    TriggerSettingsFor(plan, settings.window, settings.bandCounts)) {}

    // One reading; false when the capture is over.
    bool Reading(double seconds, std::int64_t counts, CaptureReport& report,
                 const std::function<void(const std::string&)>& note) {
        return Take(m_trigger.Feed(seconds, counts), report, note);
    }
    // A reading that could not be taken.
    void Gap() { m_trigger.Gap(); }
    std::string ProgressLine() const;

  private:
    bool Take(const TriggerResult& result, CaptureReport& report,
              const std::function<void(const std::string&)>& note);
    std::string StopName(std::size_t k) const;
    std::string Position(std::int64_t counts) const;
    bool AppendRun(CaptureReport& report);

    const CapturePlan& m_plan;
    const CaptureSettings& m_settings;
    std::vector<CycleStop> m_stops;
    CCaptureTrigger m_trigger;
    CapturedPoint m_start;  // where the current run's up sweep starts
    std::vector<CapturedPoint> m_up, m_down;
    std::int64_t m_lastDeviation = 0;
    bool m_anyCapture = false;
};

std::string CCapture::StopName(std::size_t k) const {
    const CycleStop& s = m_stops[k];
    return Format("run %d %s, target %zu of %zu (%c %.4f)", s.run, DirectionName(s.direction),
                  s.direction == Direction::UP ? s.target + 1 : m_plan.targets.size() - s.target,
                  m_plan.targets.size(), m_plan.axis, m_plan.targets[s.target]);
}

std::string CCapture::Position(std::int64_t counts) const {
    return Format("%.4f",
                  m_plan.targets.front() + static_cast<double>(counts) / m_plan.countsPerUnit);
}

std::string CCapture::ProgressLine() const {
    const std::size_t next = m_trigger.NextStop();
    if (!m_trigger.Zeroed()) {
        return Format("waiting for %c to stand at %.4f reached from below, %.4f above the start",
                      m_plan.axis, m_plan.targets.front(), m_plan.overrun);
    }
    if (next >= m_stops.size()) return "done";
    const CycleStop& s = m_stops[next];
    std::string line = Format(
        "run %d of %d, %s, target %zu of %zu", s.run, m_plan.runs, DirectionName(s.direction),
        s.direction == Direction::UP ? s.target + 1 : m_plan.targets.size() - s.target,
        m_plan.targets.size());
    if (m_anyCapture)
        line += Format(", last deviation %lld counts", static_cast<long long>(m_lastDeviation));
    const double left =
        next == 0 ? SecondsLeftAfter(m_plan, 0) : SecondsLeftAfter(m_plan, next - 1);
    return line + ", " + Duration(left) + " left";
}

bool CCapture::AppendRun(CaptureReport& report) {
    std::vector<LoggedRun> runs =
        CycleRunLogs(m_plan, m_start, m_up, m_down, m_settings.tableInForce);
    for (LoggedRun& run : runs) {
        std::string error;
        // The first run after the zero is a new measurement's reference: the
        // runs of an earlier capture counted from another zero.
        const bool first = report.runsLogged == 0 && run.direction == Direction::UP;
        // The scale the counts were converted with stays beside the runs.
        if (!AppendRunToLog(m_settings.logPath, run, first, error,
                            first ? CaptureLogComment(m_plan) : std::string())) {
            report.outcome = CaptureOutcome::LOG_REFUSED;
            report.message = "the run log refused the run: " + error;
            return false;
        }
    }
    ++report.runsLogged;
    m_start = m_down.back();
    m_up.clear();
    m_down.clear();
    return true;
}

bool CCapture::Take(const TriggerResult& result, CaptureReport& report,
                    const std::function<void(const std::string&)>& note) {
    switch (result.event) {
        case TriggerEvent::NONE:
            return true;
        case TriggerEvent::ZERO: {
            ZeroQsbCounter();
            m_start = CapturedPoint{0, Direction::UP, 0, RunLogTimeNow()};
            note(Format("zeroed at %c %.4f", m_plan.axis, m_plan.targets.front()));
            return true;
        }
        case TriggerEvent::CAPTURE: {
            const CycleStop& s = m_stops[result.stop];
            CapturedPoint point{s.target, s.direction, result.counts, RunLogTimeNow()};
            (s.direction == Direction::UP ? m_up : m_down).push_back(point);
            m_lastDeviation = result.counts - CountsFromFirst(m_plan, m_plan.targets[s.target]);
            m_anyCapture = true;
            const bool runDone = s.direction == Direction::DOWN && s.target == 0;
            if (runDone) {
                if (!AppendRun(report)) return false;
                note(Format("run %d of %d logged to %s", s.run, m_plan.runs,
                            m_settings.logPath.c_str()));
            }
            if (m_trigger.NextStop() < m_stops.size()) return true;
            report.outcome = CaptureOutcome::FINISHED;
            report.message = Counted(m_plan.runs, "run", "runs") + " each way captured";
            return false;
        }
        case TriggerEvent::MISSED:
            break;
        case TriggerEvent::FINISHED:
            report.outcome = CaptureOutcome::FINISHED;
            return false;
    }
    report.outcome = CaptureOutcome::MISSED;
    const std::string stop = StopName(result.stop);
    if (result.missed == MissedReason::STOOD_ELSEWHERE) {
        report.message =
            stop + " missed: the axis stood at " + Position(result.counts) + " instead";
    } else if (result.missed == MissedReason::WRONG_SIDE) {
        report.message = stop + " missed: the axis reached it moving " +
                         (m_stops[result.stop].direction == Direction::UP ? "down" : "up");
    } else {
        report.message = stop + " missed: not reached in the time of its move and dwell";
    }
    return false;
}

}  // namespace

CaptureReport RunCapture(const CapturePlan& plan, const CaptureSettings& settings,
                         const std::function<void(const std::string&)>& progress,
                         const std::function<void(const std::string&)>& note,
                         const volatile std::sig_atomic_t& stopRequested) {
    CaptureReport report;
    CElapsedClock clock;
    int port = settings.port;
    QsbIdentity identity{};
    const bool found = port > 0 ? OpenQsb(port, identity) : FindQsb(port, identity);
    if (!found) {
        report.outcome = CaptureOutcome::NO_QSB;
        report.message = port > 0 ? Format("no QSB answers on COM%d", port)
                                  : std::string("no QSB found on COM1 to COM7");
        return report;
    }
    note(Format("COM:%d SERNUM:%s DEV:%s REV:%s", port, identity.serialNumber, identity.device,
                identity.revision));
    CCapture capture(plan, settings);
    progress(capture.ProgressLine());
    int silent = 0;
    while (!stopRequested) {
        std::int32_t counts = 0;
        if (!ReadQsbCount(counts)) {
            capture.Gap();
            if (++silent < kSilentReadings) continue;
            report.outcome = CaptureOutcome::QSB_SILENT;
            report.message = Format("the QSB gave no reading %d times in a row", silent);
            return report;
        }
        silent = 0;
        if (!capture.Reading(clock.Seconds(), counts, report, note)) return report;
        progress(capture.ProgressLine());
    }
    report.outcome = CaptureOutcome::STOPPED;
    report.message = "stopped";
    return report;
}

}  // namespace pitchwise
