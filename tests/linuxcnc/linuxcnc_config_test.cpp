#include "linuxcnc_config.h"

#include <gtest/gtest.h>

#include "joint_ini.h"

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
    const char* rows[] = {"colour = red\n", "port = 0\n",       "port = 70000\n", "feed = 0\n",
                          "feed = fast\n",  "dwell = -1\n",     "joint_w = 1\n",  "joint_x = 1.5\n",
                          "host\n",         "comp_file_q = a\n"};
    for (const char* row : rows) {
        SCOPED_TRACE(row);
        LinuxCncConfig config;
        std::string error;
        EXPECT_FALSE(ParseConfig(row, config, error));
        EXPECT_NE(error.find("line 1"), std::string::npos);
    }
}

TEST(JointIniTest, ReadsTheJointsSectionOnly) {
    const char* ini =
        "[JOINT_0]\nMIN_LIMIT = -1\nMAX_LIMIT = 1\n"
        "[JOINT_1]\nMIN_LIMIT = -10\nMAX_LIMIT = 200\nCOMP_FILE = y.dat\nCOMP_FILE_TYPE = 1\n"
        "[AXIS_Y]\nMIN_LIMIT = -99\n";
    JointIni joint;
    ASSERT_TRUE(ParseJointIni(ini, "/m", 1, joint));
    EXPECT_TRUE(joint.hasLimits);
    EXPECT_DOUBLE_EQ(joint.minLimit, -10.0);
    EXPECT_DOUBLE_EQ(joint.maxLimit, 200.0);
    EXPECT_EQ(joint.compFile, "/m/y.dat");
    EXPECT_EQ(joint.compFileType, 1);
    JointIni missing;
    EXPECT_FALSE(ParseJointIni(ini, "/m", 2, missing));
    JointIni noLimits;
    EXPECT_TRUE(ParseJointIni("[JOINT_0]\nMIN_LIMIT = 0\n", "", 0, noLimits));
    EXPECT_FALSE(noLimits.hasLimits);
}

}  // namespace
