// Every refusal of a mapping run, one row each: the setup that calls for
// it and the code it must give, each row on a fresh machine and checked by
// its code alone.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "controller_fixture.h"
#include "run_log.h"
#include "text.h"

namespace pitchwise {

namespace {

class RefusalTest : public ControllerTest {
  protected:
    struct Row {
        Refusal refusal;
        std::vector<std::string> lines;
        int refused;                                       // index of the line refused
        std::function<void()> setup;                       // before LinuxCNC starts
        std::function<void(CLinuxCncController&)> before;  // before the refused line
    };

    void Check(const Row& row) {
        SCOPED_TRACE(RefusalName(row.refusal));
        ResetMachine();
        m_config = m_defaults;
        WriteIni("");
        for (const char* name : {"comp_x.dat", "comp_x-runs.csv", "comp_x.dat.bak"})
            RemoveUnreadable(m_folder + "/" + name);
        if (row.setup) row.setup();
        auto c = Make();
        const std::vector<std::string> first(row.lines.begin(), row.lines.begin() + row.refused);
        ASSERT_EQ(Send(*c, first), -1) << Log();
        if (row.before) row.before(*c);
        EXPECT_FALSE(c->Line(row.lines[row.refused].c_str()));
        EXPECT_STREQ(RefusalName(c->LastRefusal()), RefusalName(row.refusal)) << Log();
        // Control given back, where the session is still there to say so.
        if (row.refusal != Refusal::NO_SESSION) {
            EXPECT_FALSE(m_machine.enabled);
        }
    }
    void SetUp() override {
        ControllerTest::SetUp();
        m_defaults = m_config;
    }

    LinuxCncConfig m_defaults;
};

std::vector<std::string> With(std::vector<std::string> lines,
                              const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

// 256 points from 0, 0.25 apart, and a step to a 257th.
std::vector<std::string> FullTable() {
    std::vector<std::string> lines = {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0"};
    for (int i = 1; i <= 255; ++i) {
        lines.push_back(Format("G1X%.4f", i * 0.25));
        lines.push_back("G4D1");
        lines.push_back(Format("L606 N%d V0", i));
    }
    lines.push_back("G1X64.0000");
    return lines;
}

TEST_P(RefusalTest, EachRefusalHasItsCode) {
    const std::vector<std::string> started = {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0"};
    const std::vector<std::string> twoPoints =
        With(started, {"G1X5.0000", "G4D1", "L606 N1 V0.0010"});
    const std::string gantry =
        "[TRAJ]\nCOORDINATES = X Y Y Z\nLINEAR_UNITS = mm\n"
        "[KINS]\nKINEMATICS = trivkins coordinates=XYYZ kinstype=BOTH\nJOINTS = 4\n"
        "[JOINT_0]\nMIN_LIMIT = -10\nMAX_LIMIT = 100\n[JOINT_3]\nMIN_LIMIT = -10\nMAX_LIMIT = 10\n"
        "[JOINT_1]\nMIN_LIMIT = -10\nMAX_LIMIT = 100\nCOMP_FILE = comp_y.dat\n"
        "[JOINT_2]\nMIN_LIMIT = -10\nMAX_LIMIT = 50\nCOMP_FILE = comp_y2.dat\n";
    const Row rows[] = {
        {Refusal::NO_SESSION,
         {"L602XX", "G0X0.0000", "G4D1"},
         2,
         [this] { m_machine.dropAfterMdi = true; },
         nullptr},
        {Refusal::EARLIER_MOVE_FAULTED,
         {"L602XX", "G0X0.0000", "G4D1"},
         2,
         [this] { m_machine.followTargets = false; },
         nullptr},
        {Refusal::NOT_A_COMMAND, {"M3"}, 0, nullptr, nullptr},
        {Refusal::NOT_A_COMMAND, {"L602XY"}, 0, nullptr, nullptr},
        {Refusal::L600_AFTER_AXIS_LINE, {"L602XX", "L600"}, 1, nullptr, nullptr},
        {Refusal::ALREADY_MAPPING, {"L602XX", "L602XX"}, 1, nullptr, nullptr},
        {Refusal::MACHINE_OFF, {"L602XX"}, 0, [this] { m_machine.machineOn = false; }, nullptr},
        {Refusal::NOT_IDLE, {"L602XX"}, 0, [this] { m_machine.idleStatus = "PAUSED"; }, nullptr},
        // Switched to manual after the dwell, the joint not moved: a jog
        // could follow, so no entry is taken.
        {Refusal::NOT_IN_MDI, started, 3, nullptr,
         [this](CLinuxCncController&) { m_machine.mode = "MANUAL"; }},
        {Refusal::OTHER_INI_RUNNING,
         {"L602XX"},
         0,
         [this] { m_machine.iniFile = m_folder + "/other.ini"; },
         nullptr},
        {Refusal::NO_INI,
         {"L602XX"},
         0,
         [this] {
             m_config.iniFile.clear();
             m_machine.iniFile.clear();
         },
         nullptr},
        {Refusal::FILE_UNREADABLE,
         {"L602XX"},
         0,
         [this] { MakeUnreadable(m_folder + "/comp_x.dat"); },
         nullptr},
        {Refusal::FILE_UNREADABLE,
         {"L602XX"},
         0,
         [this] { MakeUnreadable(m_folder + "/comp_x-runs.csv"); },
         nullptr},
        {Refusal::AXIS_NOT_MAPPABLE, {"L602YY"}, 0, nullptr, nullptr},
        {Refusal::NO_LOCK_FILE,
         {"L602XX"},
         0,
         nullptr,
         [this](CLinuxCncController&) { std::remove(m_config.lockFile.c_str()); }},
        {Refusal::CHANGED_SINCE_START,
         {"L602XX"},
         0,
         nullptr,
         [this](CLinuxCncController&) { Touch("machine.ini", 5); }},
        {Refusal::JOINT_CONTRADICTS_KINEMATICS,
         {"L602XX"},
         0,
         [this] { m_config.joint[0] = 1; },
         nullptr},
        {Refusal::NOT_HOMED, {"L602XX"}, 0, [this] { m_machine.homed = false; }, nullptr},
        {Refusal::GANTRY_TABLES_DIFFER,
         {"L602YY"},
         0,
         [this, gantry] { WriteFile("machine.ini", gantry); },
         nullptr},
        {Refusal::COMP_FILE_TYPE_NOT_0,
         {"L602XX"},
         0,
         [this] { WriteIni("COMP_FILE = comp_x.dat\nCOMP_FILE_TYPE = 1\n"); },
         nullptr},
        {Refusal::COMP_FILE_DIFFERS,
         {"L602XX"},
         0,
         [this] { WriteIni("COMP_FILE = other.dat\n"); },
         nullptr},
        {Refusal::L600_WITH_TABLE_IN_FORCE,
         {"L600", "L602XX"},
         1,
         [this] { WriteIni("COMP_FILE = comp_x.dat\n"); },
         nullptr},
        {Refusal::BACKLASH_IN_FORCE,
         {"L602XX"},
         0,
         [this] { WriteIni("BACKLASH = 0.02\n"); },
         nullptr},
        {Refusal::NO_COMP_FILE, {"L602XX"}, 0, [this] { m_config.compFile[0].clear(); }, nullptr},
        {Refusal::TABLE_UNSOUND,
         {"L602XX"},
         0,
         [this] { WriteComp("nominal up down\n0 0 0\n"); },
         nullptr},
        {Refusal::MODES_DIFFER,
         {"L602XX"},
         0,
         [this] { m_machine.programCodes = "G21 G91 G94"; },
         nullptr},
        {Refusal::MDI_SWITCH_FAILED,
         {"L602XX"},
         0,
         [this] { m_machine.modeAccepted = false; },
         nullptr},
        {Refusal::NOT_THE_MAPPED_AXIS, {"G0X0.0000"}, 0, nullptr, nullptr},
        {Refusal::NOT_THE_MAPPED_AXIS, {"L602XX", "G0Y0.0000"}, 1, nullptr, nullptr},
        {Refusal::START_ALREADY_SET, {"L602XX", "G0X0.0000", "G0X0.0000"}, 2, nullptr, nullptr},
        {Refusal::START_OUTSIDE_LIMITS, {"L602XX", "G0X-11.0000"}, 1, nullptr, nullptr},
        {Refusal::NO_ROOM_TO_APPROACH,
         {"L602XX", "G0X5.0000"},
         1,
         [this] {
             WriteFile("machine.ini",
                       "[TRAJ]\nCOORDINATES = X\nLINEAR_UNITS = mm\n[KINS]\n"
                       "KINEMATICS = trivkins\n[JOINT_0]\nMIN_LIMIT = 5\n"
                       "MAX_LIMIT = 5\n");
         },
         nullptr},
        {Refusal::MOVE_REFUSED,
         {"L602XX", "G0X0.0000"},
         1,
         [this] { m_machine.mdiAccepted = false; },
         nullptr},
        {Refusal::MOVE_REFUSED, With(started, {"G1X5.0000"}), 4, nullptr,
         [this](CLinuxCncController&) { m_machine.mdiAccepted = false; }},
        {Refusal::NO_MAPPING, {"G4D1"}, 0, nullptr, nullptr},
        {Refusal::DWELL_REFUSED,
         {"L602XX", "G0X0.0000", "G4D1"},
         2,
         nullptr,
         [this](CLinuxCncController&) { m_machine.mdiAccepted = false; }},
        {Refusal::NO_START, {"L602XX", "G1X1.0000"}, 1, nullptr, nullptr},
        {Refusal::NO_START, With(started, {"G1Y1.0000"}), 4, nullptr, nullptr},
        {Refusal::POINT_WITHOUT_ENTRY, {"L602XX", "G0X0.0000", "G1X1.0000"}, 2, nullptr, nullptr},
        {Refusal::TABLE_FULL, FullTable(), 4 + 3 * 255, [this] { m_config.maxCorrection = 1.0; },
         nullptr},
        {Refusal::WRONG_DIRECTION, With(started, {"G1X1.0000", "G4D1", "L606 N1 V0", "G1X0.5000"}),
         7, nullptr, nullptr},
        {Refusal::POINT_OUTSIDE_LIMITS,
         {"L602XX", "G0X95.0000", "G4D1", "L606 N0 V0", "G1X10.0000"},
         4,
         nullptr,
         nullptr},
        {Refusal::NOTHING_TO_TIE_TO,
         {"L602XX", "G0X10.0000", "G4D1", "L606 N0 V0", "G1X-5.0000"},
         4,
         nullptr,
         nullptr},
        {Refusal::NO_START_YET, {"L602XX", "L606 N0 V0"}, 1, nullptr, nullptr},
        {Refusal::ENTRY_OUT_OF_ORDER,
         {"L602XX", "G0X0.0000", "G4D1", "L606 N1 V0"},
         3,
         nullptr,
         nullptr},
        {Refusal::STILL_MOVING,
         {"L602XX", "G0X0.0000", "L606 N0 V0"},
         2,
         nullptr,
         [](CLinuxCncController& c) { c.Line("G4D1"); }},
        // Jogged after the dwell, the mode back to MDI.
        {Refusal::NOT_IN_POSITION, With(started, {"G1X5.0000", "G4D1", "L606 N1 V0"}), 6, nullptr,
         [this](CLinuxCncController&) { m_machine.jointPos = 5.05; }},
        // The same at the end, after the last entry.
        {Refusal::NOT_IN_POSITION, With(twoPoints, {"L601"}), 7, nullptr,
         [this](CLinuxCncController&) { m_machine.jointPos = 5.05; }},
        {Refusal::START_ENTRY_NOT_0,
         {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0.0010"},
         3,
         nullptr,
         nullptr},
        {Refusal::CORRECTION_TOO_LARGE, With(started, {"G1X10.0000", "G4D1", "L606 N1 V0.0600"}), 6,
         nullptr, nullptr},
        {Refusal::CHANGE_TOO_STEEP, With(started, {"G1X1.0000", "G4D1", "L606 N1 V0.0200"}), 6,
         nullptr, nullptr},
        {Refusal::MERGED_TABLE_FULL,
         {"L602XX", "G0X10.0000", "G4D1", "L606 N0 V0", "G1X1.0000", "G4D1", "L606 N1 V0"},
         6,
         [this] {
             std::string old;
             for (int i = 0; i < 255; ++i) old += Format("%.2f 0 0\n", -9.0 + i * 0.01);
             WriteComp(old);  // 255 points below 0: the run's 2 points make 257
         },
         nullptr},
        {Refusal::MAPPING_INCOMPLETE, {"L602XX", "G0X0.0000", "L601"}, 2, nullptr, nullptr},
        {Refusal::STEEP_JUNCTION,
         With(started, {"G1X5.0000", "G4D1", "L606 N1 V0.0300", "G1X10.0000", "G4D1",
                        "L606 N2 V0.0400", "L601"}),
         10, [this] { WriteComp("0 0 0\n10 10 10\n10.5 10.5 10.5\n"); }, nullptr},
        // With the table in force the same steep meeting is the candidate's.
        {Refusal::CANDIDATE_REFUSED,
         With(started, {"G1X5.0000", "G4D1", "L606 N1 V0.0300", "G1X10.0000", "G4D1",
                        "L606 N2 V0.0400", "L601"}),
         10,
         [this] {
             WriteComp("0 0 0\n10 10 10\n10.5 10.5 10.5\n");
             WriteIni("COMP_FILE = comp_x.dat\n");
         },
         nullptr},
        {Refusal::RUN_NOT_KEPT, With(twoPoints, {"L601"}), 7,
         [this] { WriteFile("comp_x-runs.csv", std::string(RUN_LOG_HEADER) + "\nnot a run\n"); },
         nullptr},
        {Refusal::TABLE_NOT_WRITTEN, With(twoPoints, {"L601"}), 7,
         [this] {
             WriteComp("0 0 0\n10 10 10\n");
             // The old table cannot be kept as the backup: a folder is there.
             mkdir((m_folder + "/comp_x.dat.bak").c_str(), 0755);
             WriteFile("comp_x.dat.bak/kept", "");
         },
         nullptr},
    };
    std::set<Refusal> pinned;
    for (const Row& row : rows) {
        Check(row);
        pinned.insert(row.refusal);
        std::remove((m_folder + "/comp_x.dat.bak/kept").c_str());
    }
    for (int code = 1; code <= static_cast<int>(Refusal::CANDIDATE_REFUSED); ++code)
        EXPECT_EQ(pinned.count(static_cast<Refusal>(code)), 1u) << code;
}

INSTANTIATE_TEST_SUITE_P(BothShells, RefusalTest,
                         ::testing::Values(RshPersonality::LINUXCNC_2_9, RshPersonality::REWRITTEN),
                         [](const ::testing::TestParamInfo<RshPersonality>& shell) {
                             return shell.param == RshPersonality::REWRITTEN ? "Rewritten"
                                                                             : "LinuxCnc29";
                         });

}  // namespace

}  // namespace pitchwise
