// The command line: each usage error with its reason, and where the plan
// and the run log go by default.

#include "capture_options.h"

#include <gtest/gtest.h>

namespace pitchwise {

namespace {

struct UsageRow {
    const char* name;
    std::vector<std::string> arguments;
    CaptureCode code;
    const char* subject;  // the option or argument named
    double valueAt;       // USAGE_BAD_VALUE: the value's index in the arguments
};

const std::vector<std::string> kPlan = {"plan",  "--axis", "X",         "--from", "0",
                                        "--to",  "40",     "--spacing", "10",     "--dialect",
                                        "fanuc", "-o",     "x.nc"};

std::vector<std::string> PlanWith(std::vector<std::string> extra) {
    std::vector<std::string> a = kPlan;
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
}

const UsageRow kUsage[] = {
    {"NoCommand", {}, CaptureCode::USAGE_NO_COMMAND, "", 0},
    {"UnknownCommand", {"measure"}, CaptureCode::USAGE_UNKNOWN_COMMAND, "measure", 0},
    {"Plan", kPlan, CaptureCode::OK, "", 0},
    {"PlanWithoutProgram",
     {"plan", "--axis", "X", "--from", "0", "--to", "4", "--dialect", "grbl"},
     CaptureCode::USAGE_PLAN_INCOMPLETE,
     "",
     0},
    {"AxisA", PlanWith({"--axis", "A"}), CaptureCode::USAGE_BAD_VALUE, "--axis", 14},
    {"CommaDecimal", PlanWith({"--to", "40,5"}), CaptureCode::USAGE_BAD_VALUE, "--to", 14},
    {"Exponent", PlanWith({"--to", "4e1"}), CaptureCode::USAGE_BAD_VALUE, "--to", 14},
    {"DialectUnknown", PlanWith({"--dialect", "heidenhain"}), CaptureCode::USAGE_BAD_VALUE,
     "--dialect", 14},
    {"FeedZero", PlanWith({"--feed", "0"}), CaptureCode::USAGE_BAD_VALUE, "--feed", 14},
    {"FeedSome", PlanWith({"--feed", "0.5"}), CaptureCode::OK, "", 0},
    {"ScaleGiven", PlanWith({"--counts-per-unit", "254883.36"}), CaptureCode::OK, "", 0},
    {"ScaleZero", PlanWith({"--counts-per-unit", "0"}), CaptureCode::USAGE_BAD_VALUE,
     "--counts-per-unit", 14},
    {"SeedWithOffsets", PlanWith({"--random-offsets", "--seed", "7"}), CaptureCode::OK, "", 0},
    {"SeedAlone", PlanWith({"--seed", "7"}), CaptureCode::USAGE_SEED_WITHOUT_OFFSETS, "--seed", 0},
    {"ValueMissing", PlanWith({"--dwell"}), CaptureCode::USAGE_NEEDS_VALUE, "--dwell", 0},
    {"UnknownPlanOption", PlanWith({"--speed", "3"}), CaptureCode::USAGE_UNKNOWN_OPTION, "--speed",
     0},
    {"UnknownPlanOptionLast", PlanWith({"--speed"}), CaptureCode::USAGE_UNKNOWN_OPTION, "--speed",
     0},
    {"UnknownRunOptionLast",
     {"run", "x.plan", "--bogus"},
     CaptureCode::USAGE_UNKNOWN_OPTION,
     "--bogus",
     0},
    {"RunValueMissing", {"run", "x.plan", "--log"}, CaptureCode::USAGE_NEEDS_VALUE, "--log", 0},
    {"StrayArgument", PlanWith({"x.ngc"}), CaptureCode::USAGE_UNEXPECTED_ARGUMENT, "x.ngc", 0},
    {"Run", {"run", "x.plan", "--port", "COM3", "--band", "5"}, CaptureCode::OK, "", 0},
    {"RunWithoutPlan", {"run", "--port", "3"}, CaptureCode::USAGE_RUN_WITHOUT_PLAN, "", 0},
    {"RunPortZero", {"run", "x.plan", "--port", "COM0"}, CaptureCode::USAGE_BAD_VALUE, "--port", 3},
    {"RunPortSeven", {"run", "x.plan", "--port", "COM7"}, CaptureCode::OK, "", 0},
    // The QSB is looked for on COM1 to COM7 only.
    {"RunPortNine", {"run", "x.plan", "--port", "COM9"}, CaptureCode::USAGE_BAD_VALUE, "--port", 3},
    {"RunTwoPlans", {"run", "x.plan", "y.plan"}, CaptureCode::USAGE_ONE_PLAN, "y.plan", 0},
    {"RunBandNegative",
     {"run", "x.plan", "--band", "-1"},
     CaptureCode::USAGE_BAD_VALUE,
     "--band",
     3},
};

class Usage : public ::testing::TestWithParam<UsageRow> {};

void PrintTo(const UsageRow& row, std::ostream* out) {
    *out << row.name;
}

TEST_P(Usage, Code) {
    CaptureCommand command;
    const CaptureStatus status = ParseCaptureCommand(GetParam().arguments, command);
    EXPECT_EQ(CaptureCodeName(status.code()), std::string(CaptureCodeName(GetParam().code)));
    EXPECT_EQ(status.subject(), GetParam().subject);
    EXPECT_EQ(status.number(0), GetParam().valueAt);
}

INSTANTIATE_TEST_SUITE_P(Rows, Usage, ::testing::ValuesIn(kUsage),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Options, PlanReadsTheScale) {
    CaptureCommand command;
    ASSERT_TRUE(ParseCaptureCommand(kPlan, command));
    EXPECT_EQ(command.plan.request.countsPerUnit, 10034.463);
    ASSERT_TRUE(ParseCaptureCommand(PlanWith({"--counts-per-unit", "254883.36"}), command));
    EXPECT_EQ(command.plan.request.countsPerUnit, 254883.36);
}

TEST(Options, RunReadsItsValues) {
    CaptureCommand command;
    ASSERT_TRUE(ParseCaptureCommand(
        {"run", "cycles/x.plan", "--port", "COM3", "--window", "0.5", "--table-in-force"},
        command));
    EXPECT_EQ(command.run.port, 3);
    EXPECT_EQ(command.run.window, 0.5);
    EXPECT_TRUE(command.run.tableInForce);
    EXPECT_EQ(command.run.bandCounts, 3);
    EXPECT_EQ(command.run.log, "cycles/x-runs.csv");
}

TEST(Options, PathsBesideTheProgram) {
    EXPECT_EQ(PlanPathFor("cycles/x.ngc"), "cycles/x.plan");
    EXPECT_EQ(PlanPathFor("O1000"), "O1000.plan");
    EXPECT_EQ(PlanPathFor("cycles.d/O1000"), "cycles.d/O1000.plan");
    EXPECT_EQ(PlanPathFor("x.plan"), "x.plan");  // refused by the command: it is its own plan
    EXPECT_EQ(RunLogPathFor("x.plan"), "x-runs.csv");
    EXPECT_EQ(RunLogPathFor("x.txt"), "x.txt-runs.csv");
}

}  // namespace

}  // namespace pitchwise
