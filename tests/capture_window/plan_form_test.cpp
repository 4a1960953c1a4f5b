// The window's plan step without the window: each refusal lands beside the
// field it concerns, and the export's arguments are the export's options.

#include "plan_form.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "result_model.h"

namespace pitchwise {

namespace {

PlanForm Form() {
    PlanForm f;
    f.from = "0";
    f.to = "40";
    f.targets = "5";
    f.runs = "2";
    f.dwell = "4";
    f.feed = "1200";
    return f;
}

struct FormRow {
    const char* name;
    std::function<void(PlanForm&)> change;
    PlanField field;
    bool refused;
};

const FormRow kRows[] = {
    {"Sound", [](PlanForm&) {}, PlanField::NONE, false},
    {"FromNotANumber", [](PlanForm& f) { f.from = "zero"; }, PlanField::FROM, true},
    {"ToEmpty", [](PlanForm& f) { f.to = " "; }, PlanField::TO, true},
    {"Backwards", [](PlanForm& f) { f.to = "-40"; }, PlanField::TO, true},
    {"BothTargetsAndSpacing", [](PlanForm& f) { f.spacing = "10"; }, PlanField::TARGETS, true},
    {"Neither", [](PlanForm& f) { f.targets = ""; }, PlanField::TARGETS, true},
    {"SpacingAlone", [](PlanForm& f) { f.targets = "", f.spacing = "10"; }, PlanField::NONE, false},
    {"SpacingNotWhole", [](PlanForm& f) { f.targets = "", f.spacing = "15"; }, PlanField::SPACING,
     true},
    {"HalfATarget", [](PlanForm& f) { f.targets = "4.5"; }, PlanField::TARGETS, true},
    {"TargetsWordBesideSpacing", [](PlanForm& f) { f.targets = "five", f.spacing = "10"; },
     PlanField::TARGETS, true},
    {"OneTarget", [](PlanForm& f) { f.targets = "1"; }, PlanField::TARGETS, true},
    {"NoRuns", [](PlanForm& f) { f.runs = "0"; }, PlanField::RUNS, true},
    {"RunsNotWhole", [](PlanForm& f) { f.runs = "1.5"; }, PlanField::RUNS, true},
    {"DwellTooShort", [](PlanForm& f) { f.dwell = "2.9"; }, PlanField::DWELL, true},
    {"FeedZero", [](PlanForm& f) { f.feed = "0"; }, PlanField::FEED, true},
    {"FeedDefault", [](PlanForm& f) { f.feed = ""; }, PlanField::NONE, false},
    {"FeedWord", [](PlanForm& f) { f.feed = "fast"; }, PlanField::FEED, true},
    {"TargetsTooClose", [](PlanForm& f) { f.to = "1"; }, PlanField::SPACING, true},
    {"AxisW", [](PlanForm& f) { f.axis = "W"; }, PlanField::AXIS, true},
    {"UnitUnknown", [](PlanForm& f) { f.unit = "furlong"; }, PlanField::NONE, true},
    {"DialectUnknown", [](PlanForm& f) { f.dialect = "haas"; }, PlanField::NONE, true},
};

class PlanFormRows : public ::testing::TestWithParam<FormRow> {};

TEST_P(PlanFormRows, RefusalBesideItsField) {
    PlanForm form = Form();
    GetParam().change(form);
    CapturePlan plan;
    const PlanFormCheck check = ReadPlanForm(form, plan);
    EXPECT_EQ(!check.words.empty(), GetParam().refused) << check.words;
    EXPECT_EQ(check.field, GetParam().field) << check.words;
}

INSTANTIATE_TEST_SUITE_P(Rows, PlanFormRows, ::testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.name); });

// Every refusal the plan's rules can give has the window's words.
TEST(PlanForm, EveryCodeHasWords) {
    for (int c = static_cast<int>(CaptureCode::OK) + 1;
         c <= static_cast<int>(CaptureCode::OVERRUN_TOO_SMALL); ++c) {
        const PlanFormCheck check =
            PlanRefusalForWindow(CaptureStatus(static_cast<CaptureCode>(c)));
        EXPECT_FALSE(check.words.empty()) << CaptureCodeName(static_cast<CaptureCode>(c));
    }
}

TEST(PlanForm, TheFormsPlanIsTheCommandLinesPlan) {
    CapturePlan plan;
    ASSERT_TRUE(ReadPlanForm(Form(), plan).words.empty());
    EXPECT_EQ(plan.targets, (std::vector<double>{0, 10, 20, 30, 40}));
    EXPECT_EQ(plan.runs, 2);
    EXPECT_EQ(plan.dwell, 4);
    EXPECT_EQ(plan.feed, 1200);
    EXPECT_EQ(plan.dialect, Dialect::LINUXCNC);
}

struct ExportRow {
    const char* name;
    ExportChoice choice;
    std::vector<std::string> args;
};

const ExportRow kExportRows[] = {
    {"FormatOnly", {"csv", "", "", "", ""}, {"log.csv", "--axis", "Y", "--to", "csv"}},
    {"EveryOption",
     {"siemens-lec", "mm", "12.5", "2", " --basic-system  metric "},
     {"log.csv", "--axis", "Y", "--to", "siemens-lec", "--unit", "mm", "--zero-at", "12.5",
      "--spacing", "2", "--basic-system", "metric"}},
};

class ExportArgumentRows : public ::testing::TestWithParam<ExportRow> {};

TEST_P(ExportArgumentRows, AsTheCommandLine) {
    EXPECT_EQ(ExportArguments("log.csv", 'Y', GetParam().choice), GetParam().args);
}

INSTANTIATE_TEST_SUITE_P(Rows, ExportArgumentRows, ::testing::ValuesIn(kExportRows),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace

}  // namespace pitchwise
