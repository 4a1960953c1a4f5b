// The Create command's field checks and messages, with no controller
// library on the library path: a run that starts ends at once with the
// missing-library message, so the message tells whether one started.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "create_fields.h"
#include "mapping_run.h"
#include "pitchwise_dlg.h"
#include "recording_dialog.h"
#include "resource.h"

namespace pitchwise {

namespace {

const char NO_LIBRARY[] = "Error - Can't load TARVEX.DLL.";
const char BAD_AXIS[] = "Error - Invalid axis selection.";
const char BAD_START[] = "Error - Invalid start position.";
const char BAD_END[] = "Error - Invalid end position.";
const char BAD_INCREMENT[] = "Error - Invalid mapping increment.";

struct Fields {
    std::vector<std::string> axes = {"X", "Y", "Z"};
    int selection = 0;
    std::string start = "0.000";
    std::string end = "1.000";
    std::string increment = "1.000";
    bool disableFirst = true;
};

struct Row {
    const char* what;
    Fields fields;
    const char* message;
};

Fields With(void (*change)(Fields&)) {
    Fields fields;
    change(fields);
    return fields;
}

class CreateChecks : public ::testing::Test {
  protected:
    void SetUp() override {
        void* library = dlopen("libTarvex.so", RTLD_NOW);
        ASSERT_EQ(library, nullptr) << "a libTarvex.so is on the library path";
    }

    // Runs Create on the given fields; returns the one message it showed.
    std::string Create(const Fields& fields, std::vector<int>* reads = nullptr) {
        CPitchwiseDlg dialog;
        CDialogImpl& ui = Recorded(dialog);
        ui.controls[IDC_AXIS].entries = fields.axes;
        ui.controls[IDC_AXIS].selection = fields.selection;
        ui.controls[IDC_START_POS].text = fields.start;
        ui.controls[IDC_END_POS].text = fields.end;
        ui.controls[IDC_MAP_INC].text = fields.increment;
        ui.controls[IDC_DISABLE_MAPPING].checked = fields.disableFirst;
        dialog.OnCreate();
        if (reads) *reads = ui.textReads;
        EXPECT_EQ(ui.messages.size(), 1u) << "exactly one message";
        if (ui.messages.empty()) return std::string();
        // The busy cursor is up only while a run is tried, and is down
        // again before the message comes.
        EXPECT_EQ(ui.waitBegins, ui.messages.back() == NO_LIBRARY ? 1 : 0) << ui.messages.back();
        EXPECT_EQ(ui.waitDepth, 0) << ui.messages.back();
        EXPECT_EQ(ui.messageWaitDepths.back(), 0) << ui.messages.back();
        return ui.messages.back();
    }
};

TEST_F(CreateChecks, EachFieldGetsItsOwnMessage) {
    const Row rows[] = {
        {"defaults", Fields(), NO_LIBRARY},
        {"box unchecked", With([](Fields& f) { f.disableFirst = false; }), NO_LIBRARY},
        {"axis Z", With([](Fields& f) { f.selection = 2; }), NO_LIBRARY},
        {"axis by first character", With([](Fields& f) { f.axes = {"Xenon"}; }), NO_LIBRARY},
        {"no axis selected", With([](Fields& f) { f.selection = -1; }), BAD_AXIS},
        {"empty axis list", With([](Fields& f) { f.axes.clear(); }), BAD_AXIS},
        {"lower-case axis", With([](Fields& f) { f.axes = {"x"}; }), BAD_AXIS},
        {"axis A", With([](Fields& f) { f.axes = {"A"}; }), BAD_AXIS},
        {"axis after a space", With([](Fields& f) { f.axes = {" X"}; }), BAD_AXIS},

        {"start -5", With([](Fields& f) { f.start = "-5"; }), BAD_START},
        {"start +5", With([](Fields& f) { f.start = "+5"; }), BAD_START},
        {"start leading space", With([](Fields& f) { f.start = " 5"; }), BAD_START},
        {"start trailing space", With([](Fields& f) { f.start = "5 "; }), BAD_START},
        {"start comma", With([](Fields& f) { f.start = "1,5"; }), BAD_START},
        {"start exponent", With([](Fields& f) { f.start = "1e3"; }), BAD_START},
        {"start exponent upper", With([](Fields& f) { f.start = "1E3"; }), BAD_START},
        {"start letters", With([](Fields& f) { f.start = "abc"; }), BAD_START},
        {"start byte above 0x7F", With([](Fields& f) {
             f.start =
                 "1\xC2\xB7"
                 "5";
         }),
         BAD_START},
        {"start empty", With([](Fields& f) { f.start = ""; }), NO_LIBRARY},
        {"start 1.2.3", With([](Fields& f) { f.start = "1.2.3"; }), NO_LIBRARY},
        {"start a point", With([](Fields& f) { f.start = "."; }), NO_LIBRARY},
        // 19 characters are judged; what follows is never seen.
        {"start bad after 19", With([](Fields& f) { f.start = "0000000000000000001-x"; }),
         NO_LIBRARY},
        {"start bad at 19", With([](Fields& f) { f.start = "000000000000000000-1"; }), BAD_START},

        {"end -1", With([](Fields& f) { f.end = "-1"; }), BAD_END},
        {"end comma", With([](Fields& f) { f.end = "0,5"; }), BAD_END},
        {"end exponent", With([](Fields& f) { f.end = "2e1"; }), BAD_END},
        {"end empty", With([](Fields& f) { f.end = ""; }), NO_LIBRARY},
        {"end below start", With([](Fields& f) { f.start = "3"; }), NO_LIBRARY},
        {"end bad after 19", With([](Fields& f) { f.end = "0000000000000000001 "; }), NO_LIBRARY},

        {"increment 0", With([](Fields& f) { f.increment = "0"; }), BAD_INCREMENT},
        {"increment 0.000", With([](Fields& f) { f.increment = "0.000"; }), BAD_INCREMENT},
        {"increment empty", With([](Fields& f) { f.increment = ""; }), BAD_INCREMENT},
        {"increment a point", With([](Fields& f) { f.increment = "."; }), BAD_INCREMENT},
        {"increment -1", With([](Fields& f) { f.increment = "-1"; }), BAD_INCREMENT},
        {"increment space", With([](Fields& f) { f.increment = "1 "; }), BAD_INCREMENT},
        {"increment tiny", With([](Fields& f) { f.increment = "0.0001"; }), NO_LIBRARY},
        {"increment 0.0.1", With([](Fields& f) { f.increment = "0.0.1"; }), BAD_INCREMENT},
        {"increment zeros past 19", With([](Fields& f) { f.increment = "0.00000000000000000001"; }),
         BAD_INCREMENT},

        // The step count must fit a 32-bit integer, or the run would close a
        // table with no entries and report success.
        {"steps beyond int32", With([](Fields& f) {
             f.end = "1000000";
             f.increment = "0.0001";
         }),
         BAD_INCREMENT},
        {"steps beyond int32 downwards", With([](Fields& f) {
             f.start = "1000000";
             f.end = "0";
             f.increment = "0.0001";
         }),
         BAD_INCREMENT},
        {"steps 2^31 exactly", With([](Fields& f) {
             f.end = "2147483648";
             f.increment = "1";
         }),
         BAD_INCREMENT},
        {"steps far beyond", With([](Fields& f) {
             f.end = "9999999999999999999";
             f.increment = "0.000000000000001";
         }),
         BAD_INCREMENT},
        {"steps just below 2^31", With([](Fields& f) {
             f.end = "2147483520";  // the largest float below 2^31
             f.increment = "1";
         }),
         NO_LIBRARY},
        {"steps 10^9", With([](Fields& f) {
             f.end = "1000000";
             f.increment = "0.001";
         }),
         NO_LIBRARY},
        {"start equals end", With([](Fields& f) { f.end = "0"; }), NO_LIBRARY},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Create(row.fields), row.message) << row.what;
    }
}

TEST_F(CreateChecks, AFailedCheckStopsBeforeTheNextFieldIsRead) {
    struct ReadRow {
        const char* what;
        Fields fields;
        const char* message;
        std::vector<int> reads;
    };
    const ReadRow rows[] = {
        {"axis",
         With([](Fields& f) {
             f.axes = {"Q"};
             f.start = f.end = f.increment = "-1";
         }),
         BAD_AXIS,
         {IDC_AXIS}},
        {"start",
         With([](Fields& f) { f.start = f.end = f.increment = "-1"; }),
         BAD_START,
         {IDC_AXIS, IDC_START_POS}},
        {"end",
         With([](Fields& f) { f.end = f.increment = "-1"; }),
         BAD_END,
         {IDC_AXIS, IDC_START_POS, IDC_END_POS}},
        {"increment",
         With([](Fields& f) { f.increment = "0"; }),
         BAD_INCREMENT,
         {IDC_AXIS, IDC_START_POS, IDC_END_POS, IDC_MAP_INC}},
        {"none", Fields(), NO_LIBRARY, {IDC_AXIS, IDC_START_POS, IDC_END_POS, IDC_MAP_INC}},
    };
    for (const ReadRow& row : rows) {
        std::vector<int> reads;
        EXPECT_EQ(Create(row.fields, &reads), row.message) << row.what;
        EXPECT_EQ(reads, row.reads) << row.what;
    }
}

TEST(CreateFields, NumericTextIsDigitsAndPointsOnly) {
    struct NumericRow {
        const char* text;
        bool numeric;
    };
    const NumericRow rows[] = {
        {"", true},     {"0", true},     {"0123456789", true}, {".", true},    {"1.2.3", true},
        {"..", true},   {"-1", false},   {"+1", false},        {" 1", false},  {"1 ", false},
        {"1,5", false}, {"1e3", false},  {"1E3", false},       {"0x1", false}, {"inf", false},
        {"1\t", false}, {"\xB9", false},  // a superscript one in Latin-1
    };
    for (const NumericRow& row : rows) {
        EXPECT_EQ(IsNumericText(row.text), row.numeric) << row.text;
    }
}

TEST(CreateFields, ValuesAreReadAsAtofWouldInSinglePrecision) {
    struct ValueRow {
        const char* text;
        float value;
    };
    const ValueRow rows[] = {
        {"", 0.0f},
        {".", 0.0f},
        {"1.2.3", 1.2f},
        {"0.000", 0.0f},
        {"1.000", 1.0f},
        {"0.1", 0.1f},
        {"12345.6789", 12345.6789f},
        {"00000000000000000002", 2.0f},
        {"3.", 3.0f},
        {".25", 0.25f},
        {"99999999999999999999", 1e20f},
    };
    for (const ValueRow& row : rows) {
        EXPECT_EQ(FieldValue(row.text), row.value) << row.text;
    }
}

TEST(CreateMessages, EveryResultHasItsMessage) {
    struct MessageRow {
        int result;
        const char* message;
    };
    const MessageRow rows[] = {
        {MAP_DONE, "Done."},
        {MAP_NO_LIBRARY, "Error - Can't load TARVEX.DLL."},
        {MAP_NO_ENTRY, "Error - TARVEX.DLL function loading failed."},
        {MAP_INIT_FAILED, "Error - Tarvex initialization failed."},
        {MAP_COMMAND_FAILED, "Error - Sending command to Tarvex failed."},
        {MAP_READ_FAILED, "Error - QSB reading failed."},
        {MAP_ZERO_FAILED, "Error - QSB zeroing failed."},
        {6, "Error - QSB zeroing failed."},
        {7, "Error - Unknown."},
        {-1, "Error - Unknown."},
        {1000, "Error - Unknown."},
    };
    for (const MessageRow& row : rows) {
        EXPECT_STREQ(MapResultMessage(row.result), row.message) << row.result;
    }
}

}  // namespace

}  // namespace pitchwise
