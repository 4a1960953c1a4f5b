// Step counts and command-line formatting: pure functions, one row per case.

#include "command_line.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "mapping_run.h"
#include "qsb.h"

namespace pitchwise {

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

struct StepCase {
    float start, end, increment;
    int count;
};

const StepCase kSteps[] = {
    {0, 1, 1, 1},
    {0, 0, 1, 0},
    {3.5f, 3.5f, 0.1f, 0},
    {10, 0, 2, 5},
    {0, 2.5f, 1, 2},
    {1, -1.5f, 1, 2},
    {0, 0.999f, 1, 0},
    // In single precision 0.3f / 0.1f rounds to 3; in double it would be 2.
    {0, 0.3f, 0.1f, 3},
    {0, 2147483520.0f, 1, 2147483520},  // the largest float below 2^31 still fits
    {0, 2147483648.0f, 1, -1},
    {0, 3e9f, 1, -1},
    {0, 1, 1e-38f, -1},
    {-3e38f, 3e38f, 1, -1},  // the span overflows to infinity
    {0, kInf, 1, -1},
    {kInf, kInf, 1, -1},  // infinity less infinity is not a number
    {0, kNaN, 1, -1},
    {kNaN, 0, 1, -1},
    {0, 1, kNaN, -1},
};

class StepCount : public ::testing::TestWithParam<StepCase> {};

TEST_P(StepCount, TruncatesTheSinglePrecisionQuotient) {
    const StepCase& c = GetParam();
    EXPECT_EQ(MappingStepCount(c.start, c.end, c.increment), c.count)
        << c.start << " to " << c.end << " by " << c.increment;
}

INSTANTIATE_TEST_SUITE_P(Rows, StepCount, ::testing::ValuesIn(kSteps));

TEST(ZeroCheck, AcceptsTenCountsEitherSideAndNoMore) {
    struct ZeroRow {
        std::int32_t counts;
        bool accepted;
    };
    const ZeroRow rows[] = {
        {0, true},      {1, true},       {-1, true},         {10, true},
        {-10, true},    {11, false},     {-11, false},       {100, false},
        {10034, false}, {-10034, false}, {INT32_MAX, false}, {INT32_MIN, false},
    };
    for (const ZeroRow& row : rows) {
        EXPECT_EQ(ZeroReadingAccepted(CountsToPosition(row.counts)), row.accepted) << row.counts;
    }
}

struct FormatCase {
    const char* expected;
    CommandLine line;
};

std::string Largest() {
    return "340282346638528859811704183484516925440.0000";
}

// Built inside the test so the locale of the test applies to the formatting.
std::vector<FormatCase> FormatCases() {
    const double largest = std::numeric_limits<float>::max();
    static const std::string largestPositive = "G1X" + Largest();
    static const std::string largestNegative = "L606 N2147483647 V-" + Largest();
    return {
        {"L602XX", FormatCommandLine("L602%c%c", 'X', 'X')},
        {"G0X0.0000", FormatCommandLine("G0%c%.4f", 'X', 0.0)},
        {"G0Z-12.3457", FormatCommandLine("G0%c%.4f", 'Z', -12.34567)},
        {"G1Y1.5000", FormatCommandLine("G1%c%.4f", 'Y', 1.5)},
        {"L606 N0 V0", FormatCommandLine("L606 N%d V0", 0)},
        {"L606 N7 V-0.0000", FormatCommandLine("L606 N%d V%.4f", 7, -0.00004)},
        {"L606 N3 V0.0002", FormatCommandLine("L606 N%d V%.4f", 3, 0.00016)},
        {largestPositive.c_str(), FormatCommandLine("G1%c%.4f", 'X', largest)},
        {largestNegative.c_str(), FormatCommandLine("L606 N%d V%.4f", 2147483647, -largest)},
        {"G1Xnan", FormatCommandLine("G1%c%.4f", 'X', static_cast<double>(kNaN))},
        {"G1X-inf", FormatCommandLine("G1%c%.4f", 'X', -static_cast<double>(kInf))},
    };
}

void ExpectFormats() {
    for (const FormatCase& c : FormatCases()) {
        EXPECT_STREQ(c.line.text, c.expected);
        EXPECT_EQ(std::strchr(c.line.text, ','), nullptr) << c.line.text;
    }
}

TEST(FormatCommandLine, UsesAPointAndHoldsAnyFloat) {
    ExpectFormats();
}

// A desktop toolkit takes the user's locale, which may write "1,5".
TEST(FormatCommandLine, CommaDecimalLocaleStillGivesPoints) {
    std::string previous = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
        << "the de_DE.UTF-8 locale must be available (LOCPATH)";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    EXPECT_STREQ(probe, "1,5");  // the locale really writes commas
    ExpectFormats();
    std::setlocale(LC_ALL, previous.c_str());
}

}  // namespace

}  // namespace pitchwise
