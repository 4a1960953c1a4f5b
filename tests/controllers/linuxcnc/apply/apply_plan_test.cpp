#include "apply_plan.h"

#include <gtest/gtest.h>

namespace pitchwise {

namespace {

const char* const kMachine =
    "[KINS]\nKINEMATICS = trivkins\nJOINTS = 2\n[TRAJ]\nCOORDINATES = X Y\nLINEAR_UNITS = mm\n"
    "[AXIS_X]\nMAX_VELOCITY = 10\n";

std::string Joint(int joint, const std::string& extra, const char* velocity = "20") {
    return "[JOINT_" + std::to_string(joint) + "]\nMIN_LIMIT = -10\nMAX_LIMIT = 100\n" +
           "MAX_VELOCITY = " + velocity + "\nMAX_ACCELERATION = 100\n" + extra;
}

const char* const kTable = "0 0 0.01\n10 10.001 10.011\n";  // slope 0.0001

struct PlanRow {
    const char* name;
    std::string ini;
    char axis;
    std::string table;
    PlanCode code;
    std::string expected;               // the edited INI, or a piece of the refusal's subject
    std::vector<std::string> warnings;  // pieces, one per warning expected
};

TEST(ApplyPlanTest, SetsTheTableInEveryJointOfTheAxisOrRefusesWithTheReason) {
    const std::string xy = std::string(kMachine);
    const std::vector<PlanRow> rows = {
        {"keys added after the joint's last key",
         xy + Joint(0, "") + Joint(1, ""),
         'X',
         kTable,
         PlanCode::OK,
         xy + Joint(0, "COMP_FILE = /m/t.dat\nCOMP_FILE_TYPE = 0\n") + Joint(1, ""),
         {}},
        {"keys set where they stand, BACKLASH to 0",
         xy + Joint(0, "BACKLASH = 0.02\nCOMP_FILE = old.dat\nCOMP_FILE_TYPE = 1\n# kept\n") +
             Joint(1, "BACKLASH = 0.03\n"),
         'X',
         kTable,
         PlanCode::OK,
         xy + Joint(0, "BACKLASH = 0\nCOMP_FILE = /m/old.dat\nCOMP_FILE_TYPE = 0\n# kept\n") +
             Joint(1, "BACKLASH = 0.03\n"),
         {}},
        {"BACKLASH 0 and a named table kept, type set",
         xy + Joint(0, "BACKLASH = 0.000\nCOMP_FILE = /m/t.dat\n# kept\n") + Joint(1, ""),
         'X',
         kTable,
         PlanCode::OK,
         xy + Joint(0, "BACKLASH = 0.000\nCOMP_FILE = /m/t.dat\nCOMP_FILE_TYPE = 0\n# kept\n") +
             Joint(1, ""),
         {}},
        {"non-zero BACKLASH set to 0, the other joint untouched",
         xy + Joint(0, "BACKLASH = 0.02\n") + Joint(1, "BACKLASH = 0.03\n"),
         'X',
         kTable,
         PlanCode::OK,
         xy + Joint(0, "BACKLASH = 0\nCOMP_FILE = /m/t.dat\nCOMP_FILE_TYPE = 0\n") +
             Joint(1, "BACKLASH = 0.03\n"),
         {}},
        {"relative COMP_FILE becomes absolute: the table goes where it points",
         xy + Joint(0, "COMP_FILE = old.dat\nCOMP_FILE_TYPE = 0\n") + Joint(1, ""),
         'X',
         kTable,
         PlanCode::OK,
         xy + Joint(0, "COMP_FILE = /m/old.dat\nCOMP_FILE_TYPE = 0\n") + Joint(1, ""),
         {}},
        {"gantry: both joints, one table",
         "[KINS]\nKINEMATICS = trivkins coordinates=xyy\n[TRAJ]\nCOORDINATES = X Y Y\n"
         "LINEAR_UNITS = mm\n[AXIS_Y]\nMAX_VELOCITY = 10\n" +
             Joint(0, "") + Joint(1, "COMP_FILE = /m/t.dat\n") + Joint(2, ""),
         'Y',
         kTable,
         PlanCode::OK,
         "[KINS]\nKINEMATICS = trivkins coordinates=xyy\n[TRAJ]\nCOORDINATES = X Y Y\n"
         "LINEAR_UNITS = mm\n[AXIS_Y]\nMAX_VELOCITY = 10\n" +
             Joint(0, "") + Joint(1, "COMP_FILE = /m/t.dat\nCOMP_FILE_TYPE = 0\n") +
             Joint(2, "COMP_FILE = /m/t.dat\nCOMP_FILE_TYPE = 0\n"),
         {}},
        {"gantry: BACKLASH set on both joints is zeroed on both",
         "[KINS]\nKINEMATICS = trivkins coordinates=xyy\n[TRAJ]\nCOORDINATES = X Y Y\n"
         "LINEAR_UNITS = mm\n[AXIS_Y]\nMAX_VELOCITY = 10\n" +
             Joint(0, "") + Joint(1, "BACKLASH = 0.02\n") + Joint(2, "BACKLASH = 0.03\n"),
         'Y',
         kTable,
         PlanCode::OK,
         "[KINS]\nKINEMATICS = trivkins coordinates=xyy\n[TRAJ]\nCOORDINATES = X Y Y\n"
         "LINEAR_UNITS = mm\n[AXIS_Y]\nMAX_VELOCITY = 10\n" +
             Joint(0, "") + Joint(1, "BACKLASH = 0\nCOMP_FILE = /m/t.dat\nCOMP_FILE_TYPE = 0\n") +
             Joint(2, "BACKLASH = 0\nCOMP_FILE = /m/t.dat\nCOMP_FILE_TYPE = 0\n"),
         {}},
        {"a joint whose last line is continued into the end of the file",
         "[KINS]\nKINEMATICS = trivkins\n[TRAJ]\nCOORDINATES = X\nLINEAR_UNITS = mm\n"
         "[JOINT_0]\nMIN_LIMIT = 0\nMAX_LIMIT = 110\n= \\",
         'X',
         kTable,
         PlanCode::OK,
         "[KINS]\nKINEMATICS = trivkins\n[TRAJ]\nCOORDINATES = X\nLINEAR_UNITS = mm\n"
         "[JOINT_0]\nMIN_LIMIT = 0\nMAX_LIMIT = 110\n= \\\n\nCOMP_FILE = /m/t.dat\n"
         "COMP_FILE_TYPE = 0",
         {"[JOINT_0]MAX_VELOCITY = 1 is less than the 1.0001"}},
        {"gantry naming two tables is refused",
         "[KINS]\nKINEMATICS = trivkins coordinates=xyy\n[TRAJ]\nCOORDINATES = X Y Y\n"
         "LINEAR_UNITS = mm\n" +
             Joint(0, "") + Joint(1, "COMP_FILE = a.dat\n") + Joint(2, "COMP_FILE = b.dat\n"),
         'Y',
         kTable,
         PlanCode::TABLES_DIFFER,
         "/m/b.dat",
         {}},
        {"kinematics it does not understand",
         "[KINS]\nKINEMATICS = genserkins\n[TRAJ]\nCOORDINATES = X\nLINEAR_UNITS = mm\n" +
             Joint(0, ""),
         'X',
         kTable,
         PlanCode::AXIS_NOT_READ,
         "genserkins",
         {}},
        {"an axis the machine lacks",
         xy + Joint(0, "") + Joint(1, ""),
         'Z',
         kTable,
         PlanCode::AXIS_NOT_READ,
         "no Z axis",
         {}},
        {"a table LinuxCNC stops reading early",
         xy + Joint(0, "") + Joint(1, ""),
         'X',
         "0 0 0\n# note\n10 10 10\n",
         PlanCode::TABLE_MISREAD,
         "LinuxCNC stops reading there",
         {}},
        {"a table with nominals out of order",
         xy + Joint(0, "") + Joint(1, ""),
         'X',
         "10 10 10\n0 0 0\n",
         PlanCode::TABLE_MISREAD,
         "nominals must ascend",
         {}},
        {"an empty table",
         xy + Joint(0, "") + Joint(1, ""),
         'X',
         "",
         PlanCode::TABLE_EMPTY,
         "/m/t.dat",
         {}},
        {"stepper short of headroom: 1.5 x 100 = 150",
         xy + Joint(0, "STEPGEN_MAXACCEL = 149\n") + Joint(1, ""),
         'X',
         kTable,
         PlanCode::OK,
         xy + Joint(0, "STEPGEN_MAXACCEL = 149\nCOMP_FILE = /m/t.dat\nCOMP_FILE_TYPE = 0\n") +
             Joint(1, ""),
         {"[JOINT_0]STEPGEN_MAXACCEL = 149 is less than 1.5 x MAX_ACCELERATION = 150 (100)"}},
        {"stepper with headroom",
         xy + Joint(0, "STEPGEN_MAXACCEL = 150\n") + Joint(1, ""),
         'X',
         kTable,
         PlanCode::OK,
         xy + Joint(0, "STEPGEN_MAXACCEL = 150\nCOMP_FILE = /m/t.dat\nCOMP_FILE_TYPE = 0\n") +
             Joint(1, ""),
         {}},
        {"slope 0.1 at 10 asks 11 of a joint allowed 10.5",
         xy + Joint(0, "", "10.5") + Joint(1, ""),
         'X',
         "0 0 0\n1 1.1 1\n",
         PlanCode::OK,
         xy + Joint(0, "COMP_FILE = /m/t.dat\nCOMP_FILE_TYPE = 0\n", "10.5") + Joint(1, ""),
         {"[JOINT_0]MAX_VELOCITY = 10.5 is less than the 11 the table asks at "
          "[AXIS_X]MAX_VELOCITY = 10: its largest slope 0.1"}},
        {"slope 0.1 at 10 fits a joint allowed 11",
         xy + Joint(0, "", "11") + Joint(1, ""),
         'X',
         "0 0 0\n1 1 0.9\n",
         PlanCode::OK,
         xy + Joint(0, "COMP_FILE = /m/t.dat\nCOMP_FILE_TYPE = 0\n", "11") + Joint(1, ""),
         {}},
    };
    for (const PlanRow& row : rows) {
        CIniFile ini;
        ini.Parse(row.ini);
        ApplyRequest request;
        request.axis = row.axis;
        request.iniFolder = "/m";
        request.tablePath = "/m/t.dat";
        request.tableText = row.table;
        ApplyPlan plan;
        const PlanStatus planned = PlanApply(ini, request, plan);
        ASSERT_EQ(planned.code(), row.code) << row.name << ": " << planned.subject();
        if (!planned) {
            EXPECT_NE(planned.subject().find(row.expected), std::string::npos)
                << row.name << ": " << planned.subject();
            EXPECT_TRUE(plan.edits.empty()) << row.name;
            continue;
        }
        const std::string edited = EditIniTexts({row.ini}, plan.edits).texts[0];
        EXPECT_EQ(edited, row.expected) << row.name;
        // Once applied, the INI reads as planned: nothing is left to change.
        CIniFile again;
        again.Parse(edited);
        ApplyPlan second;
        ASSERT_TRUE(PlanApply(again, request, second).ok()) << row.name;
        EXPECT_TRUE(second.edits.empty()) << row.name;
        ASSERT_EQ(plan.warnings.size(), row.warnings.size()) << row.name;
        for (std::size_t i = 0; i < row.warnings.size(); ++i)
            EXPECT_NE(plan.warnings[i].find(row.warnings[i]), std::string::npos)
                << row.name << ": " << plan.warnings[i];
    }
}

TEST(ApplyPlanTest, LargestSlopeIsOverBothColumnsPerUnitOfSpacing) {
    EXPECT_DOUBLE_EQ(LargestCorrectionSlope({}), 0.0);
    EXPECT_NEAR(LargestCorrectionSlope({{0, 0, 0}, {2, 2.002, 1.999}}), 0.001, 1e-12);
    EXPECT_NEAR(LargestCorrectionSlope({{0, 0, 0}, {2, 2.001, 1.996}, {3, 3.001, 2.996}}), 0.002,
                1e-12);
}

}  // namespace

}  // namespace pitchwise
