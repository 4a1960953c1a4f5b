// The command line: each usage error with its reason, and where the plan
// and the run log go by default.

#include "capture_options.h"

#include <gtest/gtest.h>

namespace pitchwise {

namespace {

struct UsageRow {
    const char* name;
    std::vector<std::string> arguments;
    const char* error;  // empty: accepted
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
    {"NoCommand", {}, "give a command: plan or run"},
    {"UnknownCommand", {"measure"}, "unknown command measure"},
    {"Plan", kPlan, ""},
    {"PlanWithoutProgram",
     {"plan", "--axis", "X", "--from", "0", "--to", "4", "--dialect", "grbl"},
     "plan needs --axis, --from, --to, --dialect and -o"},
    {"AxisA", PlanWith({"--axis", "A"}), "--axis cannot be A"},
    {"CommaDecimal", PlanWith({"--to", "40,5"}), "--to cannot be 40,5"},
    {"DialectUnknown", PlanWith({"--dialect", "heidenhain"}), "--dialect cannot be heidenhain"},
    {"ValueMissing", PlanWith({"--dwell"}), "--dwell needs a value"},
    {"UnknownPlanOption", PlanWith({"--speed", "3"}), "unknown option --speed"},
    {"UnknownPlanOptionLast", PlanWith({"--speed"}), "unknown option --speed"},
    {"UnknownRunOptionLast", {"run", "x.plan", "--bogus"}, "unknown option --bogus"},
    {"RunValueMissing", {"run", "x.plan", "--log"}, "--log needs a value"},
    {"StrayArgument", PlanWith({"x.ngc"}), "unexpected argument x.ngc"},
    {"Run", {"run", "x.plan", "--port", "COM3", "--band", "5"}, ""},
    {"RunWithoutPlan", {"run", "--port", "3"}, "run needs a plan"},
    {"RunPortZero", {"run", "x.plan", "--port", "COM0"}, "--port cannot be COM0"},
    {"RunTwoPlans", {"run", "x.plan", "y.plan"}, "one plan at a time"},
    {"RunBandNegative", {"run", "x.plan", "--band", "-1"}, "--band cannot be -1"},
};

class Usage : public ::testing::TestWithParam<UsageRow> {};

void PrintTo(const UsageRow& row, std::ostream* out) {
    *out << row.name;
}

TEST_P(Usage, Reason) {
    CaptureCommand command;
    std::string error;
    EXPECT_EQ(ParseCaptureCommand(GetParam().arguments, command, error),
              std::string(GetParam().error).empty());
    EXPECT_EQ(error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(Rows, Usage, ::testing::ValuesIn(kUsage),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Options, RunReadsItsValues) {
    CaptureCommand command;
    std::string error;
    ASSERT_TRUE(ParseCaptureCommand(
        {"run", "cycles/x.plan", "--port", "COM3", "--window", "0.5", "--table-in-force"}, command,
        error))
        << error;
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
