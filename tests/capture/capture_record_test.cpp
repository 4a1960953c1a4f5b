// The captures as logged runs: in the plan's unit, the counts converted
// with the plan's counts per unit.

#include "capture_record.h"

#include <gtest/gtest.h>

#include <cmath>

namespace pitchwise {

namespace {

struct RecordRow {
    const char* name;
    LengthUnit unit;
    double countsPerUnit;
    std::int64_t counts;  // read at the second target, 10 from the first
    double correction;    // commanded minus measured travel
};

const RecordRow kRecords[] = {
    {"MmAtTheDialogsScale", LengthUnit::MM, 10034.463, 100355, -0.00103343846},
    {"InchAtItsScale", LengthUnit::INCH, 254875.3602, 2548728, 0.00010044910},
    {"InchAtTheDialogsScale", LengthUnit::INCH, 10034.463, 100344, 0.00006278363},
};

class Record : public ::testing::TestWithParam<RecordRow> {};

void PrintTo(const RecordRow& row, std::ostream* out) {
    *out << row.name;
}

TEST_P(Record, UnitAndScaleOfThePlan) {
    CapturePlan plan;
    plan.unit = GetParam().unit;
    plan.countsPerUnit = GetParam().countsPerUnit;
    plan.targets = {0, 10};
    const CapturedPoint start{0, Direction::UP, 0, "2026-12-11T18:00:00Z"};
    const std::vector<CapturedPoint> up = {
        {1, Direction::UP, GetParam().counts, "2026-12-11T18:00:09Z"}};
    const std::vector<LoggedRun> runs = CycleRunLogs(plan, start, up, {}, false);
    ASSERT_EQ(runs.size(), 2u);
    for (const LoggedRun& run : runs) EXPECT_EQ(run.unit, GetParam().unit);
    ASSERT_EQ(runs[0].points.size(), 2u);
    EXPECT_NEAR(runs[0].points[1].correction, GetParam().correction, 1e-10);
    EXPECT_EQ(CountsFromFirst(plan, 10), std::llround(10 * GetParam().countsPerUnit));
}

INSTANTIATE_TEST_SUITE_P(Rows, Record, ::testing::ValuesIn(kRecords),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Record, TheLogsCommentNamesTheScale) {
    CapturePlan plan;
    plan.axis = 'Z';
    EXPECT_EQ(CaptureLogComment(plan),
              "pitchwise-capture: axis Z in mm, machine coordinates, the QSB at 10034.463 counts "
              "per mm");
}

}  // namespace

}  // namespace pitchwise
