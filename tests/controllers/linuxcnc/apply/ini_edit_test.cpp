#include "ini_edit.h"

#include <gtest/gtest.h>

namespace pitchwise {

namespace {

struct EditRow {
    const char* name;
    std::string text;
    std::vector<IniEdit> edits;
    std::string expected;
};

IniEdit Replace(std::size_t line, std::size_t lines, const char* key, const char* value) {
    return IniEdit{0, line, lines, key, value};
}

IniEdit Insert(std::size_t after, const char* key, const char* value) {
    return IniEdit{0, after, 0, key, value};
}

TEST(IniEditTest, ChangesOnlyTheEditedKeysAndKeepsEveryOtherByte) {
    const std::vector<EditRow> rows = {
        {"value replaced, spacing and comment lines kept",
         "# top\n[JOINT_0]\n  BACKLASH =\t0.02\n\n; end\n",
         {Replace(2, 1, "BACKLASH", "0")},
         "# top\n[JOINT_0]\n  BACKLASH =\t0\n\n; end\n"},
        {"no blank after '='",
         "[J]\nBACKLASH=0.5\n",
         {Replace(1, 1, "BACKLASH", "0")},
         "[J]\nBACKLASH=0\n"},
        {"CRLF file keeps CRLF on the changed and the new line",
         "[J]\r\nA = 1\r\nB = 2\r\n[K]\r\n",
         {Replace(1, 1, "A", "9"), Insert(2, "COMP_FILE", "/t.dat")},
         "[J]\r\nA = 9\r\nB = 2\r\nCOMP_FILE = /t.dat\r\n[K]\r\n"},
        {"two keys after one line, in order",
         "[J]\nA = 1\n\n[K]\n",
         {Insert(1, "COMP_FILE", "/t"), Insert(1, "COMP_FILE_TYPE", "0")},
         "[J]\nA = 1\nCOMP_FILE = /t\nCOMP_FILE_TYPE = 0\n\n[K]\n"},
        {"last line without an end", "[J]\nA = 1", {Insert(1, "B", "2")}, "[J]\nA = 1\nB = 2"},
        {"a value continued over lines becomes one line",
         "[J]\nF = a \\\n  b\nG = 1\n",
         {Replace(1, 2, "F", "/t")},
         "[J]\nF = /t\nG = 1\n"},
        {"new key after a replaced continued one",
         "[J]\nF = a \\\nb\n[K]\n",
         {Replace(1, 2, "F", "x"), Insert(2, "T", "0")},
         "[J]\nF = x\nT = 0\n[K]\n"},
        {"a CRLF file's last line without an end: the new key on a CRLF line",
         "[J]\r\nA = 1",
         {Insert(1, "B", "2")},
         "[J]\r\nA = 1\r\nB = 2"},
        {"a continued last line without an end is ended before the new keys",
         "[J]\nMAX_LIMIT = 110\n= \\",
         {Insert(2, "B", "2"), Insert(2, "C", "0")},
         "[J]\nMAX_LIMIT = 110\n= \\\n\nB = 2\nC = 0"},
        {"a continued last line with its end: ended alike",
         "[J]\r\nA = \\ \r\n",
         {Insert(1, "B", "2")},
         "[J]\r\nA = \\ \r\n\r\nB = 2\r\n"},
        {"no edit: the same bytes", "odd\r\nbytes \t\n\n", {}, "odd\r\nbytes \t\n\n"},
    };
    for (const EditRow& row : rows) {
        const IniEditResult result = EditIniTexts({row.text}, row.edits);
        ASSERT_EQ(result.texts.size(), 1u);
        EXPECT_EQ(result.texts[0], row.expected) << row.name;
        EXPECT_EQ(result.diffs[0].empty(), row.edits.empty()) << row.name;
    }
}

TEST(IniEditTest, EditsGoToTheirOwnFileAndTheDiffShowsThem) {
    const IniEditResult result =
        EditIniTexts({"#INCLUDE j.inc\n", "[JOINT_0]\nBACKLASH = 1\n"},
                     {IniEdit{1, 1, 1, "BACKLASH", "0"}, IniEdit{1, 1, 0, "COMP_FILE", "/c.dat"}});
    EXPECT_EQ(result.texts[0], "#INCLUDE j.inc\n");
    EXPECT_EQ(result.texts[1], "[JOINT_0]\nBACKLASH = 0\nCOMP_FILE = /c.dat\n");
    EXPECT_EQ(result.diffs[0], "");
    EXPECT_EQ(
        result.diffs[1],
        "@@ line 2 @@\n-BACKLASH = 1\n+BACKLASH = 0\n@@ after line 2 @@\n+COMP_FILE = /c.dat\n");
}

}  // namespace

}  // namespace pitchwise
