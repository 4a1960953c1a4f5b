#include "linuxcnc_controller.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "fake_rsh_link.h"

namespace {

// Every case runs against both shells: LinuxCNC 2.9's and the rewritten one.
class ControllerTest : public ::testing::TestWithParam<RshPersonality> {
  protected:
    void SetUp() override {
        ResetMachine();
        char folder[] = "/tmp/linuxcnc-controller-test.XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_folder = folder;
        WriteIni("");
        m_config.iniFile = m_folder + "/machine.ini";
        m_config.compFile[0] = m_folder + "/comp_x.dat";
        m_config.logFile = m_folder + "/tarvex.log";
        m_config.maxCorrection = 0.05;
    }
    void TearDown() override {
        for (const char* name : {"machine.ini", "comp_x.dat", "comp_x.dat.bak", "tarvex.log"}) {
            std::remove((m_folder + "/" + name).c_str());
        }
        rmdir(m_folder.c_str());
    }
    void ResetMachine() {
        m_machine = FakeMachine();
        m_machine.personality = GetParam();
        // 2.9's answers arrive a few bytes at a time, so every line end is
        // split somewhere; the rewritten shell's arrive whole, several at once.
        m_machine.chunkBytes = GetParam() == RshPersonality::LINUXCNC_2_9 ? 3 : 0;
    }
    bool Rewritten() const { return GetParam() == RshPersonality::REWRITTEN; }
    void WriteIni(const std::string& extra) {
        std::ofstream(m_folder + "/machine.ini") << "[JOINT_0]\nMIN_LIMIT = -10\nMAX_LIMIT = 100\n"
                                                 << extra;
    }
    void WriteComp(const std::string& text) { std::ofstream(m_folder + "/comp_x.dat") << text; }
    std::string Comp() {
        std::string text;
        ReadTextFile(m_folder + "/comp_x.dat", text);
        return text;
    }
    std::unique_ptr<CLinuxCncController> Make() {
        auto controller = std::make_unique<CLinuxCncController>(
            m_config, std::make_unique<CFakeRshLink>(m_machine));
        EXPECT_TRUE(controller->Init());
        return controller;
    }
    // Sends each line, waiting out the motion as Pitchwise does; returns the
    // index of the first refused line, or -1.
    int Send(CLinuxCncController& c, const std::vector<std::string>& lines) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (!c.Line(lines[i].c_str())) return static_cast<int>(i);
            for (int polls = 0; c.InMotion(); ++polls) {
                if (polls > 1000) return static_cast<int>(i);
            }
        }
        return -1;
    }
    std::string Log() {
        std::string text;
        ReadTextFile(m_config.logFile, text);
        return text;
    }

    std::string m_folder;
    LinuxCncConfig m_config;
    FakeMachine m_machine;
};

const std::vector<std::string> kPositiveRun = {
    "L600", "L602XX",          "G0X0.0000",  "G4D1", "L606 N0 V0",      "G1X5.0000",
    "G4D1", "L606 N1 V0.0020", "G1X10.0000", "G4D1", "L606 N2 V0.0030", "L601"};

TEST_P(ControllerTest, PositiveRunWritesActualPositionsAndTheExactMdiLines) {
    auto c = Make();
    ASSERT_EQ(Send(*c, kPositiveRun), -1) << Log();
    EXPECT_EQ(
        Comp(),
        "0.000000 0.000000 0.000000\n5.000000 4.998000 5.000000\n10.000000 9.997000 10.000000\n");
    std::vector<std::string> mdi;
    for (const std::string& r : m_machine.requests) {
        if (r.compare(0, 8, "set mdi ") == 0) mdi.push_back(r.substr(8));
    }
    std::vector<std::string> expected = {"G53 G0 X0.000000",           "G4 P1.000",
                                         "G53 G1 X5.000000 F300.000",  "G4 P1.000",
                                         "G53 G1 X10.000000 F300.000", "G4 P1.000"};
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
    // Negative column: nominal - correction + (positive actual at 10 - 10).
    EXPECT_EQ(
        Comp(),
        "0.000000 0.000000 -0.002000\n5.000000 4.998000 4.996000\n10.000000 9.997000 9.997000\n");
    std::string backup;
    ASSERT_TRUE(ReadTextFile(m_folder + "/comp_x.dat.bak", backup));
    EXPECT_EQ(backup.substr(0, 27), "0.000000 0.000000 0.000000\n");
}

TEST_P(ControllerTest, RunWithTheTableInForceRefinesIt) {
    WriteIni("COMP_FILE = comp_x.dat\nCOMP_FILE_TYPE = 0\n");
    WriteComp("0.000000 0.000000 0.000000\n5.000000 4.998000 5.001000\n");
    auto c = Make();
    ASSERT_EQ(Send(*c, {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X5.0000", "G4D1",
                        "L606 N1 V0.0005", "L601"}),
              -1)
        << Log();
    EXPECT_EQ(Comp(), "0.000000 0.000000 0.000000\n5.000000 4.997500 5.001000\n");
}

struct RefusalRow {
    const char* name;
    std::vector<std::string> lines;
    int refused;  // index of the line that must be refused
    const char* why;
};

TEST_P(ControllerTest, RefusesWhatItCannotDoSafely) {
    const RefusalRow rows[] = {
        {"unknown line", {"M3"}, 0, "not a command"},
        {"differing axis letters", {"L602XY"}, 0, "not a command"},
        {"move before the axis line", {"G0X0.0000"}, 0, "not the axis"},
        {"start outside the limits", {"L602XX", "G0X-11.0000"}, 1, "outside the joint's limits"},
        {"point outside the limits",
         {"L602XX", "G0X95.0000", "G4D1", "L606 N0 V0", "G1X10.0000"},
         4,
         "outside the joint's limits"},
        {"step on another axis",
         {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1Y1.0000"},
         4,
         "no start"},
        {"step before the entry", {"L602XX", "G0X0.0000", "G1X1.0000"}, 2, "has no entry"},
        {"step back",
         {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X1.0000", "G4D1", "L606 N1 V0",
          "G1X0.5000"},
         7,
         "run's direction"},
        {"first entry not 0", {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0.0010"}, 3, "reference"},
        {"entry out of order",
         {"L602XX", "G0X0.0000", "G4D1", "L606 N1 V0"},
         3,
         "expected the entry"},
        {"correction too large",
         {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X10.0000", "G4D1", "L606 N1 V0.0600"},
         6,
         "max_correction"},
        {"change too steep",
         {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X1.0000", "G4D1", "L606 N1 V0.0200"},
         6,
         "change from the previous point"},
        {"end before any entry", {"L602XX", "G0X0.0000", "L601"}, 2, "not complete"},
        {"L600 after the axis line", {"L602XX", "L600"}, 1, "only before"},
        {"second axis line", {"L602XX", "L602XX"}, 1, "already running"},
    };
    for (const RefusalRow& row : rows) {
        SCOPED_TRACE(row.name);
        ResetMachine();
        auto c = Make();
        EXPECT_EQ(Send(*c, row.lines), row.refused);
        EXPECT_NE(Log().find(row.why), std::string::npos) << Log();
    }
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
    EXPECT_NE(Log().find("not homed"), std::string::npos);
}

TEST_P(ControllerTest, RefusesL600WhileATableIsInForce) {
    WriteIni("COMP_FILE = comp_x.dat\nCOMP_FILE_TYPE = 0\n");
    auto c = Make();
    EXPECT_TRUE(c->Line("L600"));
    EXPECT_FALSE(c->Line("L602XX"));
    EXPECT_NE(Log().find("is in force"), std::string::npos);
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
    ASSERT_EQ(Send(*c, lines), -1) << Log();
    EXPECT_FALSE(c->Line("G1X64.0000"));  // the 257th point
    EXPECT_TRUE(c->Line("L601"));
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
    EXPECT_NE(Log().find("cannot create"), std::string::npos);
}

TEST_P(ControllerTest, NextInitStartsAFreshRun) {
    auto c = Make();
    ASSERT_EQ(Send(*c, {"L600", "L602XX", "G0X0.0000"}), -1);
    ASSERT_TRUE(c->Init());
    // The start and the L600 of the abandoned run are gone.
    EXPECT_FALSE(c->Line("G4D1"));
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
    EXPECT_NE(Log().find("lost linuxcncrsh at \"set mdi G53 G0 X0.000000\""), std::string::npos)
        << Log();
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
    m_config.joint[0] = 5;  // the machine has three
    auto c = Make();
    EXPECT_FALSE(c->Line("L602XX"));
    EXPECT_NE(Log().find("joint 5 is not homed"), std::string::npos) << Log();
    if (Rewritten()) {
        EXPECT_NE(Log().find("error: joint 5 out of range"), std::string::npos) << Log();
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
        EXPECT_NE(Log().find("refused MDI mode; error: Cannot issue SET MODE while SET MDI"),
                  std::string::npos)
            << Log();
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
        EXPECT_NE(Log().find("LinuxCNC refused MDI mode"), std::string::npos) << Log();
    }
}

INSTANTIATE_TEST_SUITE_P(BothShells, ControllerTest,
                         ::testing::Values(RshPersonality::LINUXCNC_2_9, RshPersonality::REWRITTEN),
                         [](const ::testing::TestParamInfo<RshPersonality>& shell) {
                             return shell.param == RshPersonality::REWRITTEN ? "Rewritten"
                                                                             : "LinuxCnc29";
                         });

}  // namespace
