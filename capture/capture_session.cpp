#include "capture_session.h"

#include <cmath>
#include <optional>
#include <vector>

#include "capture_record.h"
#include "capture_trigger.h"
#include "pause.h"
#include "qsb.h"
#include "run_log_file.h"

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

class CCapture {
  public:
    CCapture(const CapturePlan& plan, const CaptureSettings& settings, CaptureProgress& progress)
        : m_plan(plan),
          m_settings(settings),
          m_progress(progress),
          m_stops(CycleStops(plan)),
          m_trigger(TriggerStopsFor(plan),
                    TriggerSettingsFor(plan, settings.window, settings.bandCounts)) {
        const std::vector<CycleWaypoint> path = CycleWaypoints(plan);
        m_programSeconds = CycleSeconds(plan, path, std::nullopt, path.size() - 1);
    }

    // One reading; false when the capture is over.
    bool Reading(double seconds, std::int64_t counts, CaptureReport& report) {
        if (!Take(m_trigger.Feed(seconds, counts), report)) return false;
        CaptureReading reading;
        reading.counts = counts;
        reading.zeroed = m_trigger.Zeroed();
        if (reading.zeroed) reading.position = PositionFromFirst(m_plan, counts);
        m_progress.Reading(reading, Standing());
        return true;
    }
    // A reading that could not be taken.
    void Gap() { m_trigger.Gap(); }
    CaptureStanding Standing() const;

  private:
    bool Take(const TriggerResult& result, CaptureReport& report);
    bool AppendRun(CaptureReport& report);

    const CapturePlan& m_plan;
    const CaptureSettings& m_settings;
    CaptureProgress& m_progress;
    std::vector<CycleStop> m_stops;
    CCaptureTrigger m_trigger;
    double m_programSeconds = 0;
    CapturedPoint m_start;  // where the current run's up sweep starts
    std::vector<CapturedPoint> m_up, m_down;
    std::optional<std::int64_t> m_lastDeviation;
};

CaptureStanding CCapture::Standing() const {
    CaptureStanding standing;
    const std::size_t next = m_trigger.NextStop();
    standing.stop = next;
    standing.lastDeviationCounts = m_lastDeviation;
    standing.secondsLeft = m_programSeconds;
    if (!m_trigger.Zeroed()) return standing;
    if (next >= m_stops.size()) {
        standing.phase = CapturePhase::DONE;
        standing.secondsLeft = 0;
        standing.fractionDone = 1;
        return standing;
    }
    const CycleStop& s = m_stops[next];
    standing.phase = CapturePhase::MEASURING;
    standing.run = s.run;
    standing.direction = s.direction;
    standing.targetNumber =
        s.direction == Direction::UP ? s.target + 1 : m_plan.targets.size() - s.target;
    standing.secondsLeft =
        next == 0 ? SecondsLeftAfter(m_plan, 0) : SecondsLeftAfter(m_plan, next - 1);
    if (m_programSeconds > 0)
        standing.fractionDone =
            std::fmin(1.0, std::fmax(0.0, 1 - standing.secondsLeft / m_programSeconds));
    return standing;
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
            report.status = Status<CaptureEnd>(CaptureEnd::LOG_REFUSED, {}, error);
            return false;
        }
    }
    ++report.runsLogged;
    m_start = m_down.back();
    m_up.clear();
    m_down.clear();
    return true;
}

bool CCapture::Take(const TriggerResult& result, CaptureReport& report) {
    switch (result.event) {
        case TriggerEvent::NONE:
            return true;
        case TriggerEvent::ZERO: {
            ZeroQsbCounter();
            m_start = CapturedPoint{0, Direction::UP, 0, RunLogTimeNow()};
            m_progress.Zeroed();
            return true;
        }
        case TriggerEvent::CAPTURE: {
            const CycleStop& s = m_stops[result.stop];
            CapturedPoint point{s.target, s.direction, result.counts, RunLogTimeNow()};
            (s.direction == Direction::UP ? m_up : m_down).push_back(point);
            m_lastDeviation = result.counts - CountsFromFirst(m_plan, m_plan.targets[s.target]);
            m_progress.Captured(CapturedDeviation{result.stop, s.run, s.direction, s.target,
                                                  m_plan.targets[s.target], *m_lastDeviation});
            const bool runDone = s.direction == Direction::DOWN && s.target == 0;
            if (runDone) {
                if (!AppendRun(report)) return false;
                m_progress.RunLogged(s.run);
            }
            if (m_trigger.NextStop() < m_stops.size()) return true;
            report.status = Status<CaptureEnd>();
            return false;
        }
        case TriggerEvent::MISSED:
            break;
        case TriggerEvent::FINISHED:
            report.status = Status<CaptureEnd>();
            return false;
    }
    report.status = Status<CaptureEnd>(
        CaptureEnd::MISSED, {static_cast<double>(result.stop), static_cast<double>(result.missed),
                             static_cast<double>(result.counts)});
    return false;
}

}  // namespace

CaptureReport RunCapture(const CapturePlan& plan, const CaptureSettings& settings,
                         CaptureProgress& progress) {
    CaptureReport report;
    CElapsedClock clock;
    int port = settings.port;
    QsbIdentity identity{};
    const bool found = port > 0 ? OpenQsb(port, identity) : FindQsb(port, identity);
    if (!found) {
        report.status =
            Status<CaptureEnd>(CaptureEnd::NO_QSB, {static_cast<double>(settings.port)});
        return report;
    }
    progress.Found(port, identity);
    CCapture capture(plan, settings, progress);
    progress.Reading(CaptureReading{}, capture.Standing());
    int silent = 0;
    while (!progress.StopRequested()) {
        std::int32_t counts = 0;
        if (!ReadQsbCount(counts)) {
            capture.Gap();
            if (++silent < kSilentReadings) continue;
            report.status =
                Status<CaptureEnd>(CaptureEnd::QSB_SILENT, {static_cast<double>(silent)});
            return report;
        }
        silent = 0;
        if (!capture.Reading(clock.Seconds(), counts, report)) return report;
    }
    report.status = Status<CaptureEnd>(CaptureEnd::STOPPED);
    return report;
}

}  // namespace pitchwise
