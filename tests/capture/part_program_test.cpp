// The part program in each dialect: its words, its unit, its dwells.

#include "part_program.h"

#include <gtest/gtest.h>

#include <cmath>

namespace pitchwise {

namespace {

CapturePlan TwoTargets(Dialect dialect, LengthUnit unit) {
    CapturePlan plan;
    plan.dialect = dialect;
    plan.unit = unit;
    plan.targets = {0, 10};
    plan.runs = 1;
    plan.dwell = 3.5;
    plan.overrun = 5;
    plan.feed = 1200;
    return plan;
}

struct ProgramRow {
    const char* name;
    Dialect dialect;
    LengthUnit unit;
    const char* expected;  // the whole program but its three comment lines
};

const ProgramRow kPrograms[] = {
    {"LinuxCnc", Dialect::LINUXCNC, LengthUnit::MM,
     "G21 G90 G94\nG53 G1 X-5.000 F1200\nG4 P3.5\nG53 G1 X0.000\nG4 P6.5\nG53 G1 X10.000\n"
     "G4 P3.5\nG53 G1 X15.000\nG4 P3.5\nG53 G1 X10.000\nG4 P3.5\nG53 G1 X0.000\nG4 P3.5\n"
     "G53 G1 X-5.000\nG4 P3.5\nM2\n"},
    {"GrblInch", Dialect::GRBL, LengthUnit::INCH,
     "G20 G90 G94\nG53 G1 X-5.0000 F1200\nG4 P3.5\nG53 G1 X0.0000\nG4 P6.5\nG53 G1 X10.0000\n"
     "G4 P3.5\nG53 G1 X15.0000\nG4 P3.5\nG53 G1 X10.0000\nG4 P3.5\nG53 G1 X0.0000\nG4 P3.5\n"
     "G53 G1 X-5.0000\nG4 P3.5\nM2\n"},
    // Machine coordinates only at rapid: no feed.
    {"Fanuc", Dialect::FANUC, LengthUnit::MM,
     "G21\nG90 G94\nG53 X-5.000\nG04 X3.5\nG53 X0.000\nG04 X6.5\nG53 X10.000\nG04 X3.5\n"
     "G53 X15.000\nG04 X3.5\nG53 X10.000\nG04 X3.5\nG53 X0.000\nG04 X3.5\nG53 X-5.000\n"
     "G04 X3.5\nM30\n%\n"},
    {"SiemensInch", Dialect::SIEMENS, LengthUnit::INCH,
     "G700 G90 G94\nSUPA G1 X-5.0000 F1200\nG4 F3.5\nSUPA G1 X0.0000\nG4 F6.5\n"
     "SUPA G1 X10.0000\nG4 F3.5\nSUPA G1 X15.0000\nG4 F3.5\nSUPA G1 X10.0000\nG4 F3.5\n"
     "SUPA G1 X0.0000\nG4 F3.5\nSUPA G1 X-5.0000\nG4 F3.5\nM30\n"},
};

class Program : public ::testing::TestWithParam<ProgramRow> {};

void PrintTo(const ProgramRow& row, std::ostream* out) {
    *out << row.name;
}

std::string ProgramOf(const CapturePlan& plan) {
    std::string text;
    EXPECT_TRUE(PartProgram(plan, text));
    return text;
}

TEST_P(Program, Blocks) {
    std::string text = ProgramOf(TwoTargets(GetParam().dialect, GetParam().unit));
    // Past the heading: Fanuc's "%" and program number, then three comments.
    std::size_t at = 0;
    for (int skip = GetParam().dialect == Dialect::FANUC ? 5 : 3; skip > 0; --skip)
        at = text.find('\n', at) + 1;
    EXPECT_EQ(text.substr(at), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Dialects, Program, ::testing::ValuesIn(kPrograms),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Program, FanucBeginsWithItsNumberAndWholeSecondsKeepThePoint) {
    CapturePlan plan = TwoTargets(Dialect::FANUC, LengthUnit::MM);
    plan.dwell = 5;
    std::string text = ProgramOf(plan);
    EXPECT_EQ(text.substr(0, 8), "%\nO1000\n");
    EXPECT_NE(text.find("\nG04 X5.\n"), std::string::npos);  // without the point: milliseconds
    EXPECT_EQ(text.find("G04 X5\n"), std::string::npos);
    EXPECT_EQ(text.find(';'), std::string::npos);  // read as the end of a block
    // It says where it moves, how, and for which machines.
    EXPECT_NE(text.find("(FOR MILLS, IN MACHINE COORDINATES, G53 MOVES AT RAPID TRAVERSE)\n"),
              std::string::npos);
}

TEST(Program, EveryDialectSaysMachineCoordinates) {
    for (Dialect d : {Dialect::LINUXCNC, Dialect::GRBL, Dialect::FANUC, Dialect::SIEMENS})
        EXPECT_NE(ProgramOf(TwoTargets(d, LengthUnit::MM)).find("IN MACHINE COORDINATES"),
                  std::string::npos)
            << DialectName(d);
}

TEST(Program, AnUnsoundPlanMakesNoProgram) {
    CapturePlan plan = TwoTargets(Dialect::LINUXCNC, LengthUnit::MM);
    plan.feed = std::nan("");
    std::string text = "old";
    EXPECT_EQ(PartProgram(plan, text).code(), CaptureCode::FEED);
    EXPECT_EQ(text, "");
}

TEST(Program, WholeSecondsElsewhereAreWhole) {
    CapturePlan plan = TwoTargets(Dialect::LINUXCNC, LengthUnit::MM);
    plan.dwell = 5;
    EXPECT_NE(ProgramOf(plan).find("\nG4 P5\n"), std::string::npos);
}

}  // namespace

}  // namespace pitchwise
