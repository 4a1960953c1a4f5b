// The grid: the range each table may cover, interpolation between the
// targets measured each way, and every refusal.
#include "table_grid.h"

#include <gtest/gtest.h>

#include "table_zero.h"

namespace pitchwise {

namespace {

// 0..4 by 1: up measured at 1..4, down at 0..3, as runs up and back leave
// them (each run's start is its tie, never a sample).
std::vector<MeasuredPoint> UpAndBack() {
    return {{0, {}, 0.0020, {}, 0.0001},
            {1, 0.0010, 0.0030, 0.0001, 0.0001},
            {2, 0.0030, 0.0050, 0.0001, 0.0001},
            {3, 0.0020, 0.0040, 0.0001, 0.0001},
            {4, 0.0040, {}, 0.0001, {}}};
}

struct GridRow {
    const char* name;
    GridRequest request;
    std::vector<double> positions;  // empty: refused
    std::vector<Figure> up;         // at the positions
    ExportCode code;
    std::vector<double> numbers;  // the first ones the status carries
};

GridRequest Request(std::optional<double> spacing, std::optional<double> from,
                    std::optional<double> until, std::size_t maxPoints = 256, bool both = true,
                    double resolution = 1e-6) {
    GridRequest r;
    r.resolution = resolution;
    r.spacing = spacing;
    r.from = from;
    r.until = until;
    r.maxPoints = maxPoints;
    r.bothDirections = both;
    return r;
}

TEST(TableGrid, PointsValuesAndRefusals) {
    const ExportCode OK = ExportCode::OK;
    const GridRow rows[] = {
        {"both directions: where both were measured",
         Request({}, {}, {}),
         {1, 2, 3},
         {0.0010, 0.0030, 0.0020},
         OK,
         {}},
        {"either direction: where either was",
         Request({}, {}, {}, 256, false),
         {0, 1, 2, 3, 4},
         {{}, 0.0010, 0.0030, 0.0020, 0.0040},
         OK,
         {}},
        {"halves interpolated",
         Request(0.5, {}, {}),
         {1, 1.5, 2, 2.5, 3},
         {0.0010, 0.0020, 0.0030, 0.0025, 0.0020},
         OK,
         {}},
        {"fifths end where asked",
         Request(0.4, {}, {}),
         {1, 1.4, 1.8, 2.2, 2.6, 3},
         {0.0010, 0.0018, 0.0026, 0.0028, 0.0024, 0.0020},
         OK,
         {}},
        {"a spacing that would end short is refused with the two nearest that fit",
         Request(0.75, {}, {}),
         {},
         {},
         ExportCode::SPACING_DOES_NOT_FIT,
         {0.75, 1, 3, 0.5, 1}},
        {"a spacing that would end short of --until",
         Request(0.4, 1, 2.9),
         {},
         {},
         ExportCode::SPACING_DOES_NOT_FIT,
         {0.4, 1, 2.9, 0.38, 0.475}},
        {"a spacing the file cannot write",
         Request(0.5, {}, {}, 256, true, 0.3),
         {},
         {},
         ExportCode::GRID_ENDS_NOT_WRITABLE,
         {1, 3, 0.3}},
        {"a spacing off the file's resolution",
         Request(0.5, 1.2, 3, 256, true, 0.3),
         {},
         {},
         ExportCode::SPACING_DOES_NOT_FIT,
         {0.5, 1.2, 3, 0.3, 0.6}},
        {"a sub-range", Request(0.5, 1.5, 2.5), {1.5, 2, 2.5}, {0.0020, 0.0030, 0.0025}, OK, {}},
        {"exactly the limit", Request(1, {}, {}, 3), {1, 2, 3}, {0.0010, 0.0030, 0.0020}, OK, {}},
        {"one point too many",
         Request(1, {}, {}, 2),
         {},
         {},
         ExportCode::TOO_MANY_POINTS,
         {1, 3, 1, 3, 2, 2}},
        {"too many, and the spacing named divides the grid",
         Request(0.01, {}, {}, 4),
         {},
         {},
         ExportCode::TOO_MANY_POINTS,
         {1, 3, 0.01, 201, 4, 1}},
        {"a hundred-thousandth is above 0",
         Request(0.00001, {}, {}),
         {},
         {},
         ExportCode::TOO_MANY_POINTS,
         {1, 3, 0.00001, 200001, 256, 0.008}},
        {"below the range",
         Request({}, 0.5, {}),
         {},
         {},
         ExportCode::GRID_OUTSIDE,
         {0.5, 3, 1, 3, 1}},
        {"above the range", Request({}, {}, 3.5), {}, {}, ExportCode::GRID_OUTSIDE, {1, 3.5}},
        {"start above end",
         Request({}, 2.5, 1.5),
         {},
         {},
         ExportCode::GRID_START_NOT_BELOW_END,
         {2.5, 1.5}},
        {"spacing zero", Request(0.0, {}, {}), {}, {}, ExportCode::SPACING_NOT_POSITIVE, {0, 2}},
        {"spacing negative",
         Request(-1.0, {}, {}),
         {},
         {},
         ExportCode::SPACING_NOT_POSITIVE,
         {-1, 2}},
        {"spacing beyond the range",
         Request(2.5, {}, {}),
         {},
         {},
         ExportCode::SPACING_NOT_POSITIVE,
         {2.5, 2}},
    };
    for (const GridRow& row : rows) {
        std::vector<GridPoint> grid;
        const ExportStatus status = BuildGrid(UpAndBack(), row.request, grid);
        EXPECT_EQ(status.code(), row.code) << row.name << ": " << ExportCodeName(status.code());
        ASSERT_EQ(grid.size(), row.positions.size()) << row.name;
        for (std::size_t i = 0; i < grid.size(); ++i) {
            EXPECT_NEAR(grid[i].position, row.positions[i], 1e-9) << row.name;
            EXPECT_EQ(grid[i].up.has_value(), row.up[i].has_value()) << row.name << " " << i;
            if (grid[i].up && row.up[i]) {
                EXPECT_NEAR(*grid[i].up, *row.up[i], 1e-9) << row.name;
            }
        }
        for (std::size_t i = 0; i < row.numbers.size(); ++i)
            EXPECT_NEAR(status.number(i), row.numbers[i], 1e-9) << row.name << " number " << i;
    }
}

struct FitRow {
    double length, resolution, spacing;
    std::size_t maxSteps;
    double smaller, larger;
};

TEST(TableGrid, FittingSpacingsDivideTheLengthInWritableSteps) {
    const FitRow rows[] = {
        {8.5, 1e-6, 0.4, 255, 0.34, 0.425},  // 25 and 20 steps
        {9, 1e-4, 0.7, 255, 0.6, 0.75},      // 15 and 12 steps
        {1, 1e-6, 1.0 / 3, 255, 0.25, 0.5},  // a third is not writable
        {1, 1e-6, 0.001, 255, 0, 0.004},     // smaller needs > 255 steps
        {1, 0.3, 0.5, 255, 0, 0},            // no whole resolutions
        {0.0003, 1e-4, 0.00015, 255, 0.0001, 0.0003},
    };
    for (const FitRow& row : rows) {
        double smaller = -1;
        double larger = -1;
        FittingSpacings(row.length, row.resolution, row.spacing, row.maxSteps, smaller, larger);
        EXPECT_NEAR(smaller, row.smaller, 1e-12) << row.length << " by " << row.spacing;
        EXPECT_NEAR(larger, row.larger, 1e-12) << row.length << " by " << row.spacing;
    }
}

TEST(TableGrid, UnevenTargetsNeedASpacing) {
    std::vector<MeasuredPoint> points = UpAndBack();
    points[2].target = 2.1;
    std::vector<GridPoint> grid;
    EXPECT_EQ(BuildGrid(points, Request({}, {}, {}), grid).code(), ExportCode::UNEVEN_TARGETS);
    EXPECT_TRUE(BuildGrid(points, Request(1, {}, {}), grid).ok());
}

TEST(TableGrid, OneDirectionOnly) {
    std::vector<MeasuredPoint> points = UpAndBack();
    for (MeasuredPoint& p : points) p.meanDown.reset();
    MeasuredRange range;
    ASSERT_TRUE(RangeOf(points, true, range));
    EXPECT_EQ(range.low, 1);
    EXPECT_EQ(range.high, 4);
    for (MeasuredPoint& p : points) p.meanUp.reset();
    EXPECT_FALSE(RangeOf(points, false, range));
}

struct ZeroRow {
    double at;
    bool found;
    double shift;
};

TEST(TableZero, ShiftIsTheMeanOfWhatWasMeasuredThere) {
    const ZeroRow rows[] = {
        {2, true, 0.0040},    // both: (0.0030 + 0.0050) / 2
        {1.5, true, 0.0030},  // both, interpolated: (0.0020 + 0.0040) / 2
        {0, true, 0.0020},    // down only
        {4, true, 0.0040},    // up only
        {4.5, false, 0},     {-0.5, false, 0},
    };
    for (const ZeroRow& row : rows) {
        double shift = -1;
        const ExportStatus status = ZeroShiftAt(UpAndBack(), row.at, shift);
        EXPECT_EQ(status.code(), row.found ? ExportCode::OK : ExportCode::ZERO_OUTSIDE) << row.at;
        if (row.found) {
            EXPECT_NEAR(shift, row.shift, 1e-12) << row.at;
        }
    }
    std::vector<MeasuredPoint> points = UpAndBack();
    ShiftMeans(points, 0.0040);
    EXPECT_NEAR(*points[2].meanUp + *points[2].meanDown, 0.0, 1e-12);
    EXPECT_FALSE(points[0].meanUp.has_value());
}

}  // namespace

}  // namespace pitchwise
