// The whole run for real: the bench's axis and QSB on a pty, the simulated
// libTarvex.so found by its bare name, the real RunMapping with its real
// pauses, and the bench's verdict on the table it received.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench.h"
#include "com_port.h"
#include "mapping_run.h"

namespace pitchwise {

namespace {

struct ClosedLoopCase {
    const char* name;
    float start, end, increment;
    double backlash;
    std::size_t points;
};

// A few points each, with starts away from zero, so that a start wrongly
// added to targets or entries shows.
const ClosedLoopCase kCases[] = {
    {"Upwards", 2.5f, 5.5f, 1.0f, 0.0, 4},
    {"Downwards", 10.0f, 7.0f, 1.5f, 0.0, 3},
    {"DownwardsWithBacklash", 4.0f, 1.0f, 1.0f, 0.002, 4},
};

class ClosedLoop : public ::testing::TestWithParam<ClosedLoopCase> {};

TEST_P(ClosedLoop, BenchAgreesWithTheTable) {
    const ClosedLoopCase& c = GetParam();
    BenchOptions options;
    options.speed = 50;
    options.profile.backlash = c.backlash;
    CBench bench(options);
    std::string error;
    ASSERT_TRUE(bench.Start(error)) << error;
    bench.ExportEnvironment();
    ASSERT_TRUE(thePort.Open(1, 230400, 8, COM_NOPARITY, COM_ONESTOPBIT));

    MapResult result = RunMapping('X', c.start, c.end, c.increment, true);
    thePort.Close();

    EXPECT_EQ(result, MAP_DONE);
    ASSERT_TRUE(bench.WaitForRuns(1, std::chrono::seconds(60)));
    std::string report = bench.ReportText();
    std::printf("%s", report.c_str());
    BenchVerdict verdict = bench.Verdict();
    EXPECT_TRUE(verdict.agree) << verdict.reason;
    ASSERT_EQ(bench.Runs().size(), 1u);
    const BenchRun run = bench.Runs()[0];
    EXPECT_EQ(run.entries.size(), c.points);
    EXPECT_NEAR(run.start, c.start, 1e-9);
    // The table must undo an error the bench really injected.
    double largest = 0;
    for (const BenchEntry& entry : run.entries)
        largest = std::max(largest, std::fabs(entry.expected));
    EXPECT_GT(largest, 0.001);
}

INSTANTIATE_TEST_SUITE_P(Runs, ClosedLoop, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

// A bench told to refuse the first reading's G4D1 ends the run as the
// controller's refusal, and its verdict says the table is unfinished.
TEST(ClosedLoopFaults, RefusedLineGivesCommandFailureAndADisagreeingVerdict) {
    BenchOptions options;
    options.behaviour.refuseLine = 3;  // L602XX, G0X0.0000, then G4D1
    CBench bench(options);
    std::string error;
    ASSERT_TRUE(bench.Start(error)) << error;
    bench.ExportEnvironment();
    ASSERT_TRUE(thePort.Open(1, 230400, 8, COM_NOPARITY, COM_ONESTOPBIT));
    EXPECT_EQ(RunMapping('X', 0, 2, 1, false), MAP_COMMAND_FAILED);
    thePort.Close();
    BenchVerdict verdict = bench.Verdict();
    EXPECT_FALSE(verdict.agree);
    EXPECT_NE(verdict.reason.find("G4D1"), std::string::npos) << verdict.reason;
}

// The bench's QSB keeps its power-on zero at machine zero and never zeroes
// again. A run from 0 starts there, so nothing is wrong; a run from 2 reads
// about 2 units at its start and must stop before its first entry.
TEST(ClosedLoopFaults, QsbThatWillNotZeroStopsARunAwayFromItsOldZero) {
    BenchOptions options;
    options.speed = 50;
    options.qsbIgnoresZeroing = true;
    CBench bench(options);
    std::string error;
    ASSERT_TRUE(bench.Start(error)) << error;
    bench.ExportEnvironment();
    ASSERT_TRUE(thePort.Open(1, 230400, 8, COM_NOPARITY, COM_ONESTOPBIT));
    EXPECT_EQ(RunMapping('X', 0, 1, 1, false), MAP_DONE);
    EXPECT_EQ(RunMapping('X', 2, 3, 1, false), MAP_ZERO_FAILED);
    thePort.Close();

    ASSERT_TRUE(bench.WaitForRuns(1, std::chrono::seconds(60)));
    const std::vector<BenchRun> runs = bench.Runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_TRUE(runs[0].finished);
    EXPECT_EQ(runs[0].entries.size(), 2u);
    EXPECT_EQ(runs[1].lines, (std::vector<std::string>{"L602XX", "G0X2.0000", "G4D1"}));
    EXPECT_TRUE(runs[1].entries.empty());
    EXPECT_FALSE(runs[1].closed);
    EXPECT_FALSE(runs[1].finished);
    const std::vector<std::string> commands = bench.Qsb().Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "W092!\n"), 2);
}

TEST(ClosedLoopFaults, FailingInitAndAMissingBench) {
    BenchOptions options;
    options.behaviour.failInit = true;
    {
        CBench bench(options);
        std::string error;
        ASSERT_TRUE(bench.Start(error)) << error;
        bench.ExportEnvironment();
        EXPECT_EQ(RunMapping('X', 0, 2, 1, false), MAP_INIT_FAILED);
        EXPECT_FALSE(bench.Verdict().agree);
    }
    // The bench is gone: the library cannot reach it, so Tvx_Init fails.
    EXPECT_EQ(RunMapping('X', 0, 2, 1, false), MAP_INIT_FAILED);
}

}  // namespace

}  // namespace pitchwise
