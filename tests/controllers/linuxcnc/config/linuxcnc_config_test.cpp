#include "linuxcnc_config.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "ini_file.h"
#include "machine_ini.h"
#include "test_files.h"

namespace pitchwise {

namespace {

TEST(LinuxCncConfigTest, ReadsEverySetting) {
    LinuxCncConfig config;
    std::string error;
    ASSERT_TRUE(
        ParseConfig("# comment\nhost = cnc.local\nport=5008\nini = /m/mill.ini  # trailing\n"
                    "joint_y = 3\ncomp_file_z = /m/z.dat\nfeed = 600\ndwell = 0.5\n"
                    "max_correction = 0.2\nmax_change_per_spacing = 0.01\nlog = /tmp/t.log\n",
                    config, error))
        << error;
    EXPECT_EQ(config.host, "cnc.local");
    EXPECT_EQ(config.port, 5008);
    EXPECT_EQ(config.iniFile, "/m/mill.ini");
    EXPECT_EQ(config.joint[1], 3);
    EXPECT_EQ(config.compFile[2], "/m/z.dat");
    EXPECT_DOUBLE_EQ(config.feed, 600.0);
    EXPECT_DOUBLE_EQ(config.dwellSeconds, 0.5);
    EXPECT_DOUBLE_EQ(config.maxCorrection, 0.2);
    EXPECT_DOUBLE_EQ(config.maxChangeRatio, 0.01);
    EXPECT_EQ(config.logFile, "/tmp/t.log");
}

TEST(LinuxCncConfigTest, RefusesWhatItCannotUse) {
    const char* rows[] = {"colour = red\n", "port = 0\n", "port = 70000\n", "feed = 0\n",
                          "feed = fast\n", "dwell = -1\n", "joint_w = 1\n", "joint_x = 1.5\n",
                          "host\n", "comp_file_q = a\n",
                          // No limit at all, or one no comparison catches.
                          "max_correction = inf\n", "dwell = nan\n", "feed = 1e999\n",
                          "port = 1e300\n", "joint_x = -1e300\n"};
    for (const char* row : rows) {
        SCOPED_TRACE(row);
        LinuxCncConfig config;
        std::string error;
        EXPECT_FALSE(ParseConfig(row, config, error));
        EXPECT_NE(error.find("line 1"), std::string::npos);
    }
}

TEST(LinuxCncConfigTest, AFileThatIsThereButCannotBeReadIsRefusedNotPassedOver) {
    char folder[] = "/tmp/linuxcnc-config-test.XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string home = folder;
    const std::string config = home + "/.config";
    mkdir(config.c_str(), 0755);
    const std::string path = config + "/tarvex-linuxcnc.conf";
    const std::string reason = MakeUnreadable(path);
    const char* oldHome = std::getenv("HOME");
    const std::string keptHome = oldHome != nullptr ? oldHome : "";
    unsetenv("TARVEX_LINUXCNC_CONFIG");
    setenv("HOME", home.c_str(), 1);
    LinuxCncConfig loaded;
    std::string used;
    std::string error;
    // Not /etc's file, not the defaults: the owner's own file, said unreadable.
    EXPECT_FALSE(LoadConfig(loaded, used, error));
    EXPECT_EQ(error, "cannot read " + path + ": " + reason);
    setenv("TARVEX_LINUXCNC_CONFIG", path.c_str(), 1);
    EXPECT_FALSE(LoadConfig(loaded, used, error));
    EXPECT_EQ(error, "cannot read " + path + ": " + reason);
    RemoveUnreadable(path);
    setenv("TARVEX_LINUXCNC_CONFIG", (home + "/absent.conf").c_str(), 1);
    EXPECT_FALSE(LoadConfig(loaded, used, error));
    EXPECT_EQ(error, "no configuration file (" + home + "/absent.conf)");
    unsetenv("TARVEX_LINUXCNC_CONFIG");
    if (oldHome != nullptr) setenv("HOME", keptHome.c_str(), 1);
    rmdir(config.c_str());
    rmdir(home.c_str());
}

TEST(LinuxCncConfigTest, LengthsNotGivenFollowTheMachinesUnit) {
    LinuxCncConfig config;
    std::string error;
    ASSERT_TRUE(ParseConfig("max_correction = 0.02\n", config, error)) << error;
    LinuxCncConfig inch = InMachineUnit(config, 25.4);
    EXPECT_DOUBLE_EQ(inch.maxCorrection, 0.02);  // given: in the machine's unit already
    EXPECT_DOUBLE_EQ(inch.inPositionTolerance, 0.001 / 25.4);
    EXPECT_DOUBLE_EQ(inch.feed, 300.0 / 25.4);
    EXPECT_DOUBLE_EQ(inch.approachDistance, 0.5 / 25.4);
    EXPECT_DOUBLE_EQ(InMachineUnit(config, 1.0).feed, 300.0);
}

TEST(IniFileTest, ReadsAsLinuxCncReads) {
    CIniFile ini;
    ini.Parse(
        "[JOINT_0]   # the X screw\n"
        "MIN_LIMIT = -5\n"
        "MIN_LIMIT = -99\n"
        "; COMP_FILE = off.dat\n"
        "COMP_FILE = \\\n"
        "   x.dat\n"
        "FERROR = 7 # not a comment here\n"
        "[JOINT_0]\n"
        "MAX_LIMIT = 50\n");
    std::string value;
    ASSERT_TRUE(ini.Find("JOINT_0", "MIN_LIMIT", value));
    EXPECT_EQ(value, "-5");  // the first key wins
    ASSERT_TRUE(ini.Find("JOINT_0", "COMP_FILE", value));
    EXPECT_EQ(value, "x.dat");  // continued on the next line
    ASSERT_TRUE(ini.Find("JOINT_0", "FERROR", value));
    EXPECT_EQ(value, "7 # not a comment here");  // LinuxCNC keeps it, so a number check refuses it
    // A second section of the same name is never read.
    EXPECT_FALSE(ini.Find("JOINT_0", "MAX_LIMIT", value));
    EXPECT_FALSE(ini.Find("JOINT_1", "MIN_LIMIT", value));
}

TEST(IniFileTest, ExpandsIncludedFilesInPlace) {
    char folder[] = "/tmp/ini-file-test.XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string root = folder;
    std::ofstream(root + "/joints.inc") << "[JOINT_0]\nMIN_LIMIT = -1\n";
    std::ofstream(root + "/m.ini") << "[TRAJ]\nLINEAR_UNITS = mm\n#INCLUDE joints.inc\n"
                                      "MAX_LIMIT = 7\n";
    CIniFile ini;
    std::string error;
    ASSERT_TRUE(ini.Load(root + "/m.ini", error)) << error;
    std::string value;
    EXPECT_TRUE(ini.Find("JOINT_0", "MIN_LIMIT", value));
    ASSERT_TRUE(ini.Find("JOINT_0", "MAX_LIMIT", value));  // after the include: in its section
    EXPECT_EQ(value, "7");
    EXPECT_EQ(ini.Files().size(), 2u);
    std::ofstream(root + "/m.ini") << "#INCLUDE missing.inc\n";
    CIniFile broken;
    EXPECT_FALSE(broken.Load(root + "/m.ini", error));
    EXPECT_NE(error.find("missing.inc"), std::string::npos);
    for (const char* name : {"/joints.inc", "/m.ini"}) std::remove((root + name).c_str());
    rmdir(folder);
}

const char* const kMill =
    "[TRAJ]\nCOORDINATES = X Y Z\nLINEAR_UNITS = mm\n[KINS]\nKINEMATICS = trivkins\nJOINTS = 3\n"
    "[AXIS_Y]\nMIN_LIMIT = -8\n"
    "[JOINT_0]\nMIN_LIMIT = -1\nMAX_LIMIT = 1\n"
    "[JOINT_1]\nMIN_LIMIT = -10\nMAX_LIMIT = 200\nCOMP_FILE = y.dat\nCOMP_FILE_TYPE = 1\n"
    "BACKLASH = 0.02\n"
    "[JOINT_2]\nMIN_LIMIT = -3\nMAX_LIMIT = 3\n";

AxisIni Describe(const std::string& text, char axis, std::string& why) {
    CIniFile ini;
    ini.Parse(text);
    AxisIni result;
    why.clear();
    if (!DescribeAxis(ini, "/m", axis, result, why)) result.joints.clear();
    return result;
}

TEST(MachineIniTest, ReadsTheAxisJointsLimitsAndCompensation) {
    std::string why;
    AxisIni y = Describe(kMill, 'Y', why);
    ASSERT_EQ(y.joints.size(), 1u) << why;
    EXPECT_EQ(y.joints[0].joint, 1);
    EXPECT_DOUBLE_EQ(y.minLimit, -8.0);  // the axis's limit is the tighter one
    EXPECT_DOUBLE_EQ(y.maxLimit, 200.0);
    EXPECT_EQ(y.joints[0].compFile, "/m/y.dat");
    EXPECT_EQ(y.joints[0].compFileType, 1);
    EXPECT_DOUBLE_EQ(y.joints[0].backlash, 0.02);
    EXPECT_DOUBLE_EQ(y.mmPerUnit, 1.0);
    EXPECT_EQ(y.unit, LengthUnit::MM);
}

TEST(MachineIniTest, JointsComeFromTheKinematics) {
    const std::string units = "[TRAJ]\nLINEAR_UNITS = inch\nCOORDINATES = ";
    const std::string joint = "]\nMIN_LIMIT = -1\nMAX_LIMIT = 1\n";
    std::string joints;
    for (int j = 0; j < 4; ++j) joints += "[JOINT_" + std::to_string(j) + joint;
    std::string why;
    AxisIni gantry = Describe(units +
                                  "X Y Y Z\n[KINS]\nKINEMATICS = trivkins coordinates=XYYZ "
                                  "kinstype=BOTH\nJOINTS = 4\n" +
                                  joints,
                              'Y', why);
    ASSERT_EQ(gantry.joints.size(), 2u) << why;
    EXPECT_EQ(gantry.joints[0].joint, 1);
    EXPECT_EQ(gantry.joints[1].joint, 2);
    EXPECT_DOUBLE_EQ(gantry.mmPerUnit, 25.4);
    EXPECT_EQ(gantry.unit, LengthUnit::INCH);  // what the library logs its runs in
    AxisIni lathe = Describe(units +
                                 "X Z\n[KINS]\nKINEMATICS = trivkins coordinates=xz\n"
                                 "JOINTS = 2\n" +
                                 joints,
                             'Z', why);
    ASSERT_EQ(lathe.joints.size(), 1u) << why;
    EXPECT_EQ(lathe.joints[0].joint, 1);
}

TEST(MachineIniTest, RefusesWhatItCannotMapRight) {
    struct Row {
        std::string ini;
        char axis;
        const char* why;
    } rows[] = {
        {"[TRAJ]\nLINEAR_UNITS = mm\nCOORDINATES = X Z\n[KINS]\nKINEMATICS = trivkins "
         "coordinates=XZ\n[JOINT_0]\nMIN_LIMIT = 0\nMAX_LIMIT = 1\n",
         'Y', "no Y axis"},
        {"[TRAJ]\nLINEAR_UNITS = mm\nCOORDINATES = X Y Z\n[KINS]\nKINEMATICS = genserkins\n", 'X',
         "only trivkins"},
        {"[TRAJ]\nCOORDINATES = X Y Z\n[KINS]\nKINEMATICS = trivkins\n", 'X', "LINEAR_UNITS"},
        {"[TRAJ]\nLINEAR_UNITS = furlong\n[KINS]\nKINEMATICS = trivkins\n", 'X', "neither"},
        {"[TRAJ]\nLINEAR_UNITS = mm\nCOORDINATES = X Y Z\n[KINS]\nKINEMATICS = trivkins\n", 'X',
         "no [JOINT_0]"},
        {"[TRAJ]\nLINEAR_UNITS = mm\nCOORDINATES = X Y Z\n[KINS]\nKINEMATICS = trivkins\n"
         "[JOINT_0]\nMIN_LIMIT = 0\n",
         'X', "no limits"},
        {"[TRAJ]\nLINEAR_UNITS = mm\nCOORDINATES = X Y Z\n[KINS]\nKINEMATICS = trivkins\n"
         "[JOINT_0]\nMIN_LIMIT = 0 # home\nMAX_LIMIT = 1\n",
         'X', "as a number"},
        {"[TRAJ]\nLINEAR_UNITS = mm\nCOORDINATES = X Y Z\n[KINS]\nKINEMATICS = trivkins\n"
         "[JOINT_0]\nMIN_LIMIT = nan\nMAX_LIMIT = 1\n",
         'X', "as a number"},
        {"[TRAJ]\nLINEAR_UNITS = mm\nCOORDINATES = X Y Z\n[KINS]\nKINEMATICS = trivkins\n"
         "[JOINT_0]\nMIN_LIMIT = 0\nMAX_LIMIT = 10\n[AXIS_X]\nMIN_LIMIT = 20\n",
         'X', "no range"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.ini);
        std::string why;
        EXPECT_TRUE(Describe(row.ini, row.axis, why).joints.empty());
        EXPECT_NE(why.find(row.why), std::string::npos) << why;
    }
}

}  // namespace

}  // namespace pitchwise
