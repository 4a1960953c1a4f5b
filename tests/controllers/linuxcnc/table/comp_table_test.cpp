#include "comp_table.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "linuxcnc_config.h"
#include "test_files.h"

namespace pitchwise {

namespace {

TEST(CompTableTest, ParsingStopsAtTheFirstLineThatIsNotThreeNumbers) {
    EXPECT_EQ(ParseCompTable("0 0 0\n1 1.1 0.9\n").size(), 2u);
    EXPECT_EQ(ParseCompTable("0 0 0\n# note\n1 1.1 0.9\n").size(), 1u);
    EXPECT_EQ(ParseCompTable("0 0\n1 1 1\n").size(), 0u);
    EXPECT_EQ(ParseCompTable("0 0 0 0\n").size(), 0u);
    EXPECT_EQ(ParseCompTable("").size(), 0u);
}

TEST(CompTableTest, FormatHoldsNumbersOnlyAndReadsBackTheSame) {
    std::vector<CompPoint> table{{-1.0, -1.005, -0.995}, {0.0, 0.002, -0.003}, {1.0, 1.003, 0.998}};
    std::string text = FormatCompTable(table);
    EXPECT_EQ(
        text,
        "-1.000000 -1.005000 -0.995000\n0.000000 0.002000 -0.003000\n1.000000 1.003000 0.998000\n");
    std::vector<CompPoint> back = ParseCompTable(text);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_DOUBLE_EQ(back[2].negative, 0.998);
}

TEST(CompTableTest, ActualIsInterpolatedAndHeldAtTheEnds) {
    std::vector<CompPoint> table{{0.0, 0.0, 0.01}, {10.0, 10.1, 9.9}};
    EXPECT_DOUBLE_EQ(ActualAt(table, true, 5.0), 5.05);
    EXPECT_DOUBLE_EQ(ActualAt(table, false, 5.0), 4.955);
    EXPECT_DOUBLE_EQ(ActualAt(table, true, 20.0), 20.1);  // correction 0.1 carries on
    EXPECT_DOUBLE_EQ(ActualAt(table, false, -3.0), -2.99);
    EXPECT_DOUBLE_EQ(ActualAt({}, true, 7.0), 7.0);
}

TEST(CompTableTest, RunFillsItsColumnAndKeepsTheOtherDirection) {
    std::vector<CompPoint> old{{0.0, 0.0, 0.002}, {5.0, 5.0, 5.003}, {10.0, 10.0, 10.004}};
    std::vector<RunPoint> run{{0.0, 0.0}, {5.0, 4.99}, {10.0, 9.98}};
    std::vector<CompPoint> merged = MergeRun(old, run, true);
    ASSERT_EQ(merged.size(), 3u);
    EXPECT_DOUBLE_EQ(merged[1].positive, 4.99);
    EXPECT_DOUBLE_EQ(merged[1].negative, 5.003);
    EXPECT_DOUBLE_EQ(merged[2].negative, 10.004);
}

TEST(CompTableTest, RunOnADifferentGridKeepsOldPointsOutsideItsRange) {
    std::vector<CompPoint> old{{0.0, 0.0, 0.0}, {20.0, 20.01, 20.02}};
    std::vector<RunPoint> run{{5.0, 5.1}, {10.0, 10.2}};
    std::vector<CompPoint> merged = MergeRun(old, run, false);
    ASSERT_EQ(merged.size(), 4u);
    EXPECT_DOUBLE_EQ(merged[0].negative, 0.0);  // below the run: old
    EXPECT_DOUBLE_EQ(merged[1].negative, 5.1);
    EXPECT_DOUBLE_EQ(merged[3].negative, 20.02);   // above the run: old
    EXPECT_DOUBLE_EQ(merged[1].positive, 5.0025);  // interpolated from the old column
    EXPECT_DOUBLE_EQ(merged[3].positive, 20.01);
}

TEST(CompTableTest, FirstRunLeavesTheOtherDirectionUncorrected) {
    std::vector<CompPoint> merged = MergeRun({}, {{0.0, 0.0}, {5.0, 5.01}}, true);
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_DOUBLE_EQ(merged[1].negative, 5.0);
}

class CompFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char folder[] = "/tmp/comp-table-test.XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_folder = folder;
        m_path = m_folder + "/comp.dat";
    }
    void TearDown() override {
        for (const char* tail : {"", ".bak", ".new"}) std::remove((m_path + tail).c_str());
        rmdir(m_folder.c_str());
    }
    std::string m_folder;
    std::string m_path;
};

TEST_F(CompFileTest, WriteKeepsThePreviousFileAsBackup) {
    std::string error;
    ASSERT_TRUE(WriteCompTable(m_path, {{0.0, 0.0, 0.0}}, error)) << error;
    ASSERT_TRUE(WriteCompTable(m_path, {{0.0, 0.1, 0.2}}, error)) << error;
    std::string now, backup;
    ASSERT_TRUE(ReadFileForTest(m_path, now));
    ASSERT_TRUE(ReadFileForTest(m_path + ".bak", backup));
    EXPECT_EQ(now, "0.000000 0.100000 0.200000\n");
    EXPECT_EQ(backup, "0.000000 0.000000 0.000000\n");
}

TEST_F(CompFileTest, UnwritableFolderFailsWithAReason) {
    std::string error;
    EXPECT_FALSE(WriteCompTable(m_folder + "/missing/comp.dat", {{0.0, 0.0, 0.0}}, error));
    EXPECT_NE(error.find("cannot create"), std::string::npos);
}

TEST_F(CompFileTest, NewTableKeepsTheOldModeAndIsReadableWhateverTheUmask) {
    std::string error;
    const mode_t saved = umask(077);
    ASSERT_TRUE(WriteCompTable(m_path, {{0.0, 0.0, 0.0}}, error)) << error;
    struct stat info {};
    ASSERT_EQ(stat(m_path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);  // LinuxCNC may run as another user
    ASSERT_EQ(chmod(m_path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteCompTable(m_path, {{0.0, 0.1, 0.1}}, error)) << error;
    umask(saved);
    ASSERT_EQ(stat(m_path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_NE(access((m_path + ".new").c_str(), F_OK), 0);
}

TEST(CompTableTest, SlopeLimitHoldsWhereTheRunMeetsKeptPoints) {
    // Corrections (actual - nominal) of the positive column: kept 0 at 20,
    // the run's -0.1 at 10: 0.1 over 10 against 10/64.
    const std::vector<RunPoint> run{{0.0, 0.0}, {10.0, 9.9}};
    std::vector<CompPoint> table{{0.0, 0.0, 0.0}, {10.0, 9.9, 10.0}, {20.0, 20.0, 20.0}};
    std::string why;
    EXPECT_TRUE(JunctionsWithinSlope(table, run, true, 1.0 / 64.0, why)) << why;
    table[2].nominal = 10.5;
    table[2].positive = 10.5;
    table[2].negative = 10.5;
    EXPECT_FALSE(JunctionsWithinSlope(table, run, true, 1.0 / 64.0, why));
    EXPECT_NE(why.find("kept point 10.500000"), std::string::npos) << why;
    // The other column is not the run's: its changes are not checked here.
    EXPECT_TRUE(JunctionsWithinSlope(table, {{0.0, 0.0}, {10.0, 10.0}}, false, 1.0 / 64.0, why));
}

}  // namespace

}  // namespace pitchwise
