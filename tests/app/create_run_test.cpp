// Create through the recording dialog with a recording controller library:
// what the fields turn into on the controller's side, and the run's message.
#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "com_port.h"
#include "create_fields.h"
#include "fake_tarvex_events.h"
#include "pitchwise_dlg.h"
#include "qsb.h"
#include "qsb_simulator.h"
#include "recording_clock.h"
#include "recording_dialog.h"
#include "resource.h"

namespace pitchwise {

namespace {

std::vector<std::string> theLines;  // every line the controller was given
int theInits = 0;
const CDialogImpl* theDialog = nullptr;  // the dialog whose Create is running
std::vector<int> theCallWaitDepths;      // its busy-cursor depth at each call

}  // namespace

extern "C" void FakeTvxEvent(const FakeTvxCall* call) {
    const std::string entry = call->entry;
    if (entry == "Tvx_Init") ++theInits;
    if (entry == "Tvx_GCodeLine") theLines.push_back(call->line);
    if (theDialog) theCallWaitDepths.push_back(theDialog->waitDepth);
}

namespace {

const char READ_FAILED[] = "Error - QSB reading failed.";

class CreateRun : public ::testing::Test {
  protected:
    void SetUp() override {
        sim.ExportPortDir();
        clock.SetHook([this](unsigned) { sim.Pump(); });
        theLines.clear();
        theInits = 0;
        theDialog = &ui;
        theCallWaitDepths.clear();
        Field(IDC_AXIS).entries = {"X", "Y", "Z"};
        Field(IDC_AXIS).selection = 0;
        Field(IDC_START_POS).text = "0.000";
        Field(IDC_END_POS).text = "1.000";
        Field(IDC_MAP_INC).text = "1.000";
        Field(IDC_DISABLE_MAPPING).checked = true;
    }
    void TearDown() override {
        thePort.Close();
        theDialog = nullptr;
    }

    RecordedControl& Field(int id) { return ui.controls[id]; }

    std::string Create() {
        ui.messages.clear();
        ui.messageWaitDepths.clear();
        theCallWaitDepths.clear();
        dialog.OnCreate();
        EXPECT_EQ(ui.messages.size(), 1u) << "exactly one message";
        // Every call into the controller under the busy cursor; the cursor
        // back before the closing message, on every outcome.
        EXPECT_EQ(theCallWaitDepths, std::vector<int>(theCallWaitDepths.size(), 1));
        EXPECT_EQ(ui.waitDepth, 0);
        if (!ui.messageWaitDepths.empty()) {
            EXPECT_EQ(ui.messageWaitDepths.back(), 0);
        }
        return ui.messages.empty() ? std::string() : ui.messages.back();
    }

    CQsbSimulator sim;
    CRecordingClock clock;
    CPitchwiseDlg dialog;
    CDialogImpl& ui = Recorded(dialog);
};

TEST_F(CreateRun, FieldsReachTheControllerAsAtofReadsThem) {
    struct Row {
        int axis;
        const char* start;
        bool disableFirst;
        std::vector<std::string> lines;  // up to the first reading, which fails: no QSB
    };
    const Row rows[] = {
        {0, "1.2.3", true, {"L600", "L602XX", "G0X1.2000", "G4D1"}},
        {0, "", true, {"L600", "L602XX", "G0X0.0000", "G4D1"}},
        {1, "12.5", false, {"L602YY", "G0Y12.5000", "G4D1"}},
        {2, "0000000000000000002.5", true, {"L600", "L602ZZ", "G0Z2.0000", "G4D1"}},
        {0, ".75", false, {"L602XX", "G0X0.7500", "G4D1"}},
    };
    for (const Row& row : rows) {
        theLines.clear();
        Field(IDC_AXIS).selection = row.axis;
        Field(IDC_START_POS).text = row.start;
        Field(IDC_DISABLE_MAPPING).checked = row.disableFirst;
        EXPECT_EQ(Create(), READ_FAILED) << row.start;
        EXPECT_EQ(theLines, row.lines) << row.start;
    }
}

TEST_F(CreateRun, FailedCheckStartsNoRun) {
    Field(IDC_START_POS).text = "-5";
    EXPECT_EQ(Create(), "Error - Invalid start position.");
    Field(IDC_START_POS).text = "0";
    Field(IDC_MAP_INC).text = "0.000";
    EXPECT_EQ(Create(), "Error - Invalid mapping increment.");
    EXPECT_EQ(theInits, 0);
    EXPECT_TRUE(theLines.empty());
}

// Too many steps for a 32-bit count: refused before the controller or the QSB
// hears anything, so no empty table is opened and closed.
TEST_F(CreateRun, StepCountBeyondInt32StartsNoRunAndLeavesTheQsbAlone) {
    ASSERT_TRUE(sim.Plug(1));
    dialog.OnFindQsb();
    sim.ClearTraffic();
    Field(IDC_START_POS).text = "0";
    Field(IDC_END_POS).text = "1000000";
    Field(IDC_MAP_INC).text = "0.0001";
    EXPECT_EQ(Create(), "Error - Invalid mapping increment.");
    EXPECT_EQ(theInits, 0);
    EXPECT_TRUE(theLines.empty());
    sim.Pump();
    EXPECT_TRUE(sim.Traffic().empty());
}

TEST_F(CreateRun, RunWithTheQsbFoundEndsDone) {
    ASSERT_TRUE(sim.Plug(2));
    dialog.OnFindQsb();
    ASSERT_EQ(Field(IDC_QSB_INFO).text, "COM:2 SERNUM:10234 DEV:4 REV:12");
    Field(IDC_END_POS).text = "1.000";
    Field(IDC_MAP_INC).text = "0.25";
    EXPECT_EQ(Create(), "Done.");
    EXPECT_FALSE(theCallWaitDepths.empty());
    EXPECT_EQ(theInits, 1);
    int entries = 0;
    for (const std::string& line : theLines) entries += line.rfind("L606 ", 0) == 0;
    EXPECT_EQ(entries, 5);
    ASSERT_FALSE(theLines.empty());
    EXPECT_EQ(theLines.back(), "L601");
}

// A desktop toolkit switches the process to the user's locale, which may
// write "1,5"; the boxes and the fields always use a point.
TEST_F(CreateRun, PointsStayPointsUnderACommaLocale) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
        << "the de_DE.UTF-8 locale must be available (LOCPATH)";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    EXPECT_STREQ(probe, "1,5") << "the locale really writes commas";

    EXPECT_EQ(FieldValue("1.5"), 1.5f);
    EXPECT_EQ(FieldValue("1.2.3"), 1.2f);
    EXPECT_EQ(FieldValue("1,5"), 1.0f);  // as C atof reads it, whatever the locale

    sim.SetIdentity("1,234", "4", "12");
    ASSERT_TRUE(sim.Plug(1));
    dialog.OnFindQsb();
    EXPECT_EQ(Field(IDC_QSB_INFO).text, "COM:1 SERNUM:1,234 DEV:4 REV:12");
    sim.SetCounts(-10036);
    dialog.OnTestReading();
    EXPECT_EQ(Field(IDC_READING).text, "-1.000153");
    dialog.OnSetZero();
    EXPECT_EQ(Field(IDC_READING).text, "0.000000");

    thePort.Close();  // the run stops at its first reading
    Field(IDC_START_POS).text = "1.5";
    EXPECT_EQ(Create(), READ_FAILED);
    EXPECT_EQ(theLines, (std::vector<std::string>{"L600", "L602XX", "G0X1.5000", "G4D1"}));
    std::setlocale(LC_ALL, previous.c_str());
}

}  // namespace

}  // namespace pitchwise
