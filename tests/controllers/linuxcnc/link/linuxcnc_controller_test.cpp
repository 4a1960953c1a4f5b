#include "linuxcnc_controller.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "controller_fixture.h"
#include "fake_rsh_link.h"
#include "run_log.h"
#include "test_files.h"

namespace pitchwise {

namespace {

const std::vector<std::string> kPositiveRun = {
    "L600", "L602XX",          "G0X0.0000",  "G4D1", "L606 N0 V0",      "G1X5.0000",
    "G4D1", "L606 N1 V0.0020", "G1X10.0000", "G4D1", "L606 N2 V0.0030", "L601"};

TEST_P(ControllerTest, PositiveRunWritesActualPositionsAndTheExactMdiLines) {
    m_machine.busyPolls = 2;
    auto c = Make();
    ASSERT_EQ(Send(*c, kPositiveRun), -1) << Log();
    EXPECT_EQ(
        Comp(),
        "0.000000 0.000000 0.000000\n5.000000 4.998000 5.000000\n10.000000 9.997000 10.000000\n");
    std::vector<std::string> mdi;
    for (const std::string& r : m_machine.requests) {
        if (r.compare(0, 8, "set mdi ") == 0) mdi.push_back(r.substr(8));
    }
    // The start is reached moving positive, through a point below it.
    std::vector<std::string> expected = {
        "G53 G0 X-0.500000", "G53 G0 X0.000000",           "G4 P1.000", "G53 G1 X5.000000 F300.000",
        "G4 P1.000",         "G53 G1 X10.000000 F300.000", "G4 P1.000"};
    EXPECT_EQ(mdi, expected);
}

TEST_P(ControllerTest, NegativeRunKeepsThePositiveColumnAndTiesToItAtTheStart) {
    WriteComp(
        "0.000000 0.000000 0.000000\n5.000000 4.998000 5.000000\n10.000000 9.997000 10.000000\n");
    auto c = Make();
    ASSERT_EQ(Send(*c, {"L600", "L602XX", "G0X10.0000", "G4D1", "L606 N0 V0", "G1X-5.0000", "G4D1",
                        "L606 N1 V0.0010", "G1X-10.0000", "G4D1", "L606 N2 V-0.0010", "L601"}),
              -1)
        << Log();
    // The start is reached moving positive, as the one measured column was:
    // negative column = nominal - correction + (positive actual at 10 - 10),
    // and at the start, measured moving positive only, the backlash of 5 (-0.002) held.
    EXPECT_EQ(
        Comp(),
        "0.000000 0.000000 -0.002000\n5.000000 4.998000 4.996000\n10.000000 9.997000 9.995000\n");
    std::string backup;
    ASSERT_TRUE(ReadFileForTest(m_folder + "/comp_x.dat.bak", backup));
    EXPECT_EQ(backup.substr(0, 27), "0.000000 0.000000 0.000000\n");
}

TEST_P(ControllerTest, RunWithTheTableInForceRefinesItsCandidateNeverTheTable) {
    WriteIni("COMP_FILE = comp_x.dat\nCOMP_FILE_TYPE = 0\n");
    WriteComp("0.000000 0.000000 0.000000\n5.000000 4.998000 5.001000\n");
    auto c = Make();
    ASSERT_EQ(Send(*c, {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X5.0000", "G4D1",
                        "L606 N1 V0.0005", "L601"}),
              -1)
        << Log();
    EXPECT_EQ(Comp(), "0.000000 0.000000 0.000000\n5.000000 4.998000 5.001000\n");
    std::string candidate;
    ASSERT_TRUE(ReadFileForTest(m_folder + "/comp_x-refined.dat", candidate));
    EXPECT_EQ(candidate, "0.000000 0.000000 0.000000\n5.000000 4.997500 5.001000\n");
    EXPECT_NE(Log().find("refined candidate in " + m_folder + "/comp_x-refined.dat"),
              std::string::npos)
        << Log();
}

TEST_P(ControllerTest, SteepChangeIsMeasuredAgainstThePointSpacing) {
    auto c = Make();
    // Spacing 1.28: 1/64 of it is 0.02, so 0.0200 passes and the next 0.0201 step fails.
    EXPECT_EQ(Send(*c, {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X1.2800", "G4D1",
                        "L606 N1 V0.0200", "G1X2.5600", "G4D1", "L606 N2 V0.0401"}),
              9);
}

TEST_P(ControllerTest, RefusesAMachineThatIsNotReady) {
    m_machine.machineOn = false;
    auto off = Make();
    EXPECT_FALSE(off->Line("L602XX"));
    m_machine.machineOn = true;
    m_machine.homed = false;
    auto notHomed = Make();
    EXPECT_FALSE(notHomed->Line("L602XX"));
    EXPECT_STREQ(RefusalName(notHomed->LastRefusal()), "NOT_HOMED") << Log();
}

TEST_P(ControllerTest, RefusesL600WhileATableIsInForce) {
    WriteIni("COMP_FILE = comp_x.dat\nCOMP_FILE_TYPE = 0\n");
    auto c = Make();
    EXPECT_TRUE(c->Line("L600"));
    EXPECT_FALSE(c->Line("L602XX"));
    EXPECT_STREQ(RefusalName(c->LastRefusal()), "L600_WITH_TABLE_IN_FORCE") << Log();
}

TEST_P(ControllerTest, RefusesACompensationFileOfType1) {
    WriteIni("COMP_FILE = comp_x.dat\nCOMP_FILE_TYPE = 1\n");
    auto c = Make();
    EXPECT_FALSE(c->Line("L602XX"));
}

TEST_P(ControllerTest, RefusesATableBeyond256Points) {
    m_config.maxCorrection = 1.0;
    auto c = Make();
    std::vector<std::string> lines = {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0"};
    char line[64];
    for (int i = 1; i <= 255; ++i) {
        std::snprintf(line, sizeof line, "G1X%.4f", i * 0.25);
        lines.push_back(line);
        lines.push_back("G4D1");
        std::snprintf(line, sizeof line, "L606 N%d V0", i);
        lines.push_back(line);
    }
    lines.push_back("G1X64.0000");  // the 257th point
    EXPECT_EQ(Send(*c, lines), static_cast<int>(lines.size()) - 1) << Log();
    lines.back() = "L601";
    auto full = Make();
    ASSERT_EQ(Send(*full, lines), -1) << Log();
    EXPECT_EQ(ParseCompTable(Comp()).size(), 256u);
}

TEST_P(ControllerTest, OldPointsCountTowardsTheLimit) {
    std::string old;
    for (int i = 0; i < 255; ++i) old += std::to_string(-9.0 + i * 0.01) + " 0 0\n";
    WriteComp(old);  // 255 points below 0: the run's 2 points make 257
    auto c = Make();
    EXPECT_EQ(
        Send(*c, {"L602XX", "G0X10.0000", "G4D1", "L606 N0 V0", "G1X1.0000", "G4D1", "L606 N1 V0"}),
        6);
}

TEST_P(ControllerTest, MoveThatStopsShortFaultsTheRun) {
    auto c = Make();
    ASSERT_EQ(Send(*c, {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0"}), -1);
    m_machine.followTargets = false;
    ASSERT_TRUE(c->Line("G1X5.0000"));
    int polls = 0;
    while (c->InMotion()) ++polls;
    EXPECT_GE(polls, 10);
    EXPECT_FALSE(c->Line("G4D1"));
    EXPECT_NE(Log().find("not at the target"), std::string::npos);
}

TEST_P(ControllerTest, LostConnectionEndsTheWaitAndRefusesTheRest) {
    auto c = Make();
    ASSERT_TRUE(c->Line("L602XX"));
    m_machine.dropAfterMdi = true;
    ASSERT_TRUE(c->Line("G0X0.0000"));
    EXPECT_FALSE(c->InMotion());
    EXPECT_FALSE(c->Line("G4D1"));
}

TEST_P(ControllerTest, TableThatCannotBeWrittenRefusesTheEndAndKeepsTheOldFile) {
    m_config.compFile[0] = m_folder + "/missing/comp_x.dat";
    auto c = Make();
    EXPECT_EQ(Send(*c, kPositiveRun), 11);
    EXPECT_NE(Log().find("the run cannot be kept, so no table: cannot open"), std::string::npos);
}

TEST_P(ControllerTest, NextInitStartsAFreshRun) {
    auto c = Make();
    ASSERT_EQ(Send(*c, {"L600", "L602XX", "G0X0.0000"}), -1);
    ASSERT_TRUE(c->Init());
    // The start and the L600 of the abandoned run are gone.
    EXPECT_FALSE(c->Line("G4D1"));
    ASSERT_TRUE(c->Init());
    EXPECT_EQ(Send(*c, kPositiveRun), -1) << Log();
}

TEST_P(ControllerTest, InitFailsWhenLinuxCncIsAbsentOrRefusesTheSession) {
    m_machine.reachable = false;
    CLinuxCncController absent(m_config, std::make_unique<CFakeRshLink>(m_machine));
    EXPECT_FALSE(absent.Init());
    m_machine.reachable = true;
    m_machine.helloAccepted = false;
    CLinuxCncController refused(m_config, std::make_unique<CFakeRshLink>(m_machine));
    EXPECT_FALSE(refused.Init());
}

// Runs Pitchwise's sequence of lines with a QSB that reads the fake
// carriage: zeroed once the start is reached, the correction at each point
// commanded minus measured travel. Returns the index of the refused line, or -1.
int MapLikePitchwise(CLinuxCncController& c, FakeMachine& machine, double start, double end,
                     double increment, bool disableFirst) {
    const bool negative = end < start;
    const int count = static_cast<int>(std::fabs(end - start) / increment + 1e-9);
    char line[64];
    int sent = 0;
    auto send = [&](const std::string& text) {
        ++sent;
        if (!c.Line(text.c_str())) return false;
        for (int polls = 0; c.InMotion(); ++polls) {
            if (polls > 1000) return false;
        }
        return true;
    };
    if (disableFirst && !send("L600")) return sent - 1;
    if (!send("L602XX")) return sent - 1;
    std::snprintf(line, sizeof line, "G0X%.4f", start);
    if (!send(line)) return sent - 1;
    const double zero = machine.Carriage();
    for (int i = 0; i <= count; ++i) {
        if (!send("G4D1")) return sent - 1;
        double commanded = i * increment * (negative ? -1.0 : 1.0);
        double measured = machine.Carriage() - zero;
        std::snprintf(line, sizeof line, i == 0 ? "L606 N%d V0" : "L606 N%d V%.4f", i,
                      commanded - measured);
        if (!send(line)) return sent - 1;
        if (i == count) break;
        std::snprintf(line, sizeof line, "G1X%.4f", (i + 1) * increment * (negative ? -1 : 1));
        if (!send(line)) return sent - 1;
    }
    return send("L601") ? -1 : sent - 1;
}

TEST_P(ControllerTest, BacklashIsInTheTableAtEveryPointWhereverTheAxisWasParked) {
    // The carriage lags 0.01 behind the direction of travel: the negative
    // column must stand 0.02 above the positive one at every point,
    // including both runs' starts, and the positive column must follow the
    // nominals (this screw has no pitch error).
    const double parkedAt[] = {60.0, -5.0, 0.0, 20.0};
    for (double parked : parkedAt) {
        SCOPED_TRACE(parked);
        // Each parking is a machine of its own: no earlier run's means.
        for (const char* name : {"/comp_x.dat", "/comp_x-runs.csv"})
            std::remove((m_folder + name).c_str());
        ResetMachine();
        m_machine.backlash = 0.02;
        m_machine.MoveJoint(parked);
        auto up = Make();
        ASSERT_EQ(MapLikePitchwise(*up, m_machine, 0, 20, 5, true), -1) << Log();
        auto down = Make();
        ASSERT_EQ(MapLikePitchwise(*down, m_machine, 20, 0, 5, true), -1) << Log();
        std::vector<CompPoint> table = ParseCompTable(Comp());
        ASSERT_EQ(table.size(), 5u);
        const double offset = table[0].positive - table[0].nominal;
        for (const CompPoint& p : table) {
            EXPECT_NEAR(p.negative - p.positive, 0.02, 1e-6) << p.nominal;
            EXPECT_NEAR(p.positive - p.nominal, offset, 1e-6) << p.nominal;
        }
    }
}

TEST_P(ControllerTest, StartIsReachedThroughAPointBeyondItClampedToTheLimits) {
    struct Row {
        double parked;
        double start;
        const char* via;  // the first move of the run
    } rows[] = {
        {60.0, 0.0, "G53 G0 X-0.500000"},  // from above, still reached moving positive
        {-5.0, 0.0, "G53 G0 X-0.500000"},  {0.0, 100.0, "G53 G0 X99.500000"},
        {0.0, -10.0, "G53 G0 X-9.500000"},  // at the lower limit: only from above
        {0.0, -9.8, "G53 G0 X-10.000000"},  // room below, but less than the distance
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.start);
        ResetMachine();
        m_machine.MoveJoint(row.parked);
        auto c = Make();
        char start[32];
        std::snprintf(start, sizeof start, "G0X%.4f", row.start);
        ASSERT_EQ(Send(*c, {"L602XX", start}), -1) << Log();
        std::vector<std::string> moves;
        for (const std::string& r : m_machine.requests) {
            if (r.compare(0, 8, "set mdi ") == 0) moves.push_back(r.substr(8));
        }
        ASSERT_EQ(moves.size(), 2u);
        EXPECT_EQ(moves[0], row.via);
        EXPECT_DOUBLE_EQ(m_machine.jointPos, row.start);
    }
}

TEST_P(ControllerTest, RunAcrossTheReversalNeedsAMeasuredColumnToTieTo) {
    // No table yet: the start is reached moving positive, and a negative run
    // from it could not tell the backlash from the screw's error.
    auto c = Make();
    EXPECT_EQ(Send(*c, {"L602XX", "G0X10.0000", "G4D1", "L606 N0 V0", "G1X-5.0000"}), 4);
    EXPECT_STREQ(RefusalName(c->LastRefusal()), "NOTHING_TO_TIE_TO") << Log();
    EXPECT_EQ(Comp(), "");
}

TEST_P(ControllerTest, RefusesToMeasureWhileLinuxCncAppliesBacklash) {
    WriteIni("BACKLASH = 0.02\n");
    auto c = Make();
    EXPECT_TRUE(c->Line("L600"));
    EXPECT_FALSE(c->Line("L602XX"));
    EXPECT_STREQ(RefusalName(c->LastRefusal()), "BACKLASH_IN_FORCE") << Log();
    // With a table loaded LinuxCNC ignores BACKLASH: refining is sound.
    WriteIni("BACKLASH = 0.02\nCOMP_FILE = comp_x.dat\n");
    WriteComp("0 0 0\n10 10 10\n");
    auto refine = Make();
    EXPECT_TRUE(refine->Line("L602XX")) << Log();
}

TEST_P(ControllerTest, TableInForceIsWhatLinuxCncLoadedAtItsStart) {
    struct Row {
        const char* name;
        std::function<void()> change;
        const char* why;
    } rows[] = {
        {"COMP_FILE added after the start",
         [this] {
             WriteIni("COMP_FILE = comp_x.dat\n");
             Touch("machine.ini", 5);
         },
         "machine.ini changed after LinuxCNC started"},
        {"table edited after the start",
         [this] {
             WriteIni("COMP_FILE = comp_x.dat\n");
             WriteComp("0 0 0\n10 10.001 10\n");
             StartLinuxCnc();
             Touch("comp_x.dat", 5);
         },
         "comp_x.dat changed after LinuxCNC started"},
        {"another INI running", [this] { m_machine.iniFile = m_folder + "/other.ini"; },
         "not the configured ini"},
        {"no lock file", [this] { std::remove(m_config.lockFile.c_str()); }, "cannot tell when"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WriteIni("");
        ResetMachine();
        auto c = Make();
        row.change();
        EXPECT_FALSE(c->Line("L602XX"));
        EXPECT_NE(Log().find(row.why), std::string::npos) << Log();
    }
}

TEST_P(ControllerTest, ReadsTheExpandedIniLinuxCncRunsWith) {
    // The INI on disk gained a table after the start; the expanded copy
    // LinuxCNC runs with has none, so none is in force.
    WriteFile("axes.inc", "[JOINT_0]\nMIN_LIMIT = -10\nMAX_LIMIT = 100\n");
    WriteFile("machine.ini.expanded",
              "[TRAJ]\nCOORDINATES = X Y Z\nLINEAR_UNITS = mm\n[KINS]\nKINEMATICS = trivkins\n"
              "[JOINT_0]\nMIN_LIMIT = -10\nMAX_LIMIT = 100\n");
    m_machine.iniFile = m_folder + "/machine.ini.expanded";
    auto c = Make();
    WriteIni("COMP_FILE = comp_x.dat\n");
    Touch("machine.ini", 5);
    ASSERT_EQ(Send(*c, kPositiveRun), -1) << Log();
    EXPECT_NE(Log().find("no compensation in force"), std::string::npos);
}

TEST_P(ControllerTest, GantryWritesOneTableForBothJointsOrRefuses) {
    const std::string gantry =
        "[TRAJ]\nCOORDINATES = X Y Y Z\nLINEAR_UNITS = mm\n"
        "[KINS]\nKINEMATICS = trivkins coordinates=XYYZ kinstype=BOTH\nJOINTS = 4\n"
        "[JOINT_0]\nMIN_LIMIT = -10\nMAX_LIMIT = 100\n[JOINT_3]\nMIN_LIMIT = -10\nMAX_LIMIT = 10\n"
        "[JOINT_1]\nMIN_LIMIT = -10\nMAX_LIMIT = 100\n";
    m_config.compFile[1] = m_folder + "/comp_y.dat";
    WriteFile("machine.ini", gantry + "[JOINT_2]\nMIN_LIMIT = -10\nMAX_LIMIT = 50\n");
    auto c = Make();
    ASSERT_EQ(Send(*c, {"L600", "L602YY", "G0Y0.0000", "G4D1", "L606 N0 V0", "G1Y40.0000", "G4D1",
                        "L606 N1 V0.0010", "L601"}),
              -1)
        << Log();
    // Both joints checked; the move past joint 2's limit refused.
    for (const char* request : {"get joint_homed 1", "get joint_homed 2", "get joint_pos 2"}) {
        EXPECT_NE(std::find(m_machine.requests.begin(), m_machine.requests.end(), request),
                  m_machine.requests.end())
            << request;
    }
    auto far = Make();
    EXPECT_EQ(Send(*far, {"L602YY", "G0Y60.0000"}), 1);
    // Different tables for the two sides cannot both be the one measured.
    WriteFile("machine.ini", gantry +
                                 "COMP_FILE = comp_y.dat\n[JOINT_2]\nMIN_LIMIT = -10\n"
                                 "MAX_LIMIT = 50\nCOMP_FILE = comp_y2.dat\n");
    auto split = Make();
    EXPECT_FALSE(split->Line("L602YY"));
    EXPECT_STREQ(RefusalName(split->LastRefusal()), "GANTRY_TABLES_DIFFER") << Log();
}

TEST_P(ControllerTest, LatheZIsItsSecondJointAndHasNoY) {
    WriteFile("machine.ini",
              "[TRAJ]\nCOORDINATES = X Z\nLINEAR_UNITS = mm\n"
              "[KINS]\nKINEMATICS = trivkins coordinates=XZ\nJOINTS = 2\n"
              "[JOINT_0]\nMIN_LIMIT = -10\nMAX_LIMIT = 100\n[JOINT_1]\nMIN_LIMIT = -50\n"
              "MAX_LIMIT = 10\n");
    m_config.compFile[2] = m_folder + "/comp_y.dat";
    auto c = Make();
    EXPECT_TRUE(c->Line("L602ZZ")) << Log();
    EXPECT_NE(std::find(m_machine.requests.begin(), m_machine.requests.end(), "get joint_homed 1"),
              m_machine.requests.end());
    auto y = Make();
    EXPECT_FALSE(y->Line("L602YY"));
    EXPECT_STREQ(RefusalName(y->LastRefusal()), "AXIS_NOT_MAPPABLE") << Log();
    m_config.joint[2] = 2;  // a configured joint the kinematics contradict
    auto wrong = Make();
    EXPECT_FALSE(wrong->Line("L602ZZ"));
    EXPECT_STREQ(RefusalName(wrong->LastRefusal()), "JOINT_CONTRADICTS_KINEMATICS") << Log();
}

TEST_P(ControllerTest, RefusesModesLeftByTheOperatorBeforeAnyMove) {
    const std::string base = "G80 G17 G40 G54 G49 G99 G64 G97 G91.1 G92.2 F0 S0";
    const struct Row {
        const char* codes;
        const char* missing;
    } rows[] = {
        {"G20 G90 G94 G8", "G21"}, {"G21 G91 G94 G8", "G90"}, {"G21 G90 G95 G8", "G94"},
        {"G21 G90 G93 G8", "G94"}, {"G21 G90 G94 G7", "G8"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.codes);
        ResetMachine();
        m_machine.programCodes = base + " " + row.codes;
        auto c = Make();
        EXPECT_FALSE(c->Line("L602XX"));
        EXPECT_NE(Log().find(std::string("run ") + row.missing), std::string::npos) << Log();
        for (const std::string& r : m_machine.requests) EXPECT_NE(r.compare(0, 7, "set mdi"), 0);
        EXPECT_EQ(m_machine.mode, "MANUAL");
    }
}

TEST_P(ControllerTest, InchMachineWantsG20AndLengthsInInches) {
    WriteFile("machine.ini",
              "[TRAJ]\nCOORDINATES = X Y Z\nLINEAR_UNITS = inch\n[KINS]\nKINEMATICS = trivkins\n"
              "[JOINT_0]\nMIN_LIMIT = -10\nMAX_LIMIT = 100\n");
    m_machine.programCodes = "G17 G20 G90 G94 G8";
    m_config.maxCorrection = 0.5;
    auto c = Make();
    // 0.5 mm given in the file stays 0.5 (inches); the 0.001 mm tolerance becomes 0.0000394 in.
    ASSERT_EQ(Send(*c, {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X1.0000"}), -1) << Log();
    EXPECT_EQ(m_machine.requests.back(), "get joint_pos 0");
    EXPECT_NE(std::find(m_machine.requests.begin(), m_machine.requests.end(),
                        "set mdi G53 G1 X1.000000 F11.811"),
              m_machine.requests.end());
    m_machine.jointPos = 1.0 + 0.0001;  // 2.5 µm off: out of position on an inch machine
    EXPECT_FALSE(c->Line("G4D1") && c->Line("L606 N1 V0.0000"));
}

TEST_P(ControllerTest, RefusesAMachineThatIsNotIdleOrNotInMdi) {
    m_machine.idleStatus = "PAUSED";
    auto paused = Make();
    EXPECT_FALSE(paused->Line("L602XX"));
    EXPECT_STREQ(RefusalName(paused->LastRefusal()), "NOT_IDLE") << Log();
    EXPECT_EQ(m_machine.mode, "MANUAL");  // the mode switch was never tried
    ResetMachine();
    m_machine.modeAccepted = false;
    auto stuck = Make();
    EXPECT_FALSE(stuck->Line("L602XX"));
    EXPECT_STREQ(RefusalName(stuck->LastRefusal()), "MDI_SWITCH_FAILED") << Log();
}

TEST_P(ControllerTest, LongWaitIsExplainedOnceInTheLog) {
    const struct Row {
        const char* status;
        int feedOverride;
        const char* why;
    } rows[] = {
        {"PAUSED", 100, "it is paused"},
        {"RUNNING", 0, "feed override is at 0 %"},
        {"RUNNING", 100, "slow or held up"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.status);
        std::remove(m_config.logFile.c_str());
        ResetMachine();
        auto c = Make();
        ASSERT_TRUE(c->Line("L602XX"));
        m_machine.busyPolls = 200;
        m_machine.busyStatus = row.status;
        m_machine.feedOverride = row.feedOverride;
        ASSERT_TRUE(c->Line("G0X0.0000"));
        for (int i = 0; i < 150; ++i) ASSERT_TRUE(c->InMotion());
        const std::string log = Log();
        std::size_t first = log.find(row.why);
        ASSERT_NE(first, std::string::npos) << log;
        EXPECT_EQ(log.find(row.why, first + 1), std::string::npos) << log;
    }
}

TEST_P(ControllerTest, MachineLeavingMdiOrGoingOffDuringTheRunIsRefused) {
    struct Row {
        const char* name;
        std::function<void(FakeMachine&)> change;
    } rows[] = {
        {"switched to manual and jogged during the dwell",
         [](FakeMachine& m) {
             m.mode = "MANUAL";
             m.jointPos += 0.05;
         }},
        {"machine off during the dwell", [](FakeMachine& m) { m.machineOn = false; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ResetMachine();
        auto c = Make();
        ASSERT_EQ(Send(*c, {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X5.0000"}), -1);
        m_machine.busyPolls = 3;
        ASSERT_TRUE(c->Line("G4D1"));
        row.change(m_machine);
        EXPECT_FALSE(c->InMotion());
        EXPECT_FALSE(c->Line("L606 N1 V0.0500"));
        EXPECT_FALSE(m_machine.enabled);  // control given back
    }
    EXPECT_EQ(Comp(), "");
}

TEST_P(ControllerTest, EntryAndTableNeedTheJointAtItsPoint) {
    auto c = Make();
    ASSERT_EQ(Send(*c, {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X5.0000", "G4D1"}), -1);
    m_machine.jointPos = 5.05;  // jogged after the dwell, mode back to MDI
    EXPECT_FALSE(c->Line("L606 N1 V0.0500"));
    EXPECT_STREQ(RefusalName(c->LastRefusal()), "NOT_IN_POSITION") << Log();

    ResetMachine();
    auto last = Make();
    ASSERT_EQ(Send(*last, {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X5.0000", "G4D1",
                           "L606 N1 V0.0010"}),
              -1);
    m_machine.machineOn = false;
    EXPECT_FALSE(last->Line("L601"));
    EXPECT_EQ(Comp(), "");
}

TEST_P(ControllerTest, RefusalGivesControlBack) {
    auto c = Make();
    EXPECT_TRUE(m_machine.enabled);
    EXPECT_FALSE(c->Line("M3"));
    EXPECT_FALSE(m_machine.enabled);
    EXPECT_EQ(m_machine.requests.back(), "set enable off");
}

TEST_P(ControllerTest, NewPointsMeetingKeptOldPointsKeepTheSlopeLimit) {
    // The old table goes on beyond the run: at 10 the run's column must not
    // jump against the kept point at 10.5; with the table in force, the
    // refined candidate must not.
    const std::pair<const char*, const char*> rows[] = {
        {"", "STEEP_JUNCTION"}, {"COMP_FILE = comp_x.dat\n", "CANDIDATE_REFUSED"}};
    for (const auto& [ini, refusal] : rows) {
        WriteComp("0 0 0\n10 10 10\n10.5 10.5 10.5\n");
        WriteIni(ini);
        auto c = Make();
        EXPECT_EQ(Send(*c, {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X5.0000", "G4D1",
                            "L606 N1 V0.0300", "G1X10.0000", "G4D1", "L606 N2 V0.0400", "L601"}),
                  10);
        EXPECT_STREQ(RefusalName(c->LastRefusal()), refusal) << Log();
        std::remove((m_folder + "/comp_x-runs.csv").c_str());
    }
}

struct LongMoveRow {
    const char* name;
    double parkedAt;
    double feed;
    std::vector<std::string> lines;
    double seconds;  // how long the moves take on the fake machine
};

TEST_P(ControllerTest, MovesLongerThanTenSecondsAreWaitedFor) {
    // Slowed to 4 units/s: a rapid from 80 to the start 0 takes 20 s.
    WriteIni(
        "MAX_VELOCITY = 4\nMAX_ACCELERATION = 500\n"
        "[AXIS_X]\nMAX_VELOCITY = 4\nMAX_ACCELERATION = 500\n");
    const LongMoveRow rows[] = {
        {"rapid to the start", 80.0, 300.0, {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0"}, 20.0},
        {"slow step",
         0.0,
         60.0,
         {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X15.0000", "G4D1", "L606 N1 V0"},
         15.0},
    };
    for (const LongMoveRow& row : rows) {
        // The rewritten shell holds each MDI ACK until the motion ends unless
        // the session's wait mode takes effect: both must work.
        for (bool ackOnReceipt : {true, false}) {
            SCOPED_TRACE(std::string(row.name) +
                         (ackOnReceipt ? ", ACK on receipt" : ", late ACK"));
            ResetMachine();
            m_machine.jointPos = row.parkedAt;
            m_machine.rapidUnitsPerSecond = 4.0;
            m_machine.waitModeTakesEffect = ackOnReceipt;
            m_config.feed = row.feed;
            auto c = Make();
            ASSERT_EQ(Send(*c, row.lines), -1) << Log();
            EXPECT_GE(m_machine.now, row.seconds);  // the moves really took that long
            EXPECT_EQ(m_machine.jointPos, row.lines.size() > 4 ? 15.0 : 0.0);
        }
    }
}

TEST_P(ControllerTest, ASilentShellIsStillDetectedSoonAfterTheMotionsLongestTime) {
    WriteIni(
        "MAX_VELOCITY = 4\nMAX_ACCELERATION = 500\n"
        "[AXIS_X]\nMAX_VELOCITY = 4\nMAX_ACCELERATION = 500\n");
    m_machine.jointPos = 80.0;
    m_machine.rapidUnitsPerSecond = 4.0;
    auto c = Make();
    ASSERT_TRUE(c->Line("L602XX"));
    m_machine.silentAfterMdi = true;
    const double before = m_machine.now;
    EXPECT_FALSE(c->Line("G0X0.0000"));
    // At most 100 units (the farthest limit) at 4 units/s, stretched, plus the margin.
    EXPECT_GT(m_machine.now - before, 25.0);
    EXPECT_LT(m_machine.now - before, 60.0);
    EXPECT_NE(Log().find("lost linuxcncrsh at \"set mdi G53 G0 X"), std::string::npos) << Log();
    EXPECT_FALSE(c->Line("G4D1"));
}

TEST_P(ControllerTest, ARefusalIsLoggedWithTheShellsErrorText) {
    m_machine.mdiAccepted = false;
    auto c = Make();
    ASSERT_TRUE(c->Line("L602XX"));
    EXPECT_FALSE(c->Line("G0X0.0000"));
    const std::string refusal = "refused \"G0X0.0000\": LinuxCNC refused the move";
    EXPECT_NE(Log().find(Rewritten() ? refusal + "; error: MDI command failed\n" : refusal + "\n"),
              std::string::npos)
        << Log();
}

TEST_P(ControllerTest, AJointLinuxCncDoesNotHaveIsRefused) {
    m_machine.joints = 0;  // LinuxCNC runs with fewer joints than the INI gives
    auto c = Make();
    EXPECT_FALSE(c->Line("L602XX"));
    EXPECT_NE(Log().find("joint 0 is not homed"), std::string::npos) << Log();
    if (Rewritten()) {
        EXPECT_NE(Log().find("error: joint 0 out of range"), std::string::npos) << Log();
    }
}

TEST_P(ControllerTest, AnotherSessionsPendingMdiRefusesAtOnce) {
    m_machine.otherSessionMdiActive = true;  // 2.9's shell knows no such clash
    auto c = Make();
    const bool accepted = c->Line("L602XX");
    EXPECT_EQ(accepted, !Rewritten());
    if (Rewritten()) {
        // The "error:" line is the whole answer: no NAK is waited for.
        EXPECT_LT(m_machine.now, 1.0);
        const std::string log = Log();
        const std::size_t refusal = log.find("refused \"L602XX\"");
        ASSERT_NE(refusal, std::string::npos) << log;
        const std::string line = log.substr(refusal, log.find('\n', refusal) - refusal);
        EXPECT_NE(line.find("; error: Cannot issue SET MODE while SET MDI"), std::string::npos)
            << line;
    }
}

TEST_P(ControllerTest, AnotherSessionTakesEnableAwayOnlyOnLinuxCnc29) {
    auto c = Make();
    CRshSession other(std::make_unique<CFakeRshLink>(m_machine));
    ASSERT_TRUE(other.Open(m_config));
    // 2.9 has one enable for all sessions: ours is refused, safely; the
    // rewritten shell keeps each session's own.
    EXPECT_EQ(c->Line("L602XX"), Rewritten());
    if (!Rewritten()) {
        EXPECT_STREQ(RefusalName(c->LastRefusal()), "MDI_SWITCH_FAILED") << Log();
    }
}

std::vector<std::string> RunLines(double start, double step, const std::vector<const char*>& v) {
    std::vector<std::string> lines = {"L600", "L602XX"};
    char text[64];
    std::snprintf(text, sizeof text, "G0X%.4f", start);
    lines.push_back(text);
    lines.push_back("G4D1");
    lines.push_back("L606 N0 V0");
    for (std::size_t i = 0; i < v.size(); ++i) {
        std::snprintf(text, sizeof text, "G1X%.4f", step * static_cast<double>(i + 1));
        lines.push_back(text);
        lines.push_back("G4D1");
        lines.push_back("L606 N" + std::to_string(i + 1) + " V" + v[i]);
    }
    lines.push_back("L601");
    return lines;
}

std::vector<std::string> LogLines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

TEST_P(ControllerTest, SeveralRunsEachWayWriteTheTableFromTheirMeans) {
    const std::string runLog = m_folder + "/comp_x-runs.csv";
    // Up: deviations -0.002/-0.003 and -0.004/-0.005 at 5 and 10.
    auto c = Make();
    ASSERT_EQ(SendRun(*c, RunLines(0, 5, {"0.0020", "0.0030"})), -1) << Log();
    ASSERT_EQ(SendRun(*c, RunLines(0, 5, {"0.0040", "0.0050"})), -1) << Log();
    EXPECT_EQ(Comp(),
              "0.000000 0.000000 0.000000\n5.000000 4.997000 5.000000\n"
              "10.000000 9.996000 10.000000\n");
    // Down from 10, reached moving up: tied to the up mean there, -0.004,
    // so the deviations are 0.002/0.001 and 0.004/0.003 at 5 and 0.
    ASSERT_EQ(SendRun(*c, RunLines(10, -5, {"-0.0060", "-0.0050"})), -1) << Log();
    ASSERT_EQ(SendRun(*c, RunLines(10, -5, {"-0.0080", "-0.0070"})), -1) << Log();
    // The down column at 10, measured moving up only, lies the mean
    // reversal at 5 (0.006) above the up column there.
    EXPECT_EQ(Comp(),
              "0.000000 0.000000 0.002000\n5.000000 4.997000 5.003000\n"
              "10.000000 9.996000 10.002000\n");

    std::string text;
    ASSERT_TRUE(ReadFileForTest(runLog, text));
    const std::vector<std::string> lines = LogLines(text);
    ASSERT_EQ(lines.size(), 13u) << text;
    EXPECT_EQ(lines[0], RUN_LOG_HEADER);
    // Run 3, point 0: the start, reached moving up, carries the tie.
    EXPECT_NE(lines[7].find("3,1,"), std::string::npos) << lines[7];
    EXPECT_NE(lines[7].find(",X,down,0,3,0,10.0000,0.0000,up,-0.004000"), std::string::npos)
        << lines[7];
    EXPECT_NE(lines[8].find(",X,down,0,3,1,5.0000,-0.0060,down,0.002000"), std::string::npos)
        << lines[8];
    std::string report;
    ASSERT_TRUE(ReadFileForTest(m_folder + "/comp_x-report.txt", report));
    EXPECT_NE(report.find("axis X: 2 runs moving up, 2 moving down"), std::string::npos) << report;
    const std::string log = Log();
    EXPECT_NE(log.find("run 4 kept in " + runLog), std::string::npos) << log;
    EXPECT_NE(log.find("figures of the runs in " + m_folder + "/comp_x-report.txt"),
              std::string::npos)
        << log;
}

TEST_P(ControllerTest, MeansMeetingAKeptPointKeepTheSlopeLimit) {
    // The kept point at 10.5 is edited between two runs of one measurement:
    // each run alone meets it within 0.5/64, the mean of both (0.01 below
    // it at 10) does not.
    WriteComp("0 0 0\n10 10 10\n10.5 10.5 10.5\n");
    auto c = Make();
    ASSERT_EQ(SendRun(*c, RunLines(0, 5, {"0.0000", "0.0000"})), -1) << Log();
    const std::string edited =
        "0.000000 0.000000 0.000000\n5.000000 5.000000 5.000000\n"
        "10.000000 10.000000 10.000000\n10.500000 10.520000 10.500000\n";
    WriteComp(edited);
    const std::vector<std::string> lines = RunLines(0, 5, {"-0.0100", "-0.0200"});
    EXPECT_EQ(SendRun(*c, lines), static_cast<int>(lines.size()) - 1) << Log();
    EXPECT_STREQ(RefusalName(c->LastRefusal()), "STEEP_JUNCTION");
    EXPECT_EQ(Comp(), edited);
}

TEST_P(ControllerTest, EachRunIsOnDiskWhenL601IsAnswered) {
    auto c = Make();
    const std::vector<std::string> lines = RunLines(0, 5, {"0.0020", "0.0030"});
    for (int run = 1; run <= 3; ++run) {
        ASSERT_EQ(SendRun(*c, std::vector<std::string>(lines.begin(), lines.end() - 1)), -1);
        std::string text;
        ReadFileForTest(m_folder + "/comp_x-runs.csv", text);
        EXPECT_EQ(LogLines(text).size(), run == 1 ? 0u : 1u + 3u * (run - 1));
        ASSERT_TRUE(c->Line("L601")) << Log();
        ReadFileForTest(m_folder + "/comp_x-runs.csv", text);
        EXPECT_EQ(LogLines(text).size(), 1u + 3u * run);
    }
}

TEST_P(ControllerTest, RunThatCannotBeKeptRefusesL601AndLeavesTheTable) {
    const std::string table = "0.000000 0.000000 0.000000\n5.000000 4.999000 5.000000\n";
    WriteComp(table);
    WriteFile("comp_x-runs.csv", std::string(RUN_LOG_HEADER) + "\nnot a run\n");
    auto c = Make();
    EXPECT_EQ(SendRun(*c, RunLines(0, 5, {"0.0020"})), 8);
    EXPECT_EQ(Comp(), table);
    EXPECT_NE(Log().find("the run cannot be kept, so no table: " + m_folder + "/comp_x-runs.csv"),
              std::string::npos)
        << Log();
}

TEST_P(ControllerTest, CutShortLastLineIsDroppedAndTheRunAppendedWhole) {
    auto c = Make();
    ASSERT_EQ(SendRun(*c, RunLines(0, 5, {"0.0020"})), -1) << Log();
    std::ofstream(m_folder + "/comp_x-runs.csv", std::ios::app) << "2,1,2026-01-01T00:0";
    ASSERT_EQ(SendRun(*c, RunLines(0, 5, {"0.0040"})), -1) << Log();
    std::string text;
    ASSERT_TRUE(ReadFileForTest(m_folder + "/comp_x-runs.csv", text));
    const std::vector<std::string> lines = LogLines(text);
    ASSERT_EQ(lines.size(), 5u) << text;
    EXPECT_EQ(lines[3].compare(0, 4, "2,1,"), 0) << text;
    EXPECT_EQ(lines[4].compare(0, 4, "2,1,"), 0) << text;
    // The mean of both runs: -0.003 at 5.
    EXPECT_EQ(Comp(), "0.000000 0.000000 0.000000\n5.000000 4.997000 5.000000\n");
}

TEST_P(ControllerTest, RunAfterLinuxCncRestartedBeginsAMeasurement) {
    auto c = Make();
    ASSERT_EQ(SendRun(*c, RunLines(0, 5, {"0.0020"})), -1) << Log();
    // Homed anew: the earlier run's reference is gone.
    Touch("linuxcnc.lock", 5);
    ASSERT_EQ(SendRun(*c, RunLines(0, 5, {"0.0040"})), -1) << Log();
    EXPECT_EQ(Comp(), "0.000000 0.000000 0.000000\n5.000000 4.996000 5.000000\n");
    std::string text;
    ASSERT_TRUE(ReadFileForTest(m_folder + "/comp_x-runs.csv", text));
    EXPECT_EQ(LogLines(text).back().compare(0, 4, "2,2,"), 0) << text;
}

TEST_P(ControllerTest, VerificationRunIsLoggedWithTheTableInForce) {
    WriteIni("COMP_FILE = comp_x.dat\nCOMP_FILE_TYPE = 0\n");
    WriteComp("0.000000 0.000000 0.000000\n5.000000 4.998000 5.001000\n");
    auto c = Make();
    std::vector<std::string> lines = RunLines(0, 5, {"0.0005"});
    lines.erase(lines.begin());  // no "L600" with a table in force
    ASSERT_EQ(SendRun(*c, lines), -1) << Log();
    std::string text;
    ASSERT_TRUE(ReadFileForTest(m_folder + "/comp_x-runs.csv", text));
    EXPECT_NE(LogLines(text).back().find(",X,up,1,2,1,5.0000,0.0005,up,-0.000500"),
              std::string::npos)
        << text;
    std::string report;
    ASSERT_TRUE(ReadFileForTest(m_folder + "/comp_x-report.txt", report));
    EXPECT_NE(report.find("with the table in force: 1 verification run ("), std::string::npos)
        << report;
}

// Several verification runs each way in one start: each is measured
// through the table LinuxCNC loaded, which stays as it is, and the
// candidate beside it is the table plus the mean residual so far.
TEST_P(ControllerTest, VerificationRunsInOneStartRefineTheCandidateFromTheirMean) {
    WriteIni("COMP_FILE = comp_x.dat\nCOMP_FILE_TYPE = 0\n");
    const std::string inForce =
        "0.000000 0.000000 0.000000\n5.000000 4.998000 5.001000\n10.000000 9.997000 10.002000\n";
    WriteComp(inForce);
    struct Row {
        const char* name;
        double start;
        double step;
        std::vector<const char*> corrections;
        const char* candidate;
    };
    const Row rows[] = {
        {"up: residual -0.0005, -0.0010",
         0,
         5,
         {"0.0005", "0.0010"},
         "0.000000 0.000000 0.000000\n5.000000 4.997500 5.001000\n10.000000 9.996000 10.002000\n"},
        {"up again: the mean, -0.0004 and -0.0009",
         0,
         5,
         {"0.0003", "0.0008"},
         "0.000000 0.000000 0.000000\n5.000000 4.997600 5.001000\n10.000000 9.996100 10.002000\n"},
        // Tied at 10 to the up mean there, -0.0009: -0.0010 at 5, -0.0011
        // at 0; at 10, measured moving up only, the residual at 5 is held.
        {"down from 10",
         10,
         -5,
         {"0.0001", "0.0002"},
         "0.000000 0.000000 -0.001100\n5.000000 4.997600 5.000000\n"
         "10.000000 9.996100 10.001000\n"},
    };
    auto c = Make();
    for (const Row& row : rows) {
        std::vector<std::string> lines = RunLines(row.start, row.step, row.corrections);
        lines.erase(lines.begin());  // no "L600" with a table in force
        ASSERT_EQ(SendRun(*c, lines), -1) << row.name << "\n" << Log();
        EXPECT_EQ(Comp(), inForce) << row.name;
        std::string candidate;
        ASSERT_TRUE(ReadFileForTest(m_folder + "/comp_x-refined.dat", candidate)) << row.name;
        EXPECT_EQ(candidate, row.candidate) << row.name;
    }
}

TEST_P(ControllerTest, ACandidateBeyondTheSlopeLimitIsRefusedAndTheRunKept) {
    WriteIni("COMP_FILE = comp_x.dat\nCOMP_FILE_TYPE = 0\n");
    // Allowed: 5 / 64 = 0.078125 between the points; the table has -0.07.
    const std::string inForce = "0.000000 0.000000 0.000000\n5.000000 4.930000 5.000000\n";
    WriteComp(inForce);
    auto c = Make();
    std::vector<std::string> lines = RunLines(0, 5, {"0.0100"});
    lines.erase(lines.begin());
    EXPECT_EQ(SendRun(*c, lines), static_cast<int>(lines.size()) - 1) << Log();
    EXPECT_NE(Log().find("the refined correction changes by more than 0.078125"), std::string::npos)
        << Log();
    EXPECT_NE(Log().find("(the run is kept in"), std::string::npos) << Log();
    EXPECT_EQ(Comp(), inForce);
    std::string candidate;
    EXPECT_FALSE(ReadFileForTest(m_folder + "/comp_x-refined.dat", candidate));
}

struct BadTableRow {
    const char* name;
    std::string text;
    const char* why;
};

TEST_P(ControllerTest, RefusesACompensationFileLinuxCncWouldReadWrongly) {
    std::string tooLong;
    for (int i = 0; i <= 256; ++i) tooLong += std::to_string(i) + " " + std::to_string(i) + " 0\n";
    const BadTableRow rows[] = {
        {"header", "nominal up down\n0 0 0\n5 5 5\n", "line 1 is not three numbers"},
        {"comment", "0 0 0\n# measured today\n5 5 5\n", "line 2 is not three numbers"},
        {"blank between", "0 0 0\n\n5 5 5\n", "line 2 is not three numbers"},
        {"text after the numbers", "0 0 0 mm\n5 5 5\n", "line 1 is not three numbers"},
        {"descending", "0 0 0\n5 5 5\n4 4 4\n", "line 3: the nominals must ascend"},
        {"twice", "0 0 0\n5 5 5\n5 5 5\n", "line 3: the nominals must ascend"},
        {"not finite", "0 0 0\n5 nan 5\n", "line 2 holds a number that is not finite"},
        {"beyond any travel", "0 0 0\n5 1e12 5\n", "line 2 holds a number that is not finite"},
        {"257 lines", tooLong, "more than 256 lines"},
    };
    for (const BadTableRow& row : rows) {
        SCOPED_TRACE(row.name);
        WriteComp(row.text);
        ResetMachine();
        auto c = Make();
        EXPECT_EQ(Send(*c, kPositiveRun), 1);
        EXPECT_NE(Log().find(m_folder + "/comp_x.dat: " + row.why), std::string::npos) << Log();
        EXPECT_EQ(Comp(), row.text);
        for (const std::string& r : m_machine.requests) EXPECT_NE(r.compare(0, 8, "set mdi "), 0);
    }
    // Blank lines at the end lose nothing.
    WriteComp("0 0 0\n5 5 5\n\n\n");
    auto c = Make();
    EXPECT_EQ(Send(*c, kPositiveRun), -1) << Log();
}

TEST_P(ControllerTest, FilesThatAreThereButCannotBeReadAreRefusedBeforeAnyMove) {
    WriteFile("axes.inc", "[JOINT_0]\nMIN_LIMIT = -10\nMAX_LIMIT = 100\n");
    const struct Row {
        const char* name;
        const char* spoilt;  // made unreadable once LinuxCNC runs
        const char* ini;     // what [JOINT_0] holds beyond its limits
        const char* why;     // what the log says before the path's reason
    } rows[] = {
        // Between a positive and a negative run: the next run must not start
        // a new table in its place.
        {"table", "comp_x.dat", "", "refused \"L602XX\": cannot read "},
        {"INI", "machine.ini", "", "refused \"L602XX\": cannot read "},
        {"included file", "axes.inc", "#INCLUDE axes.inc\n", " that "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WriteIni(row.ini);
        ResetMachine();
        auto up = Make();
        ASSERT_EQ(Send(*up, kPositiveRun), -1) << Log();
        const std::string spoilt = m_folder + "/" + row.spoilt;
        const std::string reason = MakeUnreadable(spoilt);
        m_machine.requests.clear();
        auto down = Make();
        EXPECT_EQ(Send(*down, {"L600", "L602XX", "G0X10.0000"}), 1);
        const std::string log = Log();
        RemoveUnreadable(spoilt);
        EXPECT_NE(log.find(row.why), std::string::npos) << log;
        EXPECT_NE(log.find(spoilt + ": " + reason), std::string::npos) << log;
        for (const std::string& r : m_machine.requests) EXPECT_NE(r.compare(0, 8, "set mdi "), 0);
        std::remove((m_folder + "/comp_x-runs.csv").c_str());
    }
}

INSTANTIATE_TEST_SUITE_P(BothShells, ControllerTest,
                         ::testing::Values(RshPersonality::LINUXCNC_2_9, RshPersonality::REWRITTEN),
                         [](const ::testing::TestParamInfo<RshPersonality>& shell) {
                             return shell.param == RshPersonality::REWRITTEN ? "Rewritten"
                                                                             : "LinuxCnc29";
                         });

}  // namespace

}  // namespace pitchwise
