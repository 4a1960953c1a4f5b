#include "text.h"

#include <gtest/gtest.h>

namespace pitchwise {

namespace {

TEST(TextTest, FormatKeepsTextLongerThanAnyBuffer) {
    const std::string long_(1000, 'a');
    EXPECT_EQ(Format("%s|%.3f", long_.c_str(), 2.5), long_ + "|2.500");
    EXPECT_EQ(Format("%d", 7), "7");
}

TEST(TextTest, Comparisons) {
    struct Row {
        const char* text;
        const char* part;
        bool starts;
        bool ends;
    } rows[] = {
        {"INIFILE /m.ini", "INIFILE", true, false},
        {"a.ini.expanded", ".expanded", false, true},
        {"ab", "abc", false, false},
        {"", "", true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(StartsWith(row.text, row.part), row.starts);
        EXPECT_EQ(EndsWith(row.text, row.part), row.ends);
    }
    EXPECT_EQ(Upper("joint_x 1é"), "JOINT_X 1é");
    EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
    EXPECT_EQ(Trim(" \t"), "");
    EXPECT_EQ(LastWord("JOINT_POS 0 1.5"), "1.5");
    EXPECT_EQ(LastWord("word"), "word");
}

TEST(TextTest, CountedTakesTheSingularForOneOnly) {
    struct Row {
        long long count;
        const char* text;
    } rows[] = {{0, "0 runs"}, {1, "1 run"}, {2, "2 runs"}, {-1, "-1 runs"}, {11, "11 runs"}};
    for (const Row& row : rows) EXPECT_EQ(Counted(row.count, "run", "runs"), row.text);
}

}  // namespace

}  // namespace pitchwise
