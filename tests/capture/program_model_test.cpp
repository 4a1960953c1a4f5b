// Each dialect's program run line by line by a model of its control, with
// the unit in force before it the other one and a work offset active: the
// axis must pass through the plan's waypoints in machine coordinates, at
// the plan's feed, dwelling as planned. And the models themselves: what
// each control refuses or misreads.

#include <gtest/gtest.h>

#include "part_program.h"
#include "program_models.h"

namespace pitchwise {

namespace {

std::string ProgramOf(const CapturePlan& plan) {
    std::string text;
    EXPECT_TRUE(PartProgram(plan, text));
    return text;
}

CapturePlan PlanFor(Dialect dialect, LengthUnit unit) {
    CapturePlan plan;
    plan.dialect = dialect;
    plan.unit = unit;
    plan.runs = 2;
    plan.dwell = 3.5;
    if (unit == LengthUnit::MM) {
        plan.targets = {0, 12.5, 25};
        plan.feed = 1000;
    } else {
        plan.targets = {0, 0.5, 1};
        plan.feed = 40, plan.overrun = 0.2, plan.window = 0.04, plan.lostMotion = 0.004;
    }
    return plan;
}

struct ControlRow {
    const char* name;
    Dialect dialect;
    LengthUnit unit;  // the program's
    ControlSetup setup;
};

const ControlRow kControls[] = {
    {"LinuxCnc", Dialect::LINUXCNC, LengthUnit::MM, {LengthUnit::MM, 0}},
    {"LinuxCncWorkOffset", Dialect::LINUXCNC, LengthUnit::MM, {LengthUnit::INCH, 7.3}},
    {"LinuxCncInch", Dialect::LINUXCNC, LengthUnit::INCH, {LengthUnit::MM, -20}},
    {"GrblWorkOffset", Dialect::GRBL, LengthUnit::MM, {LengthUnit::INCH, 7.3}},
    {"GrblInch", Dialect::GRBL, LengthUnit::INCH, {LengthUnit::MM, 0}},
    {"Fanuc", Dialect::FANUC, LengthUnit::MM, {LengthUnit::INCH, 0}},
    {"FanucInchWorkOffset", Dialect::FANUC, LengthUnit::INCH, {LengthUnit::MM, 7.3}},
    {"SiemensMetricOnInchBasic", Dialect::SIEMENS, LengthUnit::MM, {LengthUnit::INCH, 0}},
    {"SiemensInchOnMetricBasic", Dialect::SIEMENS, LengthUnit::INCH, {LengthUnit::MM, 0}},
    {"SiemensWorkOffset", Dialect::SIEMENS, LengthUnit::MM, {LengthUnit::MM, 7.3}},
};

class Control : public ::testing::TestWithParam<ControlRow> {};

void PrintTo(const ControlRow& row, std::ostream* out) {
    *out << row.name;
}

TEST_P(Control, RunsThePlanInMachineCoordinates) {
    const CapturePlan plan = PlanFor(GetParam().dialect, GetParam().unit);
    const std::string program = ProgramOf(plan);
    std::string why;
    EXPECT_TRUE(FollowsPlan(program, plan, GetParam().setup, why)) << why << "\n" << program;
}

INSTANTIATE_TEST_SUITE_P(Dialects, Control, ::testing::ValuesIn(kControls),
                         [](const auto& row) { return std::string(row.param.name); });

struct ModelRow {
    const char* name;
    Dialect dialect;
    ControlSetup setup;
    const char* program;
    const char* refusal;  // a part of the reason; empty: taken
    double positionMm;    // where the first move ends, when taken
    double feedMmPerMinute;
};

const ModelRow kModels[] = {
    {"FanucUnitWithOtherWords",
     Dialect::FANUC,
     {},
     "%\nO1000\nG21 G90 G94\nG53 X1.\nM30\n%\n",
     "G20/G21 must stand alone",
     0,
     0},
    {"FanucUnitNotFirst",
     Dialect::FANUC,
     {},
     "%\nO1000\nG90 G94\nG21\nG53 X1.\nM30\n%\n",
     "a block before G20/G21",
     0,
     0},
    {"FanucDwellWithoutG94",
     Dialect::FANUC,
     {},
     "%\nO1000\nG21\nG90\nG53 X1.\nG04 X5.\nM30\n%\n",
     "G04 X without G94",
     0,
     0},
    {"FanucNoPointIsIncrements",
     Dialect::FANUC,
     {},
     "%\nO1000\nG21\nG90 G94\nG53 X5\nM30\n%\n",
     "",
     0.005,
     0},
    {"FanucG53AtRapid",
     Dialect::FANUC,
     {LengthUnit::MM, 7.3},
     "%\nO1000\nG20\nG90 G94\nG53 X1.\nM30\n%\n",
     "",
     25.4,
     0},
    {"FanucWorkCoordinates",
     Dialect::FANUC,
     {LengthUnit::MM, 7.3},
     "%\nO1000\nG21\nG90 G94\nG01 X1. F100.\nM30\n%\n",
     "",
     8.3,
     100},
    {"SiemensG71KeepsTheFeedInInch",
     Dialect::SIEMENS,
     {LengthUnit::INCH, 0},
     "G71 G90 G94\nSUPA G1 X10 F1000\nM30\n",
     "",
     10,
     25400},
    {"SiemensG710",
     Dialect::SIEMENS,
     {LengthUnit::INCH, 0},
     "G710 G90 G94\nSUPA G1 X10 F1000\nM30\n",
     "",
     10,
     1000},
    {"SiemensWorkOffset",
     Dialect::SIEMENS,
     {LengthUnit::MM, 7.3},
     "G710 G90 G94\nG1 X10 F1000\nM30\n",
     "",
     17.3,
     1000},
    {"SiemensDwellInItsOwnBlock",
     Dialect::SIEMENS,
     {},
     "G710 G90 G94\nSUPA G1 X10 F1000 G4 F5\nM30\n",
     "the dwell's block holds",
     0,
     0},
    {"LinuxCncWorkOffset",
     Dialect::LINUXCNC,
     {LengthUnit::MM, 7.3},
     "G21 G90 G94\nG1 X10 F500\nM2\n",
     "",
     17.3,
     500},
    {"LinuxCncG53",
     Dialect::LINUXCNC,
     {LengthUnit::MM, 7.3},
     "G21 G90 G94\nG53 G1 X10 F500\nM2\n",
     "",
     10,
     500},
    {"LinuxCncNoG90", Dialect::LINUXCNC, {}, "G21 G94\nG53 G1 X10 F500\nM2\n", "without G90", 0, 0},
    {"GrblG53WithoutG0OrG1",
     Dialect::GRBL,
     {},
     "G21 G90 G94\nG53 X10\nM2\n",
     "only with G0 or G1",
     0,
     0},
    {"GrblInchFeed", Dialect::GRBL, {}, "G20 G90 G94\nG53 G1 X1 F40\nM2\n", "", 25.4, 1016},
    {"NoEnd", Dialect::GRBL, {}, "G21 G90 G94\nG53 G1 X1 F40\n", "no end of program", 0, 0},
};

class Model : public ::testing::TestWithParam<ModelRow> {};

void PrintTo(const ModelRow& row, std::ostream* out) {
    *out << row.name;
}

TEST_P(Model, RefusesOrMoves) {
    const ModelRow& row = GetParam();
    std::vector<MachineStep> steps;
    std::string why;
    const bool taken = RunProgram(row.dialect, row.program, 'X', row.setup, steps, why);
    if (*row.refusal != '\0') {
        EXPECT_FALSE(taken);
        EXPECT_NE(why.find(row.refusal), std::string::npos) << why;
        return;
    }
    ASSERT_TRUE(taken) << why;
    ASSERT_FALSE(steps.empty());
    EXPECT_NEAR(steps[0].positionMm, row.positionMm, 1e-9);
    EXPECT_NEAR(steps[0].feedMmPerMinute, row.feedMmPerMinute, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Rows, Model, ::testing::ValuesIn(kModels),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace

}  // namespace pitchwise
