// The figures against vectors worked out by hand (the working is beside
// each row), chosen so that the usual slips show: R taken as max(R↑, R↓), E
// taken as the larger of E↑ and E↓ or as M, and figures made up from a
// single run.

#include "positioning_figures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace pitchwise {

namespace {

const Figure NA = std::nullopt;
const double kRoot2 = std::sqrt(2.0);

struct Expected {
    Figure reversal, meanReversal;
    Figure repeatUp, repeatDown, repeat;
    Figure systematicUp, systematicDown, systematic;
    Figure meanDeviation;
    Figure accuracyUp, accuracyDown, accuracy;
};

struct FiguresCase {
    const char* name;
    std::vector<TargetDeviations> targets;
    Expected axis;
    std::vector<Figure> repeatAt;  // R_i per target, in order
};

const FiguresCase kCases[] = {
    // P=0: up {1, 3}: x̄↑ = 2, s↑ = sqrt((1 + 1) / 1) = √2, R↑ = 4√2 = 5.656854
    //      down {-1, -3}: x̄↓ = -2, s↓ = √2, R↓ = 4√2
    //      B = 2 - (-2) = 4; 2s↑ + 2s↓ + |B| = 4√2 + 4 = 9.656854 decides R_i
    // P=10: all zero: x̄ = 0, s = 0, B = 0, R = 0
    // Axis: R↑ = R↓ = 4√2 but R = 4√2 + 4; B = 4, B̄ = (4 + 0) / 2 = 2
    //       E↑ = 2 - 0 = 2, E↓ = 0 - (-2) = 2, E = 2 - (-2) = 4; M = 0 - 0 = 0
    //       A↑ = (2 + 2√2) - (2 - 2√2 vs 0 -> 2 - 2√2) = 4√2
    //       A↓ = (-2 + 2√2 vs 0 -> 0.828427) - (-2 - 2√2) = 4√2
    //       A  = (2 + 2√2) - (-2 - 2√2) = 4 + 4√2
    {"BothBandsAndReversalDecideR",
     {{0, {1, 3}, {-1, -3}}, {10, {0, 0}, {0, 0}}},
     {4, 2, 4 * kRoot2, 4 * kRoot2, 4 + 4 * kRoot2, 2, 2, 4, 0, 4 * kRoot2, 4 * kRoot2,
      4 + 4 * kRoot2},
     {4 + 4 * kRoot2, 0}},
    // P=0: up {0, 4, 8}: x̄↑ = 4, s↑² = (16 + 0 + 16) / 2 = 16, s↑ = 4, R↑ = 16
    //      down {3.5, 4.5, 4}: x̄↓ = 4, s↓² = (0.25 + 0.25 + 0) / 2, s↓ = 0.5, R↓ = 2
    //      B = 0; 2s↑ + 2s↓ + |B| = 9 < 16: R_i = R↑ = 16
    // P=5: up {1, 1, 1}, down {2, 2, 2}: s = 0, B = -1, R_i = 1
    // Axis: R↑ = 16, R↓ = 2, R = 16; B = 1, B̄ = (0 - 1) / 2 = -0.5
    //       E↑ = 4 - 1 = 3, E↓ = 4 - 2 = 2, E = 4 - 1 = 3; x̄ = 4, 1.5: M = 2.5
    //       A↑ = (4 + 8) - (4 - 8) = 16; A↓ = (4 + 1) - (2 - 0) = 3
    //       A = max(12, 1, 5, 2) - min(-4, 1, 3, 2) = 16
    {"OneDirectionDecidesR",
     {{0, {0, 4, 8}, {3.5, 4.5, 4}}, {5, {1, 1, 1}, {2, 2, 2}}},
     {1, -0.5, 16, 2, 16, 3, 2, 3, 2.5, 16, 3, 16},
     {16, 1}},
    // One run each way: no s anywhere.
    // P=0: x̄↑ = 1, x̄↓ = -1, B = 2; P=10: x̄↑ = 3, x̄↓ = 2, B = 1
    // B = 2, B̄ = 1.5; E↑ = 2, E↓ = 3, E = 3 - (-1) = 4; x̄ = 0, 2.5: M = 2.5
    {"SingleRunsGiveNoSpreadFigures",
     {{0, {1}, {-1}}, {10, {3}, {2}}},
     {2, 1.5, NA, NA, NA, 2, 3, 4, 2.5, NA, NA, NA},
     {NA, NA}},
    // Upward runs only: s = sqrt(0.5 / 1) at each target, R↑ = 4 · 0.707107
    // E↑ = 3.5 - 1.5 = 2; A↑ = (3.5 + √2) - (1.5 - √2) = 2 + 2√2
    // nothing bidirectional.
    {"OneDirectionOnly",
     {{0, {1, 2}, {}}, {5, {3, 4}, {}}},
     {NA, NA, 2 * kRoot2, NA, NA, 2, NA, NA, NA, 2 + 2 * kRoot2, NA, NA},
     {NA, NA}},
    // P=0: up {1, 3}, down {0, 0}; P=5: up {2} only once, down {0, 0}
    // s↑ is missing at P=5, so R↑, R and A↑, A are absent for the axis rather
    // than taken from P=0 alone. R↓ = 0, A↓ = 0; E↑ = 2 - 2 = 0, E = 2 - 0 = 2
    // B_i = 2 and 2: B = 2, B̄ = 2; x̄ = 1, 1: M = 0
    // R_i at P=0 = max(2√2 + 0 + 2, 4√2, 0) = 4√2
    {"AMissingSpreadIsNotSkipped",
     {{0, {1, 3}, {0, 0}}, {5, {2}, {0, 0}}},
     {2, 2, NA, 0, NA, 0, 0, 2, 0, NA, 0, NA},
     {4 * kRoot2, NA}},
    // One target, both ways as in the first row: B, R and A stand, but no
    // spread along the axis (E↑, E↓, E, M) can come from one target.
    {"OneTargetGivesNoSpreadAlongTheAxis",
     {{0, {1, 3}, {-1, -3}}},
     {4, 4, 4 * kRoot2, 4 * kRoot2, 4 + 4 * kRoot2, NA, NA, NA, NA, 4 * kRoot2, 4 * kRoot2,
      4 + 4 * kRoot2},
     {4 + 4 * kRoot2}},
    {"NoTargets", {}, {NA, NA, NA, NA, NA, NA, NA, NA, NA, NA, NA, NA}, {}},
};

void ExpectFigure(const Figure& actual, const Figure& expected, const char* what) {
    ASSERT_EQ(actual.has_value(), expected.has_value()) << what;
    if (expected) {
        EXPECT_NEAR(*actual, *expected, 1e-9) << what;
    }
}

class Figures : public ::testing::TestWithParam<FiguresCase> {};

TEST_P(Figures, MatchTheHandWorking) {
    const FiguresCase& c = GetParam();
    AxisFigures axis = ComputeAxisFigures(c.targets);
    const Expected& e = c.axis;
    ExpectFigure(axis.reversal, e.reversal, "B");
    ExpectFigure(axis.meanReversal, e.meanReversal, "mean B");
    ExpectFigure(axis.repeatUp, e.repeatUp, "R up");
    ExpectFigure(axis.repeatDown, e.repeatDown, "R down");
    ExpectFigure(axis.repeat, e.repeat, "R");
    ExpectFigure(axis.systematicUp, e.systematicUp, "E up");
    ExpectFigure(axis.systematicDown, e.systematicDown, "E down");
    ExpectFigure(axis.systematic, e.systematic, "E");
    ExpectFigure(axis.meanDeviation, e.meanDeviation, "M");
    ExpectFigure(axis.accuracyUp, e.accuracyUp, "A up");
    ExpectFigure(axis.accuracyDown, e.accuracyDown, "A down");
    ExpectFigure(axis.accuracy, e.accuracy, "A");
    ASSERT_EQ(axis.targets.size(), c.repeatAt.size());
    for (std::size_t i = 0; i < c.repeatAt.size(); ++i)
        ExpectFigure(axis.targets[i].repeat, c.repeatAt[i], "R_i");
}

INSTANTIATE_TEST_SUITE_P(Vectors, Figures, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

// The per-target means and spreads the axis figures are built from.
TEST(TargetFigures, MeansSpreadsAndReversalAtOneTarget) {
    // up {0, 4, 8}: x̄↑ = 4, s↑ = 4; down {3.5, 4.5, 4}: x̄↓ = 4, s↓ = 0.5
    AxisFigures axis = ComputeAxisFigures({{2.5, {0, 4, 8}, {3.5, 4.5, 4}}});
    const TargetFigures& t = axis.targets.at(0);
    EXPECT_EQ(t.target, 2.5);
    EXPECT_EQ(t.runsUp, 3u);
    EXPECT_EQ(t.runsDown, 3u);
    EXPECT_NEAR(*t.meanUp, 4, 1e-12);
    EXPECT_NEAR(*t.meanDown, 4, 1e-12);
    EXPECT_NEAR(*t.mean, 4, 1e-12);
    EXPECT_NEAR(*t.reversal, 0, 1e-12);
    EXPECT_NEAR(*t.sUp, 4, 1e-12);
    EXPECT_NEAR(*t.sDown, 0.5, 1e-12);
    EXPECT_NEAR(*t.repeatUp, 16, 1e-12);
    EXPECT_NEAR(*t.repeatDown, 2, 1e-12);
}

}  // namespace

}  // namespace pitchwise
