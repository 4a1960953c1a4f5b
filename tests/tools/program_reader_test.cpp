// The simulated machine's reading of a part program: each dialect's words
// as its controller reads them, what it refuses, and every program
// pitchwise-capture writes read back as the cycle's own moves and dwells.

#include "program_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "cycle_plan.h"
#include "part_program.h"

namespace pitchwise {

namespace {

struct ReadRow {
    const char* name;
    ProgramFamily family;
    const char* text;
    ProgramCode code;
    // The steps: "M position feed" or "D seconds", one per step.
    std::vector<std::string> steps;
};

std::string Describe(const ProgramStep& s) {
    char text[64];
    if (s.kind == ProgramStep::DWELL) {
        std::snprintf(text, sizeof text, "D %g", s.seconds);
    } else {
        std::snprintf(text, sizeof text, "M %g %g", s.positionMm, s.feedMmPerMin);
    }
    return text;
}

const ReadRow kRows[] = {
    {"LinuxCncSeconds",
     ProgramFamily::LINUXCNC,
     "G21 G90 G94\nG1 X5 F600\nG4 P2.5\nM2\n",
     ProgramCode::OK,
     {"M 5 600", "D 2.5"}},
    {"MachineCoordinates",
     ProgramFamily::LINUXCNC,
     "G21\nG90 G94\nG53 G1 X5 F600\nM2\n",
     ProgramCode::OK,
     {"M 5 600"}},
    {"InchFeedToo",
     ProgramFamily::GRBL,
     "G20 G90\nG1 X1 F10\nM2\n",
     ProgramCode::OK,
     {"M 25.4 254"}},
    {"FanucMilliseconds",
     ProgramFamily::FANUC,
     "%\nO1000\nG21\nG90 G94\nG01 X5. F600.\nG04 P2500\nM30\n%\n",
     ProgramCode::OK,
     {"M 5 600", "D 2.5"}},
    {"FanucSecondsWithPoint",
     ProgramFamily::FANUC,
     "G21\nG01 X5. F600.\nG04 X2.\nM30\n",
     ProgramCode::OK,
     {"M 5 600", "D 2"}},
    // Without a point Fanuc reads its least increment: 0.001 mm, 1 ms.
    {"FanucWithoutPoint",
     ProgramFamily::FANUC,
     "G21\nG01 X5 F600.\nG04 X2\nM30\n",
     ProgramCode::OK,
     {"M 0.005 600", "D 0.002"}},
    {"SiemensG710",
     ProgramFamily::SIEMENS,
     "G700 G90 G94\nSUPA G1 X1 F10\nG4 F3\nM30\n",
     ProgramCode::OK,
     {"M 25.4 254", "D 3"}},
    // G70 switches the geometry only: the feed stays metric.
    {"SiemensG70",
     ProgramFamily::SIEMENS,
     "G70\nG1 X1 F10 ; a comment\nM30\n",
     ProgramCode::OK,
     {"M 25.4 10"}},
    {"SiemensSpindleDwell",
     ProgramFamily::SIEMENS,
     "G710\nG4 S5\nM30\n",
     ProgramCode::SPINDLE_DWELL,
     {}},
    {"FanucG70IsACycle", ProgramFamily::FANUC, "G70\nM30\n", ProgramCode::UNKNOWN_WORD, {}},
    {"SiemensG21Unknown", ProgramFamily::SIEMENS, "G21\nM30\n", ProgramCode::UNKNOWN_WORD, {}},
    {"Incremental", ProgramFamily::LINUXCNC, "G91\nM2\n", ProgramCode::RELATIVE, {}},
    {"OtherAxis", ProgramFamily::LINUXCNC, "G1 Y5 F100\nM2\n", ProgramCode::OTHER_AXIS, {}},
    {"NoFeed", ProgramFamily::LINUXCNC, "G1 X5\nM2\n", ProgramCode::NO_FEED, {}},
    {"RapidNeedsNoFeed", ProgramFamily::LINUXCNC, "G0 X5\nM2\n", ProgramCode::OK, {"M 5 0"}},
    {"NoEnd", ProgramFamily::LINUXCNC, "G1 X5 F100\n", ProgramCode::NO_END, {}},
    {"Garbage", ProgramFamily::LINUXCNC, "G1 X5..5 F100\nM2\n", ProgramCode::BAD_NUMBER, {}},
    {"CommentsAndCrLf",
     ProgramFamily::GRBL,
     "(G91)\r\nG1 X5 F100 (G91)\r\nM2\r\n",
     ProgramCode::OK,
     {"M 5 100"}},
    {"NothingAfterTheEnd",
     ProgramFamily::LINUXCNC,
     "G1 X5 F100\nM2\nG91\n",
     ProgramCode::OK,
     {"M 5 100"}},
};

class ReadProgramRows : public ::testing::TestWithParam<ReadRow> {};

TEST_P(ReadProgramRows, StepsOrRefusal) {
    const ReadRow& row = GetParam();
    const ProgramReading reading = ReadProgram(row.text, row.family, 'X');
    EXPECT_EQ(reading.status.code(), row.code) << reading.status.subject();
    if (row.code != ProgramCode::OK) return;
    std::vector<std::string> steps;
    for (const ProgramStep& s : reading.steps) steps.push_back(Describe(s));
    EXPECT_EQ(steps, row.steps);
}

INSTANTIATE_TEST_SUITE_P(Rows, ReadProgramRows, ::testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.name); });

// Every program pitchwise-capture writes, read as its controller would,
// is the cycle: one move and one dwell per waypoint, at the plan's feed.
TEST(ReadProgram, EveryDialectsProgramIsTheCycle) {
    const struct {
        Dialect dialect;
        ProgramFamily family;
    } kDialects[] = {{Dialect::LINUXCNC, ProgramFamily::LINUXCNC},
                     {Dialect::GRBL, ProgramFamily::GRBL},
                     {Dialect::FANUC, ProgramFamily::FANUC},
                     {Dialect::SIEMENS, ProgramFamily::SIEMENS}};
    for (LengthUnit unit : {LengthUnit::MM, LengthUnit::INCH}) {
        for (const auto& d : kDialects) {
            CapturePlan plan;
            plan.dialect = d.dialect;
            plan.unit = unit;
            plan.targets = {0, 0.5, 1.25};
            plan.runs = 2;
            plan.dwell = 4;
            plan.feed = 40;
            plan.overrun = 0.2;
            plan.window = 0.04;
            plan.lostMotion = 0.004;
            const double mm = unit == LengthUnit::INCH ? 25.4 : 1;
            std::string text;
            ASSERT_TRUE(PartProgram(plan, text).ok());
            const ProgramReading reading = ReadProgram(text, d.family, plan.axis);
            ASSERT_TRUE(reading.status.ok()) << DialectName(d.dialect) << " line " << reading.line
                                             << " " << reading.status.subject();
            const std::vector<CycleWaypoint> path = CycleWaypoints(plan);
            ASSERT_EQ(reading.steps.size(), 2 * path.size()) << DialectName(d.dialect);
            for (std::size_t i = 0; i < path.size(); ++i) {
                const ProgramStep& move = reading.steps[2 * i];
                const ProgramStep& dwell = reading.steps[2 * i + 1];
                EXPECT_EQ(move.kind, ProgramStep::MOVE);
                EXPECT_NEAR(move.positionMm, path[i].position * mm, 1e-9);
                if (d.family == ProgramFamily::FANUC) {
                    EXPECT_EQ(move.feedMmPerMin, 0) << "Fanuc's G53 moves at rapid";
                } else {
                    EXPECT_NEAR(move.feedMmPerMin, plan.feed * mm, 1e-9) << DialectName(d.dialect);
                }
                EXPECT_EQ(dwell.kind, ProgramStep::DWELL);
                EXPECT_NEAR(dwell.seconds, path[i].dwellSeconds, 1e-9) << DialectName(d.dialect);
            }
        }
    }
}

}  // namespace

}  // namespace pitchwise
