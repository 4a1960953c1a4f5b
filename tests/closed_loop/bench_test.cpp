// The bench's own judgement, driven line by line with explicit times: the
// command language it accepts, the motion it models and its verdict.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bench_controller.h"
#include "bench_options.h"
#include "bench_report.h"
#include "bench_truth.h"
#include "run_log_file.h"

namespace pitchwise {

namespace {

using Clock = CAxisModel::Clock;
using std::chrono::milliseconds;

struct NumberCase {
    const char* text;
    bool ok;
    double value;
};

const NumberCase kNumbers[] = {
    {"1.0000", true, 1.0},
    {"-2.5000", true, -2.5},
    {"0.0000", true, 0.0},
    {"-0.0000", true, 0.0},
    {"123456.7890", true, 123456.789},
    {"1,0000", false, 0},
    {"1.000", false, 0},
    {"1.00000", false, 0},
    {"nan", false, 0},
    {"-inf", false, 0},
    {"1e3.0000", false, 0},
    {"-.5000", false, 0},
    {"+1.0000", false, 0},
    {"", false, 0},
    {"1.0000 ", false, 0},
    {"--1.0000", false, 0},
    {"1.00a0", false, 0},
};

TEST(BenchNumbers, OnlyFourDecimalsWithAPoint) {
    for (const NumberCase& c : kNumbers) {
        double value = -99;
        EXPECT_EQ(ParseFixed4(c.text, value), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_DOUBLE_EQ(value, c.value) << c.text;
        }
    }
}

// A controller with only a linear scale error of 0.001 per unit, so every
// truth below is worked out by hand.
class BenchRunTest : public ::testing::Test {
  protected:
    BenchRunTest() : axis(Profile(), 20.0, 0.0), controller(axis, BenchBehaviour()) {}

    static PitchErrorProfile Profile() {
        PitchErrorProfile profile;
        profile.scalePerUnit = 0.001;
        profile.periodicAmplitude = 0;
        return profile;
    }

    // Sends the line after the axis has settled; returns the controller's answer.
    int Send(const std::string& line) {
        now += std::chrono::seconds(10);
        return controller.Line(line, now);
    }
    bool SendAll(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) {
            if (Send(line) == 0) return false;
        }
        return true;
    }

    Clock::time_point now = Clock::time_point() + std::chrono::hours(1);
    CAxisModel axis;
    CBenchController controller;
};

TEST_F(BenchRunTest, CorrectUpwardTableAgrees) {
    ASSERT_EQ(controller.Init(), 1);
    ASSERT_TRUE(SendAll({"L600", "L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X1.0000", "G4D1",
                         "L606 N1 V-0.0010", "G1X2.0000", "G4D1", "L606 N2 V-0.0020", "L601"}));
    controller.Finish();
    BenchVerdict verdict = JudgeRuns(controller.Runs(), BENCH_DEFAULT_TOLERANCE);
    EXPECT_TRUE(verdict.agree) << verdict.reason;
    EXPECT_NEAR(controller.Runs()[0].entries[2].commandedTravel, 2.0, 1e-12);
}

TEST_F(BenchRunTest, WrongSignOrUnfinishedTableDisagrees) {
    controller.Init();
    ASSERT_TRUE(SendAll({"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X1.0000", "G4D1",
                         "L606 N1 V0.0010", "L601"}));
    controller.Finish();
    EXPECT_FALSE(JudgeRuns(controller.Runs(), BENCH_DEFAULT_TOLERANCE).agree);

    controller.Init();  // a second run that never closes its table
    ASSERT_TRUE(SendAll({"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0"}));
    BenchVerdict second = JudgeRun(controller.Runs()[1], BENCH_DEFAULT_TOLERANCE);
    EXPECT_FALSE(second.agree);
    EXPECT_NE(second.reason.find("L601"), std::string::npos) << second.reason;
}

TEST_F(BenchRunTest, DownwardTableFromAnyStartIsRelativeToTheStart) {
    controller.Init();
    // From 10 down by 1: the axis error there is 0.001 * (9 - 10) = -0.001.
    ASSERT_TRUE(SendAll({"L602YY", "G0Y10.0000", "G4D1", "L606 N0 V0", "G1Y-1.0000", "G4D1",
                         "L606 N1 V0.0010", "L601"}));
    controller.Finish();
    EXPECT_TRUE(JudgeRuns(controller.Runs(), BENCH_DEFAULT_TOLERANCE).agree);
    EXPECT_NEAR(controller.Runs()[0].entries[1].commandedTravel, -1.0, 1e-12);
}

TEST_F(BenchRunTest, RefusesWhatTheRunNeverSays) {
    const std::vector<std::vector<std::string>> cases = {
        {"G1X1.0000"},                               // no table open
        {"L602XY"},                                  // two different axes
        {"L602xx"},                                  // lower case
        {"L602XX", "G0Y0.0000"},                     // another axis
        {"L602XX", "G0X0,5000"},                     // a comma
        {"L602XX", "G0X0.5"},                        // not four decimals
        {"L602XX", "G4D1"},                          // no start yet
        {"L602XX", "G0X0.0000", "G0X1.0000"},        // a second start
        {"L602XX", "G0X0.0000", "L606 N1 V0.0000"},  // points out of order
        {"L602XX", "G0X0.0000", "L606 N0 V0.0000"},  // point 0 is always V0
        {"L602XX", "G0X0.0000", "L606 N0 V0", "L606 N1 V1.0"},
        {"L602XX", "G0X0.0000", "G4D2"},
        {"L602XX", "G0X0.0000", "L601 "},
        {"L602XX", "L600"},  // L600 comes first
        {"L602XX", "G0X0.0000", "G1Xnan"},
    };
    for (const auto& lines : cases) {
        controller.Init();
        for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
            ASSERT_EQ(Send(lines[i]), 1) << lines[i];
        }
        EXPECT_EQ(Send(lines.back()), 0) << lines.back();
        EXPECT_FALSE(controller.Runs().back().refusal.empty());
    }
}

TEST_F(BenchRunTest, MovesTakeTimeInProportionToDistanceAndBusyRefuses) {
    controller.Init();
    ASSERT_TRUE(SendAll({"L602XX", "G0X0.0000"}));
    Clock::time_point start = now + std::chrono::seconds(10);
    now = start - std::chrono::seconds(10);
    ASSERT_EQ(Send("G1X2.0000"), 1);  // 2 units at 20 per second: 100 ms
    EXPECT_EQ(controller.InMotion(start + milliseconds(50)), 1);
    EXPECT_NEAR(axis.Commanded(start + milliseconds(50)), 1.0, 1e-6);
    EXPECT_EQ(controller.Line("G4D1", start + milliseconds(50)), 0);
    EXPECT_EQ(controller.InMotion(start + milliseconds(101)), 0);
    EXPECT_EQ(controller.Position(start + milliseconds(101)), 20000);
}

TEST_F(BenchRunTest, LinesBeforeInitAreRefused) {
    EXPECT_EQ(Send("L602XX"), 0);
}

TEST(BenchBacklash, ReversalAtTheStartShowsInTheTruth) {
    PitchErrorProfile profile;
    profile.scalePerUnit = 0.001;
    profile.periodicAmplitude = 0;
    profile.backlash = 0.002;
    CAxisModel axis(profile, 20.0, 0.0);
    CBenchController controller(axis, BenchBehaviour());
    Clock::time_point now = Clock::time_point() + std::chrono::hours(1);
    controller.Init();
    // Up to 10, then down: the reversal loses the backlash once, so the
    // error relative to the start is -0.001 + 0.002 = 0.001.
    for (const char* line : {"L602XX", "G0X10.0000", "G4D1", "L606 N0 V0", "G1X-1.0000", "G4D1",
                             "L606 N1 V-0.0010", "L601"}) {
        now += std::chrono::seconds(10);
        ASSERT_EQ(controller.Line(line, now), 1) << line;
    }
    controller.Finish();
    EXPECT_TRUE(JudgeRuns(controller.Runs(), BENCH_DEFAULT_TOLERANCE).agree);
}

TEST(BenchFaults, RefusesTheNthLineOfEachRunAndCanFailInit) {
    CAxisModel axis(PitchErrorProfile(), 20.0, 0.0);
    BenchBehaviour behaviour;
    behaviour.refuseLine = 2;
    CBenchController controller(axis, behaviour);
    Clock::time_point now = Clock::time_point() + std::chrono::hours(1);
    for (int run = 0; run < 2; ++run) {
        controller.Init();
        EXPECT_EQ(controller.Line("L602XX", now), 1);
        EXPECT_EQ(controller.Line("G0X0.0000", now), 0);
    }
    EXPECT_FALSE(JudgeRuns(controller.Runs(), BENCH_DEFAULT_TOLERANCE).agree);

    behaviour = BenchBehaviour();
    behaviour.failInit = true;
    CBenchController failing(axis, behaviour);
    EXPECT_EQ(failing.Init(), 0);
    EXPECT_EQ(failing.Line("L602XX", now), 0);
    EXPECT_FALSE(JudgeRuns(failing.Runs(), BENCH_DEFAULT_TOLERANCE).agree);
    EXPECT_FALSE(JudgeRuns({}, BENCH_DEFAULT_TOLERANCE).agree);
}

TEST(BenchCommandLineOptions, ParsesValuesAndRefusesNonsense) {
    const char* good[] = {"pitchwise-bench",
                          "--refuse-line",
                          "4",
                          "--noise",
                          "0.0001",
                          "--speed",
                          "50",
                          "--runs",
                          "2",
                          "--fail-init",
                          "--qsb-no-zero"};
    BenchCommandLine options;
    std::string error;
    ASSERT_TRUE(ParseBenchCommandLine(11, good, options, error)) << error;
    EXPECT_TRUE(options.bench.qsbIgnoresZeroing);
    EXPECT_EQ(options.bench.behaviour.refuseLine, 4);
    EXPECT_TRUE(options.bench.behaviour.failInit);
    EXPECT_EQ(options.runs, 2);
    BenchCommandLine defaults;
    ASSERT_TRUE(ParseBenchCommandLine(1, good, defaults, error)) << error;
    EXPECT_FALSE(defaults.bench.qsbIgnoresZeroing);
    EXPECT_DOUBLE_EQ(options.bench.speed, 50);
    EXPECT_NEAR(options.bench.tolerance, BENCH_DEFAULT_TOLERANCE + 0.0004, 1e-12);

    const std::vector<std::vector<const char*>> bad = {
        {"pitchwise-bench", "--speed", "0"},    {"pitchwise-bench", "--runs", "1.5"},
        {"pitchwise-bench", "--bogus", "1"},    {"pitchwise-bench", "--qsb-port"},
        {"pitchwise-bench", "--noise", "x"},    {"pitchwise-bench", "--refuse-line", "-1"},
        {"pitchwise-bench", "--qsb-port", "8"}, {"pitchwise-bench", "--qsb-port", "0"},
    };
    for (const auto& argv : bad) {
        BenchCommandLine rejected;
        EXPECT_FALSE(
            ParseBenchCommandLine(static_cast<int>(argv.size()), argv.data(), rejected, error))
            << argv[1];
    }
}

}  // namespace

namespace {

// Up 0 -> 2 and back down, each run's lines as RunMapping sends them, on an
// axis with 0.001 per unit and lost motion 0.002.
void MapUpAndBack(CBenchController& controller, Clock::time_point& now, bool& closedBoth) {
    const std::vector<std::vector<std::string>> runs = {
        {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X1.0000", "G4D1", "L606 N1 V-0.0010",
         "G1X2.0000", "G4D1", "L606 N2 V-0.0020", "L601"},
        {"L602XX", "G0X2.0000", "G4D1", "L606 N0 V0", "G1X-1.0000", "G4D1", "L606 N1 V-0.0010",
         "G1X-2.0000", "G4D1", "L606 N2 V0.0000", "L601"},
    };
    closedBoth = true;
    for (const auto& lines : runs) {
        controller.Init();
        for (const std::string& line : lines) {
            now += std::chrono::seconds(10);
            if (controller.Line(line, now) == 0) closedBoth = false;
        }
        controller.Finish();
    }
}

PitchErrorProfile LinearWithLostMotion() {
    PitchErrorProfile profile;
    profile.scalePerUnit = 0.001;
    profile.periodicAmplitude = 0;
    profile.backlash = 0.002;
    return profile;
}

}  // namespace

TEST(BenchRunLog, EveryClosedRunIsKeptWithHowEachPointWasReached) {
    char pattern[] = "/tmp/pitchwise-benchlog-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    CAxisModel axis(LinearWithLostMotion(), 20.0, 0.0);
    BenchBehaviour behaviour;
    behaviour.runLog = dir + "/runs.csv";
    CBenchController controller(axis, behaviour);
    Clock::time_point now = Clock::time_point() + std::chrono::hours(1);
    bool closed = false;
    MapUpAndBack(controller, now, closed);
    EXPECT_TRUE(closed);

    RunLogReading reading;
    std::string error;
    ASSERT_TRUE(ReadRunLogFile(behaviour.runLog, reading, error)) << error;
    ASSERT_EQ(reading.runs.size(), 2u);
    const LoggedRun& down = reading.runs[1];
    EXPECT_EQ(down.direction, Direction::DOWN);
    EXPECT_EQ(down.unit, LengthUnit::MM);  // the bench's axis counts in mm
    // The down run's start was reached moving up (the axis waited there).
    EXPECT_EQ(down.points[0].approach, Direction::UP);
    EXPECT_EQ(down.points[1].approach, Direction::DOWN);
    EXPECT_DOUBLE_EQ(down.points[2].target, 0.0);
    // Tied: its start where the up run ended; at 1 it sent -0.0010, so it
    // lies 0.001 further on (the step down lost 0.002 and gained 0.001 back).
    EXPECT_NEAR(down.points[0].deviation, reading.runs[0].points[2].deviation, 1e-9);
    EXPECT_NEAR(down.points[1].deviation, down.points[0].deviation + 0.001, 1e-9);

    AxisFigures truth = BenchTruthFigures(LinearWithLostMotion(), reading.runs);
    ASSERT_TRUE(truth.reversal);
    EXPECT_NEAR(*truth.reversal, 0.002, 1e-12);
    std::system(("rm -rf '" + dir + "'").c_str());
}

TEST(BenchRunLog, ARunThatCannotBeKeptIsNotAcknowledged) {
    CAxisModel axis(LinearWithLostMotion(), 20.0, 0.0);
    BenchBehaviour behaviour;
    behaviour.runLog = "/nonexistent-pitchwise-dir/runs.csv";
    CBenchController controller(axis, behaviour);
    Clock::time_point now = Clock::time_point() + std::chrono::hours(1);
    bool closed = true;
    MapUpAndBack(controller, now, closed);
    EXPECT_FALSE(closed);
    EXPECT_FALSE(controller.Runs()[0].closed);
    EXPECT_NE(controller.Runs()[0].refusal.find("could not be kept"), std::string::npos)
        << controller.Runs()[0].refusal;
    EXPECT_FALSE(JudgeRuns(controller.Runs(), BENCH_DEFAULT_TOLERANCE).agree);
}

}  // namespace pitchwise
