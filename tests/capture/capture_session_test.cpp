// A whole capture against the simulated QSB on a real pty, with the pauses
// recorded instead of slept: during each pause the scripted carriage runs
// the cycle's program on a little further and the device answers with
// where it stands, pitch error and lost motion included. Nothing waits, so
// a capture of a few minutes takes a fraction of a second.

#include "capture_session.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture_record.h"
#include "com_port.h"
#include "qsb.h"
#include "qsb_simulator.h"
#include "recording_clock.h"
#include "run_log_file.h"
#include "text_file.h"

namespace pitchwise {

namespace {

constexpr double kScale = static_cast<double>(QSB_COUNTS_PER_UNIT);
constexpr double kLostMotion = 0.01;
constexpr std::int64_t kDeviceOffset = 123456;  // the counter before any zero

double PitchError(double position) {
    return 0.004 * std::sin(position / 7.0) + 0.0002 * position;
}

// The machine running the program: parked until `start`, then each move at
// the feed and each dwell as written. The carriage lags half the lost motion
// behind the way the axis last moved.
class CScriptedCarriage {
  public:
    CScriptedCarriage(std::vector<CycleWaypoint> path, double feed, double park, double start)
        : m_path(std::move(path)), m_perSecond(feed / 60.0), m_park(park), m_start(start) {}

    double Reading(double now) const {
        double position = m_park;
        bool up = false;
        double t = m_start;
        for (const CycleWaypoint& p : m_path) {
            if (now <= t) break;
            const double move = std::fabs(p.position - position) / m_perSecond;
            if (p.position != position) up = p.position > position;
            if (now < t + move) {
                position += (up ? 1 : -1) * (now - t) * m_perSecond;
                break;
            }
            position = p.position;
            t += move + p.dwellSeconds;
        }
        return position + PitchError(position) + (up ? -0.5 : 0.5) * kLostMotion;
    }

  private:
    std::vector<CycleWaypoint> m_path;
    double m_perSecond;
    double m_park;
    double m_start;
};

CapturePlan Plan() {
    CapturePlan plan;
    plan.targets = {0, 10, 20};
    plan.runs = 2;
    // A second more than the least: the kernel hands a command written on
    // the pty to the device a moment later, so now and then a reply comes a
    // pause late and that reading is lost; four readings at a stop still
    // hold two consecutive ones.
    plan.dwell = 4;
    plan.overrun = 5;
    plan.feed = 1200;
    plan.window = 1;
    plan.lostMotion = 0.1;
    return plan;
}

class CaptureSession : public ::testing::Test {
  protected:
    void SetUp() override {
        char dir[] = "/tmp/pitchwise-capture-test.XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        m_dir = dir;
        settings.logPath = m_dir + "/runs.csv";
        settings.window = plan.window;
        sim.ExportPortDir();
        ASSERT_TRUE(sim.Plug(1));
        sim.SetCountSource([this] {
            return kDeviceOffset + std::llround(carriage().Reading(m_now) * plan.countsPerUnit);
        });
        sim.SetObserver([this](const QsbSimTraffic& t) {
            if (t.direction == QsbSimTraffic::RECEIVED) m_commands.push_back(t.bytes);
        });
        clock.SetHook([this](unsigned milliseconds) {
            m_now += milliseconds / 1000.0;
            if (m_stopAt > 0 && m_now >= m_stopAt) m_stop = 1;
            sim.Pump();
        });
    }
    void TearDown() override {
        thePort.Close();
        std::system(("rm -rf '" + m_dir + "'").c_str());
    }

    const CScriptedCarriage& carriage() {
        if (!m_carriage) m_carriage.emplace(path, plan.feed, 12.0, 8.0);
        return *m_carriage;
    }

    // The program run again from the start, the axis parked as before.
    void Rerun() {
        thePort.Close();
        m_now = 0;
        m_stop = 0;
    }

    CaptureReport Capture() {
        return RunCapture(
            plan, settings, [this](const std::string& line) { progress.push_back(line); },
            [this](const std::string& line) { notes.push_back(line); }, m_stop);
    }

    std::vector<LoggedRun> LoggedRuns() {
        RunLogReading reading;
        std::string error;
        EXPECT_TRUE(ReadRunLogFile(settings.logPath, reading, error)) << error;
        return reading.runs;
    }

    CapturePlan plan = Plan();
    std::vector<CycleWaypoint> path = CycleWaypoints(plan);
    CaptureSettings settings;
    CQsbSimulator sim;
    CRecordingClock clock;
    std::vector<std::string> notes;
    std::vector<std::string> progress;
    std::vector<std::string> m_commands;
    double m_stopAt = 0;

  private:
    std::string m_dir;
    double m_now = 0;
    volatile std::sig_atomic_t m_stop = 0;
    std::optional<CScriptedCarriage> m_carriage;
};

// What a perfect measurement gives at a target reached one way: the error
// and the lag there, less those at the first target reached moving up.
double TrueDeviation(double target, Direction approach) {
    const double lag = approach == Direction::UP ? -0.5 * kLostMotion : 0.5 * kLostMotion;
    return PitchError(target) + lag - (PitchError(0) - 0.5 * kLostMotion);
}

TEST_F(CaptureSession, EveryStopOfEveryRunAtItsTrueDeviation) {
    CaptureReport report = Capture();
    EXPECT_EQ(report.outcome, CaptureOutcome::FINISHED) << report.message;
    EXPECT_EQ(report.runsLogged, 2);
    std::vector<LoggedRun> runs = LoggedRuns();
    ASSERT_EQ(runs.size(), 4u);
    const Direction order[] = {Direction::UP, Direction::DOWN, Direction::UP, Direction::DOWN};
    for (std::size_t r = 0; r < runs.size(); ++r) {
        EXPECT_EQ(runs[r].direction, order[r]);
        EXPECT_EQ(runs[r].measurement, 1);
        ASSERT_EQ(runs[r].points.size(), 4u);  // the start and three stops
        for (std::size_t i = 1; i < runs[r].points.size(); ++i) {
            const LoggedPoint& p = runs[r].points[i];
            EXPECT_EQ(p.approach, order[r]);
            // A count of rounding at each reading, and the log's four decimals.
            EXPECT_NEAR(p.deviation, TrueDeviation(p.target, p.approach), 2.5 / kScale)
                << "run " << r + 1 << " point " << i;
        }
    }
    // The live line: the first before the zero, then what comes next.
    ASSERT_GT(progress.size(), 2u);
    EXPECT_EQ(progress.front(),
              "waiting for X to stand at 0.0000 reached from below, 5.0000 above the start");
    // Once 20 is taken moving down: its deviation 0.004 sin(20/7) + 0.004
    // + 0.01 of lost motion = 151.7 counts, and 13.25 s of program left.
    EXPECT_NE(std::find(progress.begin(), progress.end(),
                        "run 2 of 2, down, target 2 of 3, last deviation 152 counts, 0:13 left"),
              progress.end());
    // Each sweep starts where the one before it ended.
    EXPECT_EQ(runs[1].points[0].target, 20);
    EXPECT_EQ(runs[1].points[0].approach, Direction::UP);
    EXPECT_EQ(runs[2].points[0].target, 0);
    EXPECT_EQ(runs[2].points[0].approach, Direction::DOWN);
}

// A QSB counting another scale than the dialog's (an inch plan's, say):
// the counts are converted with the plan's, which the log names.
TEST_F(CaptureSession, CountsAtThePlansScale) {
    plan.countsPerUnit = 254875.3602;  // 25.4 times the dialog's
    plan.unit = LengthUnit::INCH;
    ASSERT_EQ(Capture().outcome, CaptureOutcome::FINISHED);
    std::vector<LoggedRun> runs = LoggedRuns();
    ASSERT_EQ(runs.size(), 4u);
    for (const LoggedRun& run : runs) {
        for (std::size_t i = 1; i < run.points.size(); ++i) {
            EXPECT_NEAR(run.points[i].deviation, TrueDeviation(run.points[i].target, run.direction),
                        2.5 / plan.countsPerUnit)
                << "run " << run.run << " point " << i;
        }
    }
    std::string text, error;
    ASSERT_EQ(ReadTextFile(settings.logPath, text, error), FileRead::READ) << error;
    const std::string comment =
        "\n# pitchwise-capture: axis X in inch, machine coordinates, the QSB at 254875.3602 "
        "counts per inch\n1,";
    EXPECT_NE(text.find(comment), std::string::npos) << text;
}

TEST_F(CaptureSession, ASecondCaptureBeginsANewMeasurement) {
    ASSERT_EQ(Capture().outcome, CaptureOutcome::FINISHED);
    Rerun();
    ASSERT_EQ(Capture().outcome, CaptureOutcome::FINISHED);
    std::vector<LoggedRun> runs = LoggedRuns();
    ASSERT_EQ(runs.size(), 8u);
    // Counted from another zero: tied to nothing measured before it.
    EXPECT_EQ(runs[3].measurement, 1);
    EXPECT_EQ(runs[4].measurement, 2);
    EXPECT_EQ(runs[7].measurement, 2);
}

TEST_F(CaptureSession, OneExchangeAtATimeAndOneZero) {
    Capture();
    ASSERT_GE(m_commands.size(), 4u);
    EXPECT_EQ(m_commands[0], "R140!\n");
    EXPECT_EQ(m_commands[1], "W038D!\n");
    EXPECT_EQ(m_commands[2], "W08007A1200!\n");
    int zeroes = 0;
    for (std::size_t i = 3; i < m_commands.size(); ++i) {
        EXPECT_TRUE(m_commands[i] == "R0E0!\n" || m_commands[i] == "W092!\n") << m_commands[i];
        zeroes += m_commands[i] == "W092!\n";
    }
    EXPECT_EQ(zeroes, 1);
    // Every exchange is its pause, the command, its pause: nothing sent
    // before the device had its time to answer the one before.
    std::vector<std::string> log = clock.Log();
    for (std::size_t i = 0; i < log.size(); ++i) EXPECT_EQ(log[i], "pause 500") << i;
}

TEST_F(CaptureSession, AStopLeftOutEndsTheCaptureAndKeepsTheRunBefore) {
    // Run 2 passes through 10 on the way up without stopping, and stands
    // next at 20, its error and lag included.
    const std::vector<std::size_t> at = StopWaypoints(path);
    path[at[7]].dwellSeconds = 0;
    CaptureReport report = Capture();
    EXPECT_EQ(report.outcome, CaptureOutcome::MISSED);
    EXPECT_EQ(report.message,
              "run 2 up, target 2 of 3 (X 10.0000) missed: the axis stood at 20.0051 instead")
        << report.message;
    EXPECT_EQ(report.runsLogged, 1);
    EXPECT_EQ(LoggedRuns().size(), 2u);
}

TEST_F(CaptureSession, StoppedByTheOperatorKeepsTheCompletedRuns) {
    // Past the first run (about 43 s of program after the start at 8 s),
    // well before the second.
    m_stopAt = 65;
    CaptureReport report = Capture();
    EXPECT_EQ(report.outcome, CaptureOutcome::STOPPED);
    EXPECT_EQ(report.runsLogged, 1);
    EXPECT_EQ(LoggedRuns().size(), 2u);
}

TEST_F(CaptureSession, AQsbThatStopsAnsweringEndsIt) {
    sim.SetCounterReply(std::string("R0E0 GARBLED\r\n"));
    CaptureReport report = Capture();
    EXPECT_EQ(report.outcome, CaptureOutcome::QSB_SILENT);
    EXPECT_EQ(report.runsLogged, 0);
}

TEST_F(CaptureSession, ANamedPortWithoutAQsbIsRefused) {
    settings.port = 2;
    CaptureReport report = Capture();
    EXPECT_EQ(report.outcome, CaptureOutcome::NO_QSB);
    EXPECT_EQ(report.message, "no QSB answers on COM2");
    settings.port = 1;
    notes.clear();
    m_stopAt = 1;  // found; then stopped at once
    EXPECT_EQ(Capture().outcome, CaptureOutcome::STOPPED);
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(notes[0].substr(0, 6), "COM:1 ");
}

}  // namespace

}  // namespace pitchwise
