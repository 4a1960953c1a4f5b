// The program's words for each code: every code has its own, and the
// numbers come out as the operator typed them.
#include "export_words.h"

#include <gtest/gtest.h>

#include <set>

#include "length_unit.h"

namespace pitchwise {

namespace {

struct WordsRow {
    ExportStatus status;
    const char* says;  // a part of the words
};

TEST(ExportWords, EachCodeItsSentence) {
    const double mm = static_cast<double>(LengthUnit::MM);
    const double inch = static_cast<double>(LengthUnit::INCH);
    const WordsRow rows[] = {
        {ExportStatus(ExportCode::NO_MEASUREMENT, {9}, "X"), "no mapping measurement 9 of axis X"},
        {ExportStatus(ExportCode::NO_MEASUREMENT, {0}, "Y"), "no mapping measurement of axis Y"},
        {ExportStatus(ExportCode::UNIT_CONTRADICTS, {mm, inch}),
         "--unit mm contradicts the run log, whose lengths are in inch: leave --unit out"},
        {ExportStatus(ExportCode::UNIT_NEEDED, {}, "isg"), "isg holds lengths in a unit"},
        {ExportStatus(ExportCode::BASIC_SYSTEM_NEEDED, {}, "siemens-lec"),
         "siemens-lec needs --basic-system metric or inch"},
        {ExportStatus(ExportCode::SPACING_DOES_NOT_FIT, {0.4, 0, 9.5, 0.38, 0.5}),
         "the spacing 0.4 does not divide the grid from 0 to 9.5 into whole steps the file can "
         "write, so the table would end short; spacings that fit: 0.38 or 0.5"},
        {ExportStatus(ExportCode::SPACING_DOES_NOT_FIT, {0.4, 0, 9.5, 0, 0}), "no spacing fits"},
        {ExportStatus(ExportCode::TOO_MANY_POINTS, {1, 3, 0.00001, 200001, 256, 0.008}),
         "by 0.00001 needs 200001 points, more than the 256 the format takes: a spacing of 0.008 "
         "fits"},
        {ExportStatus(ExportCode::SPACING_NOT_POSITIVE, {0.00001, 0}), "the spacing 0.00001"},
        {ExportStatus(ExportCode::GRID_ENDS_NOT_WRITABLE, {1, 3, 0.0000254}), "whole 0.0000254"},
        {ExportStatus(ExportCode::ZERO_OUTSIDE, {5}), "--zero-at 5.0000 lies outside"},
        {ExportStatus(ExportCode::END_VALUES_HELD, {0.002, -0.001}), "(0.002000, -0.001000)"},
    };
    for (const WordsRow& row : rows) {
        const std::string words = ExportWords(row.status);
        EXPECT_NE(words.find(row.says), std::string::npos) << words;
    }
}

TEST(ExportWords, EveryCodeHasANameAndWordsOfItsOwn) {
    std::set<std::string> names;
    std::set<std::string> sentences;
    int codes = 0;
#define PITCHWISE_EXPORT_CODE(name)                                                             \
    EXPECT_TRUE(names.insert(ExportCodeName(ExportCode::name)).second) << #name;                \
    EXPECT_TRUE(sentences.insert(ExportWords(ExportStatus(ExportCode::name))).second) << #name; \
    ++codes;
    PITCHWISE_EXPORT_CODES(PITCHWISE_EXPORT_CODE)
#undef PITCHWISE_EXPORT_CODE
    EXPECT_EQ(static_cast<int>(names.size()), codes);
    EXPECT_EQ(std::string(ExportCodeName(ExportCode::OK)), "OK");
}

}  // namespace

}  // namespace pitchwise
