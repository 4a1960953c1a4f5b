// The controller failing: a refused line of each kind in turn and a failing
// Tvx_Init. Each ends with its one message, nothing after the refusal, and
// the next Create, against the same never-released library, is whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fault_bench.h"
#include "resource.h"

namespace pitchwise {

namespace {

using Lines = std::vector<std::string>;

const char COMMAND_FAILED[] = "Error - Sending command to Tarvex failed.";

// Each kind of line a run of X from 0 to 2 sends, refused where it first
// appears (or, for the later entries and moves, where a run is well under
// way).
struct RefusedLine {
    const char* name;
    std::string line;
};

class ControllerFaultRefusal : public ::testing::TestWithParam<RefusedLine> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(bench.Qsb().Plug(1));
        bench.FindQsb();
        bench.SetField(IDC_END_POS, "2.000");
    }
    CFaultBench bench;
};

TEST_P(ControllerFaultRefusal, EndsTheRunAtTheRefusedLineAndTheNextCreateIsWhole) {
    const std::string refused = GetParam().line;
    bench.RefuseLines([&](const std::string& line) { return line == refused; });
    bench.Create();
    EXPECT_EQ(bench.Messages(), std::vector<std::string>{COMMAND_FAILED});
    EXPECT_EQ(bench.Lines(), LinesUpTo(DefaultRunLines(2), refused));
    EXPECT_EQ(bench.CallsOf("Tvx_Finish"), 0);
    EXPECT_EQ(bench.CallsOf("Tvx_GetMachinePositionEx"), 0);
    // The QSB is zeroed only once the start move was accepted.
    const bool zeroed = bench.Lines().size() > 3;
    const Lines commands = bench.Qsb().Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "W092!\n"), zeroed ? 1 : 0);

    bench.RefuseLines(nullptr);
    bench.Create();
    EXPECT_EQ(bench.Messages().back(), "Done.");
    EXPECT_EQ(bench.Lines(), DefaultRunLines(2));
    EXPECT_EQ(bench.CallsOf("Tvx_Init"), 1);
    EXPECT_EQ(bench.CallsOf("Tvx_Finish"), 1);
}

const RefusedLine REFUSED_LINES[] = {
    {"disable_mapping", "L600"},   {"axis", "L602XX"},
    {"start_move", "G0X0.0000"},   {"dwell", "G4D1"},
    {"first_entry", "L606 N0 V0"}, {"first_step", "G1X1.0000"},
    {"later_entry", EntryLine(1)}, {"last_step", "G1X2.0000"},
    {"last_entry", EntryLine(2)},  {"closing", "L601"},
};

INSTANTIATE_TEST_SUITE_P(Lines, ControllerFaultRefusal, ::testing::ValuesIn(REFUSED_LINES),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(ControllerFault, FailingInitSendsNoLineAndTheNextCreateIsWhole) {
    CFaultBench bench;
    ASSERT_TRUE(bench.Qsb().Plug(1));
    bench.FindQsb();
    bench.SetInitResult(0);
    bench.Create();
    EXPECT_EQ(bench.Messages(), std::vector<std::string>{"Error - Tarvex initialization failed."});
    EXPECT_EQ(bench.Calls(), std::vector<std::string>{"Tvx_Init"});

    bench.SetInitResult(1);
    bench.Create();
    EXPECT_EQ(bench.Messages().back(), "Done.");
    EXPECT_EQ(bench.Lines(), DefaultRunLines(1));
}

TEST(ControllerFault, RefusalThenUnplugThenRefusalKeepsOneMessageEach) {
    CFaultBench bench;
    ASSERT_TRUE(bench.Qsb().Plug(1));
    bench.FindQsb();
    bench.RefuseLines([](const std::string& line) { return line == "G1X1.0000"; });
    bench.Create();
    bench.RefuseLines(nullptr);
    bench.Qsb().Unplug();
    bench.Create();
    bench.RefuseLines([](const std::string& line) { return line == "L602XX"; });
    bench.Create();
    EXPECT_EQ(
        bench.Messages(),
        (std::vector<std::string>{COMMAND_FAILED, "Error - QSB reading failed.", COMMAND_FAILED}));
}

}  // namespace

}  // namespace pitchwise
