#include "linuxcnc_controller.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>

#include "fake_rsh_link.h"

namespace {

class ControllerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char folder[] = "/tmp/linuxcnc-controller-test.XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_folder = folder;
        WriteIni("");
        m_config.iniFile = m_folder + "/machine.ini";
        m_config.lockFile = m_folder + "/linuxcnc.lock";
        ResetMachine();
        m_config.compFile[0] = m_folder + "/comp_x.dat";
        m_config.logFile = m_folder + "/tarvex.log";
        m_config.maxCorrection = 0.05;
    }
    void TearDown() override {
        for (const char* name :
             {"machine.ini", "machine.ini.expanded", "other.ini", "axes.inc", "comp_x.dat",
              "comp_x.dat.bak", "comp_y.dat", "comp_y2.dat", "tarvex.log", "linuxcnc.lock"}) {
            std::remove((m_folder + "/" + name).c_str());
        }
        rmdir(m_folder.c_str());
    }
    void ResetMachine() {
        m_machine = FakeMachine();
        m_machine.iniFile = m_folder + "/machine.ini";
    }
    // A three-axis millimetre mill; `extra` goes on in [JOINT_0].
    void WriteIni(const std::string& extra) {
        WriteFile("machine.ini",
                  "[TRAJ]\nCOORDINATES = X Y Z\nLINEAR_UNITS = mm\n"
                  "[KINS]\nKINEMATICS = trivkins\nJOINTS = 3\n"
                  "[JOINT_0]\nMIN_LIMIT = -10\nMAX_LIMIT = 100\n" +
                      extra);
    }
    void WriteFile(const std::string& name, const std::string& text) {
        std::ofstream(m_folder + "/" + name) << text;
    }
    // LinuxCNC starts: every file written so far is what it runs.
    void StartLinuxCnc() { Touch("linuxcnc.lock", 0); }
    // Sets a file's time `offset` seconds from now.
    void Touch(const std::string& name, int offset) {
        const std::string path = m_folder + "/" + name;
        std::ofstream(path, std::ios::app).close();
        timespec times[2];
        clock_gettime(CLOCK_REALTIME, &times[0]);
        times[0].tv_sec += offset;
        times[1] = times[0];
        utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
    void WriteComp(const std::string& text) { std::ofstream(m_folder + "/comp_x.dat") << text; }
    std::string Comp() {
        std::string text;
        ReadTextFile(m_folder + "/comp_x.dat", text);
        return text;
    }
    std::unique_ptr<CLinuxCncController> Make() {
        StartLinuxCnc();
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

TEST_F(ControllerTest, PositiveRunWritesActualPositionsAndTheExactMdiLines) {
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

TEST_F(ControllerTest, NegativeRunKeepsThePositiveColumnAndTiesToItAtTheStart) {
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
    ASSERT_TRUE(ReadTextFile(m_folder + "/comp_x.dat.bak", backup));
    EXPECT_EQ(backup.substr(0, 27), "0.000000 0.000000 0.000000\n");
}

TEST_F(ControllerTest, RunWithTheTableInForceRefinesIt) {
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

TEST_F(ControllerTest, RefusesWhatItCannotDoSafely) {
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

TEST_F(ControllerTest, SteepChangeIsMeasuredAgainstThePointSpacing) {
    auto c = Make();
    // Spacing 1.28: 1/64 of it is 0.02, so 0.0200 passes and the next 0.0201 step fails.
    EXPECT_EQ(Send(*c, {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X1.2800", "G4D1",
                        "L606 N1 V0.0200", "G1X2.5600", "G4D1", "L606 N2 V0.0401"}),
              9);
}

TEST_F(ControllerTest, RefusesAMachineThatIsNotReady) {
    m_machine.machineOn = false;
    auto off = Make();
    EXPECT_FALSE(off->Line("L602XX"));
    m_machine.machineOn = true;
    m_machine.homed = false;
    auto notHomed = Make();
    EXPECT_FALSE(notHomed->Line("L602XX"));
    EXPECT_NE(Log().find("not homed"), std::string::npos);
}

TEST_F(ControllerTest, RefusesL600WhileATableIsInForce) {
    WriteIni("COMP_FILE = comp_x.dat\nCOMP_FILE_TYPE = 0\n");
    auto c = Make();
    EXPECT_TRUE(c->Line("L600"));
    EXPECT_FALSE(c->Line("L602XX"));
    EXPECT_NE(Log().find("is in force"), std::string::npos);
}

TEST_F(ControllerTest, RefusesACompensationFileOfType1) {
    WriteIni("COMP_FILE = comp_x.dat\nCOMP_FILE_TYPE = 1\n");
    auto c = Make();
    EXPECT_FALSE(c->Line("L602XX"));
}

TEST_F(ControllerTest, RefusesATableBeyond256Points) {
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

TEST_F(ControllerTest, OldPointsCountTowardsTheLimit) {
    std::string old;
    for (int i = 0; i < 255; ++i) old += std::to_string(-9.0 + i * 0.01) + " 0 0\n";
    WriteComp(old);  // 255 points below 0: the run's 2 points make 257
    auto c = Make();
    EXPECT_EQ(
        Send(*c, {"L602XX", "G0X10.0000", "G4D1", "L606 N0 V0", "G1X1.0000", "G4D1", "L606 N1 V0"}),
        6);
}

TEST_F(ControllerTest, MoveThatStopsShortFaultsTheRun) {
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

TEST_F(ControllerTest, LostConnectionEndsTheWaitAndRefusesTheRest) {
    auto c = Make();
    ASSERT_TRUE(c->Line("L602XX"));
    m_machine.dropAfterMdi = true;
    ASSERT_TRUE(c->Line("G0X0.0000"));
    EXPECT_FALSE(c->InMotion());
    EXPECT_FALSE(c->Line("G4D1"));
}

TEST_F(ControllerTest, TableThatCannotBeWrittenRefusesTheEndAndKeepsTheOldFile) {
    m_config.compFile[0] = m_folder + "/missing/comp_x.dat";
    auto c = Make();
    EXPECT_EQ(Send(*c, kPositiveRun), 11);
    EXPECT_NE(Log().find("cannot create"), std::string::npos);
}

TEST_F(ControllerTest, NextInitStartsAFreshRun) {
    auto c = Make();
    ASSERT_EQ(Send(*c, {"L600", "L602XX", "G0X0.0000"}), -1);
    ASSERT_TRUE(c->Init());
    // The start and the L600 of the abandoned run are gone.
    EXPECT_FALSE(c->Line("G4D1"));
    ASSERT_TRUE(c->Init());
    EXPECT_EQ(Send(*c, kPositiveRun), -1) << Log();
}

TEST_F(ControllerTest, InitFailsWhenLinuxCncIsAbsentOrRefusesTheSession) {
    m_machine.reachable = false;
    CLinuxCncController absent(m_config, std::make_unique<CFakeRshLink>(m_machine));
    EXPECT_FALSE(absent.Init());
    m_machine.reachable = true;
    m_machine.helloAccepted = false;
    CLinuxCncController refused(m_config, std::make_unique<CFakeRshLink>(m_machine));
    EXPECT_FALSE(refused.Init());
}

}  // namespace
