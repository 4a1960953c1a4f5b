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
    const char* error;              // a part of it
};

GridRequest Request(std::optional<double> spacing, std::optional<double> from,
                    std::optional<double> until, std::size_t maxPoints = 256, bool both = true) {
    GridRequest r;
    r.spacing = spacing;
    r.from = from;
    r.until = until;
    r.maxPoints = maxPoints;
    r.bothDirections = both;
    return r;
}

TEST(TableGrid, PointsValuesAndRefusals) {
    const GridRow rows[] = {
        {"both directions: where both were measured",
         Request({}, {}, {}),
         {1, 2, 3},
         {0.0010, 0.0030, 0.0020},
         ""},
        {"either direction: where either was",
         Request({}, {}, {}, 256, false),
         {0, 1, 2, 3, 4},
         {{}, 0.0010, 0.0030, 0.0020, 0.0040},
         ""},
        {"halves interpolated",
         Request(0.5, {}, {}),
         {1, 1.5, 2, 2.5, 3},
         {0.0010, 0.0020, 0.0030, 0.0025, 0.0020},
         ""},
        {"a spacing not dividing the range stops inside it",
         Request(0.75, {}, {}),
         {1, 1.75, 2.5},
         {0.0010, 0.0025, 0.0025},
         ""},
        {"a sub-range", Request(0.5, 1.5, 2.5), {1.5, 2, 2.5}, {0.0020, 0.0030, 0.0025}, ""},
        {"exactly the limit", Request(1, {}, {}, 3), {1, 2, 3}, {0.0010, 0.0030, 0.0020}, ""},
        {"one point too many",
         Request(1, {}, {}, 2),
         {},
         {},
         "needs 3 points, more than the 2 the format takes: a spacing of 2.0000 or more fits"},
        {"below the range",
         Request({}, 0.5, {}),
         {},
         {},
         "lies outside the measured range 1.0000 to 3.0000 (both directions)"},
        {"above the range", Request({}, {}, 3.5), {}, {}, "never extrapolated"},
        {"start above end", Request({}, 2.5, 1.5), {}, {}, "must lie below its end"},
        {"spacing zero", Request(0.0, {}, {}), {}, {}, "must be above 0"},
        {"spacing negative", Request(-1.0, {}, {}), {}, {}, "must be above 0"},
        {"spacing beyond the range", Request(2.5, {}, {}), {}, {}, "at most the grid's length"},
    };
    for (const GridRow& row : rows) {
        std::vector<GridPoint> grid;
        std::string error;
        bool built = BuildGrid(UpAndBack(), row.request, grid, error);
        EXPECT_EQ(built, !row.positions.empty()) << row.name << ": " << error;
        ASSERT_EQ(grid.size(), row.positions.size()) << row.name;
        for (std::size_t i = 0; i < grid.size(); ++i) {
            EXPECT_NEAR(grid[i].position, row.positions[i], 1e-9) << row.name;
            EXPECT_EQ(grid[i].up.has_value(), row.up[i].has_value()) << row.name << " " << i;
            if (grid[i].up && row.up[i]) {
                EXPECT_NEAR(*grid[i].up, *row.up[i], 1e-9) << row.name;
            }
        }
        EXPECT_NE(error.find(row.error), std::string::npos) << row.name << ": " << error;
    }
}

TEST(TableGrid, UnevenTargetsNeedASpacing) {
    std::vector<MeasuredPoint> points = UpAndBack();
    points[2].target = 2.1;
    std::vector<GridPoint> grid;
    std::string error;
    EXPECT_FALSE(BuildGrid(points, Request({}, {}, {}), grid, error));
    EXPECT_NE(error.find("not evenly spaced: give --spacing"), std::string::npos) << error;
    EXPECT_TRUE(BuildGrid(points, Request(1, {}, {}), grid, error)) << error;
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
        std::string error;
        EXPECT_EQ(ZeroShiftAt(UpAndBack(), row.at, shift, error), row.found) << row.at;
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
