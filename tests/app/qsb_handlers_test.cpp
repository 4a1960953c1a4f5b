// Find QSB, Test Reading and Set Zero through the recording dialog, against
// the simulated QSB on a real pty, with the pauses recorded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com_port.h"
#include "pitchwise_dlg.h"
#include "qsb.h"
#include "qsb_simulator.h"
#include "recording_clock.h"
#include "recording_dialog.h"
#include "resource.h"

namespace pitchwise {

namespace {

const int MAPPING_CONTROLS[] = {IDC_SET_ZERO,        IDC_TEST_READING, IDC_AXIS,
                                IDC_START_POS,       IDC_END_POS,      IDC_MAP_INC,
                                IDC_DISABLE_MAPPING, IDC_CREATE};

class QsbHandlers : public ::testing::Test {
  protected:
    void SetUp() override {
        sim.ExportPortDir();
        clock.SetHook([this](unsigned) { sim.Pump(); });
    }
    void TearDown() override { thePort.Close(); }

    RecordedControl& Control(int id) { return ui.controls[id]; }

    // The state EnableMappingControls leaves, whatever came before.
    void ExpectDefaults() {
        EXPECT_EQ(Control(IDC_AXIS).entries, (std::vector<std::string>{"X", "Y", "Z"}));
        EXPECT_EQ(Control(IDC_AXIS).selection, 0);
        EXPECT_EQ(Control(IDC_START_POS).text, "0.000");
        EXPECT_EQ(Control(IDC_END_POS).text, "1.000");
        EXPECT_EQ(Control(IDC_MAP_INC).text, "1.000");
        EXPECT_TRUE(Control(IDC_DISABLE_MAPPING).checked);
        for (int id : MAPPING_CONTROLS) EXPECT_TRUE(Control(id).enabled) << id;
        // The read-only boxes only ever change their text.
        EXPECT_FALSE(Control(IDC_READING).enabled);
        EXPECT_FALSE(Control(IDC_QSB_INFO).enabled);
    }

    // The operator's own changes to the fields, to see what a Find resets.
    void EditFields() {
        Control(IDC_AXIS).selection = 2;
        Control(IDC_START_POS).text = "5";
        Control(IDC_END_POS).text = "7";
        Control(IDC_MAP_INC).text = "0.5";
        Control(IDC_DISABLE_MAPPING).checked = false;
    }

    CQsbSimulator sim;
    CRecordingClock clock;
    CPitchwiseDlg dialog;
    CDialogImpl& ui = Recorded(dialog);
};

TEST_F(QsbHandlers, FindQsbShowsTheIdentityAndEnablesTheControlsInOrder) {
    ASSERT_TRUE(sim.AddSilentPort(1));
    ASSERT_TRUE(sim.Plug(4));
    for (int id : MAPPING_CONTROLS) ASSERT_FALSE(Control(id).enabled) << "starts disabled: " << id;

    dialog.OnFindQsb();
    EXPECT_EQ(Control(IDC_QSB_INFO).text, "COM:4 SERNUM:10234 DEV:4 REV:12");
    EXPECT_EQ(ui.enableOrder,
              std::vector<int>(std::begin(MAPPING_CONTROLS), std::end(MAPPING_CONTROLS)));
    ExpectDefaults();
    EXPECT_TRUE(ui.messages.empty());
}

// Every pause of the search falls inside the busy cursor, and the cursor is
// back once the handler returns, whether it found the device or not.
TEST_F(QsbHandlers, FindQsbShowsTheBusyCursorWhileItSearches) {
    ASSERT_TRUE(sim.AddSilentPort(1));
    std::vector<int> depths;
    clock.SetHook([&](unsigned) {
        depths.push_back(ui.waitDepth);
        sim.Pump();
    });
    for (bool plugged : {true, false}) {
        SCOPED_TRACE(plugged ? "found" : "not found");
        if (plugged) {
            ASSERT_TRUE(sim.Plug(2));
        } else {
            sim.Unplug();
        }
        depths.clear();
        const int beginsBefore = ui.waitBegins;
        dialog.OnFindQsb();
        EXPECT_EQ(Control(IDC_QSB_INFO).text == "No QSB Device Found!", !plugged);
        ASSERT_FALSE(depths.empty()) << "the silent port makes the search pause";
        EXPECT_EQ(depths, std::vector<int>(depths.size(), 1));
        EXPECT_EQ(ui.waitBegins, beginsBefore + 1);
        EXPECT_EQ(ui.waitDepth, 0);
    }
}

TEST_F(QsbHandlers, IdentityLineShowsTheDevicesFieldsAsTheyCame) {
    struct Row {
        std::string reply;
        const char* line;
    };
    const Row rows[] = {
        {CQsbSimulator::IdentityReply("A1,2b", "%", "7s"), "COM:2 SERNUM:A1,2b DEV:% REV:7s"},
        {"R140 1023441", "COM:2 SERNUM:10234 DEV:4 REV:1"},  // 12 bytes
    };
    ASSERT_TRUE(sim.Plug(2));
    for (const Row& row : rows) {
        sim.SetIdentityReply(row.reply);
        dialog.OnFindQsb();
        EXPECT_EQ(Control(IDC_QSB_INFO).text, row.line);
    }
}

TEST_F(QsbHandlers, NoQsbLeavesTheControlsAlone) {
    ASSERT_TRUE(sim.AddSilentPort(3));
    dialog.OnFindQsb();
    EXPECT_EQ(Control(IDC_QSB_INFO).text, "No QSB Device Found!");
    EXPECT_TRUE(ui.enableOrder.empty());
    for (int id : MAPPING_CONTROLS) EXPECT_FALSE(Control(id).enabled) << id;
    EXPECT_TRUE(Control(IDC_AXIS).entries.empty());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(QsbHandlers, RepeatedFindResetsTheFieldsAndKeepsThreeAxes) {
    ASSERT_TRUE(sim.Plug(1));
    dialog.OnFindQsb();
    EditFields();
    dialog.OnFindQsb();
    // The list is emptied before X, Y and Z go in again, so it never grows.
    ExpectDefaults();
    EXPECT_EQ(Control(IDC_QSB_INFO).text, "COM:1 SERNUM:10234 DEV:4 REV:12");
}

TEST_F(QsbHandlers, FailedFindAfterASuccessKeepsTheControlsAndClosesThePort) {
    ASSERT_TRUE(sim.Plug(1));
    dialog.OnFindQsb();
    EditFields();
    sim.Unplug();
    ui.enableOrder.clear();

    dialog.OnFindQsb();
    EXPECT_EQ(Control(IDC_QSB_INFO).text, "No QSB Device Found!");
    EXPECT_TRUE(ui.enableOrder.empty());
    for (int id : MAPPING_CONTROLS) EXPECT_TRUE(Control(id).enabled) << id;
    EXPECT_EQ(Control(IDC_START_POS).text, "5");  // nothing reset
    EXPECT_FALSE(Control(IDC_DISABLE_MAPPING).checked);
    EXPECT_FALSE(thePort.IsOpen());

    clock.Clear();
    dialog.OnTestReading();
    EXPECT_EQ(Control(IDC_READING).text, "0.000000");
    Control(IDC_READING).text = "x";
    dialog.OnSetZero();
    EXPECT_EQ(Control(IDC_READING).text, "0.000000");
    EXPECT_EQ(clock.Pauses(), std::vector<unsigned>(4, QSB_SETTLE_MS));
}

TEST_F(QsbHandlers, TestReadingShowsTheReadingWithSixDecimals) {
    ASSERT_TRUE(sim.Plug(1));
    dialog.OnFindQsb();
    struct Row {
        std::int64_t counts;
        const char* reply;  // nullptr: the device's own
        const char* shown;
    };
    const Row rows[] = {
        {10036, nullptr, "1.000153"},
        {-10036, nullptr, "-1.000153"},
        {2509, nullptr, "0.250038"},
        {0, nullptr, "0.000000"},
        {10036, "R0E0 00G02734\r\n", "0.000000"},  // a failed read shows as zero
        {10036, "R0E0 0000273", "0.000000"},
    };
    for (const Row& row : rows) {
        sim.SetCounts(row.counts);
        if (row.reply) sim.QueueCounterReply(row.reply);
        clock.Clear();
        dialog.OnTestReading();
        EXPECT_EQ(Control(IDC_READING).text, row.shown) << row.counts;
        EXPECT_EQ(clock.Pauses(), std::vector<unsigned>(2, QSB_SETTLE_MS));
    }
}

TEST_F(QsbHandlers, SetZeroZeroesTheDeviceAndShowsZero) {
    ASSERT_TRUE(sim.Plug(1));
    dialog.OnFindQsb();
    sim.SetCounts(777777);
    sim.ClearTraffic();
    clock.Clear();
    dialog.OnSetZero();
    EXPECT_EQ(Control(IDC_READING).text, "0.000000");
    EXPECT_EQ(sim.Commands(), std::vector<std::string>{"W092!\n"});
    EXPECT_EQ(clock.Pauses(), std::vector<unsigned>(2, QSB_SETTLE_MS));
    sim.SetCounts(777777 + 10036);
    dialog.OnTestReading();
    EXPECT_EQ(Control(IDC_READING).text, "1.000153");
}

TEST_F(QsbHandlers, SetZeroShowsZeroWithNoPortOpen) {
    ASSERT_FALSE(thePort.IsOpen());
    Control(IDC_READING).text = "3.000000";
    dialog.OnSetZero();
    EXPECT_EQ(Control(IDC_READING).text, "0.000000");
    EXPECT_EQ(clock.Pauses(), std::vector<unsigned>(2, QSB_SETTLE_MS));
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace

}  // namespace pitchwise
