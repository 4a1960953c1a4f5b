// The QSB failing before, between and during the operator's commands: what
// the operator sees, exactly what the controller received, and that the next
// Find QSB and Create work normally once the device is back.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "fault_bench.h"
#include "resource.h"

namespace pitchwise {

namespace {

using Lines = std::vector<std::string>;

const char READ_FAILED[] = "Error - QSB reading failed.";

// The lines of a default run (X, 0 to 3) that stopped at the reading taken
// after the given "G4D1": no entry for that point, no L601.
Lines StoppedAtPoint(int point) {
    Lines lines = {"L600", "L602XX", "G0X0.0000"};
    for (int i = 0; i < point; ++i) {
        lines.push_back("G4D1");
        lines.push_back(EntryLine(i));
        lines.push_back("G1X" + std::to_string(i + 1) + ".0000");
    }
    lines.push_back("G4D1");
    return lines;
}

void ExpectNormalRun(CFaultBench& bench, const std::string& identityStart) {
    bench.FindQsb();
    EXPECT_EQ(bench.Text(IDC_QSB_INFO).rfind(identityStart, 0), 0u) << bench.Text(IDC_QSB_INFO);
    bench.SetField(IDC_END_POS, "3.000");
    bench.Create();
    EXPECT_EQ(bench.Messages().back(), "Done.");
    EXPECT_EQ(bench.Lines(), DefaultRunLines(3));
    EXPECT_EQ(bench.CallsOf("Tvx_Finish"), 1);
}

TEST(QsbFault, UnpluggedBeforeFindQsbLeavesTheControlsOffUntilItIsFound) {
    CFaultBench bench;
    bench.FindQsb();
    EXPECT_EQ(bench.Text(IDC_QSB_INFO), "No QSB Device Found!");
    EXPECT_FALSE(bench.Enabled(IDC_CREATE));
    EXPECT_FALSE(bench.Enabled(IDC_TEST_READING));
    EXPECT_TRUE(bench.Messages().empty());
    EXPECT_TRUE(bench.Calls().empty());

    ASSERT_TRUE(bench.Qsb().Plug(6));
    ExpectNormalRun(bench, "COM:6 ");
}

TEST(QsbFault, UnpluggedBetweenFindQsbAndCreateWritesNoEntry) {
    CFaultBench bench;
    ASSERT_TRUE(bench.Qsb().Plug(2));
    bench.FindQsb();
    ASSERT_EQ(bench.Text(IDC_QSB_INFO).rfind("COM:2 ", 0), 0u);
    bench.Qsb().Unplug();

    bench.Create();
    EXPECT_EQ(bench.Messages(), std::vector<std::string>{READ_FAILED});
    EXPECT_EQ(bench.Lines(), (Lines{"L600", "L602XX", "G0X0.0000", "G4D1"}));
    EXPECT_EQ(bench.CallsOf("Tvx_Finish"), 0);

    // Plugged back in on another port: the next Find QSB reports where it
    // really is, and the run after it is complete.
    ASSERT_TRUE(bench.Qsb().Plug(5));
    ExpectNormalRun(bench, "COM:5 ");
}

TEST(QsbFault, FailedFindQsbAfterAnUnplugKeepsCreateFromWritingZeros) {
    CFaultBench bench;
    ASSERT_TRUE(bench.Qsb().Plug(1));
    bench.FindQsb();
    bench.Qsb().Unplug();
    bench.FindQsb();
    EXPECT_EQ(bench.Text(IDC_QSB_INFO), "No QSB Device Found!");
    EXPECT_TRUE(bench.Enabled(IDC_CREATE));  // stays enabled, as before

    bench.Create();
    EXPECT_EQ(bench.Messages(), std::vector<std::string>{READ_FAILED});
    EXPECT_EQ(bench.Lines(), (Lines{"L600", "L602XX", "G0X0.0000", "G4D1"}));

    ASSERT_TRUE(bench.Qsb().Plug(7));
    ExpectNormalRun(bench, "COM:7 ");
}

TEST(QsbFault, UnpluggedInTheMiddleOfARunStopsAfterTheLastGoodEntry) {
    CFaultBench bench;
    ASSERT_TRUE(bench.Qsb().Plug(3));
    bench.FindQsb();
    bench.SetField(IDC_END_POS, "3.000");
    bench.AtLine("G4D1", 3, [&] { bench.Qsb().Unplug(); });  // before point 2 is read

    bench.Create();
    EXPECT_EQ(bench.Messages(), std::vector<std::string>{READ_FAILED});
    EXPECT_EQ(bench.Lines(), StoppedAtPoint(2));
    EXPECT_EQ(bench.CallsOf("Tvx_Finish"), 0);

    ASSERT_TRUE(bench.Qsb().Plug(4));
    ExpectNormalRun(bench, "COM:4 ");
}

// The operator zeroed the QSB 5000 counts below the start; then the device
// stopped taking the zeroing command. The run would measure every point from
// the old zero, so it ends before the first entry; once zeroing works again
// the next Create is complete.
TEST(QsbFault, ZeroingThatDoesNotTakeEndsTheRunBeforeTheFirstEntry) {
    CFaultBench bench;
    ASSERT_TRUE(bench.Qsb().Plug(1));
    bench.FindQsb();
    bench.Qsb().SetCounts(-5000);
    bench.SetZero();
    ASSERT_EQ(bench.Qsb().ZeroOffset(), -5000);
    bench.Qsb().IgnoreZeroing(true);

    bench.Create();
    EXPECT_EQ(bench.Messages(), std::vector<std::string>{"Error - QSB zeroing failed."});
    EXPECT_EQ(bench.Lines(), (Lines{"L600", "L602XX", "G0X0.0000", "G4D1"}));
    EXPECT_EQ(bench.CallsOf("Tvx_Finish"), 0);

    bench.Qsb().IgnoreZeroing(false);
    ExpectNormalRun(bench, "COM:1 ");
}

// Replies that are no reading, arriving at point 2 of a run from 0 to 3.
struct BadReply {
    const char* name;
    std::string reply;
};

class QsbFaultBadReply : public ::testing::TestWithParam<BadReply> {};

TEST_P(QsbFaultBadReply, EndsTheRunWithoutAnEntryForThatPoint) {
    CFaultBench bench;
    ASSERT_TRUE(bench.Qsb().Plug(1));
    bench.FindQsb();
    bench.SetField(IDC_END_POS, "3.000");
    bench.AtLine("G4D1", 3, [&] { bench.Qsb().QueueCounterReply(GetParam().reply); });

    bench.Create();
    EXPECT_EQ(bench.Messages(), std::vector<std::string>{READ_FAILED});
    EXPECT_EQ(bench.Lines(), StoppedAtPoint(2));
    EXPECT_EQ(bench.CallsOf("Tvx_Finish"), 0);

    // The next Create, with the device answering properly again, is whole.
    bench.Create();
    EXPECT_EQ(bench.Messages().back(), "Done.");
    EXPECT_EQ(bench.Lines(), DefaultRunLines(3));
}

const BadReply BAD_REPLIES[] = {
    {"garbled_digit", "R0E0 0000Z734\r\n"},
    {"sign_in_digits", "R0E0 -0002734\r\n"},
    {"space_in_digits", "R0E0 0000 734\r\n"},
    {"zero_byte_in_digits", std::string("R0E0 0000\0"
                                        "734\r\n",
                                        15)},
    {"twelve_bytes", "R0E0 0000273"},
    {"short", "R0E0 27\r\n"},
    {"high_bit_digit", "R0E0 0000273\xb4\r\n"},
    {"line_noise", "\xff\xfe\x80\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b"},
    {"empty", ""},
};

INSTANTIATE_TEST_SUITE_P(Replies, QsbFaultBadReply, ::testing::ValuesIn(BAD_REPLIES),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(QsbFault, DeviceThatStopsReadingCostsOneWriteTimeOutAndAClearMessage) {
    CFaultBench bench;
    ASSERT_TRUE(bench.Qsb().Plug(1));
    bench.FindQsb();
    bench.AtLine("G4D1", 2, [&] { bench.Qsb().StopReading(true); });

    const auto began = std::chrono::steady_clock::now();
    bench.Create();
    const auto took = std::chrono::steady_clock::now() - began;
    EXPECT_EQ(bench.Messages(), std::vector<std::string>{READ_FAILED});
    EXPECT_EQ(bench.Lines(), StoppedAtPoint(1));
    // Pauses are recorded, not slept: what time passed is the stalled
    // write alone, bounded by its 5-second time-out (with room for a slow
    // machine, but far from a hang).
    EXPECT_LT(took, std::chrono::seconds(15));

    bench.Qsb().ResumeReading();
    // The device now answers the query it took during the stall: that late
    // reply must not become the next run's first reading.
    bench.Create();
    EXPECT_EQ(bench.Messages().back(), "Done.");
    EXPECT_EQ(bench.Lines(), DefaultRunLines(1));
}

}  // namespace

}  // namespace pitchwise
