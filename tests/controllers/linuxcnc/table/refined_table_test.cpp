#include "refined_table.h"

#include <gtest/gtest.h>

namespace pitchwise {

namespace {

// A verification run tied at its start (deviation 0 there) with the given
// residuals at the targets after it.
LoggedRun VerificationRun(Direction direction, const std::vector<double>& targets,
                          const std::vector<double>& residuals) {
    LoggedRun run;
    run.tableInForce = true;
    run.direction = direction;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        LoggedPoint p;
        p.point = static_cast<int>(i);
        p.target = targets[i];
        p.approach = i == 0 ? Direction::UP : direction;
        p.deviation = i == 0 ? 0.0 : residuals[i - 1];
        run.points.push_back(p);
    }
    return run;
}

TEST(RefinedTableTest, CandidateIsNamedBesideTheTable) {
    const std::pair<const char*, const char*> rows[] = {
        {"comp_x.dat", "comp_x-refined.dat"},
        {"/m/comp_x.dat", "/m/comp_x-refined.dat"},
        {"/m/x.tbl", "/m/x-refined.dat"},
        {"/m.d/comp", "/m.d/comp-refined.dat"},
    };
    for (const auto& [table, candidate] : rows) EXPECT_EQ(RefinedCandidatePath(table), candidate);
}

struct RefineRow {
    const char* name;
    std::vector<CompPoint> inForce;
    std::vector<LoggedRun> runs;
    bool refined;
    std::vector<CompPoint> candidate;  // or a piece of the reason
    const char* why;
};

TEST(RefinedTableTest, TableInForcePlusTheMeanResidualWithinTheLimits) {
    const std::vector<CompPoint> flat = {{0, 0, 0}, {10, 10, 10}, {20, 20, 20}};
    const std::vector<RefineRow> rows = {
        {"no run: the table as it is", flat, {}, true, flat, ""},
        {"up runs: their mean, the other column kept",
         flat,
         {VerificationRun(Direction::UP, {0, 10, 20}, {0.002, 0.004}),
          VerificationRun(Direction::UP, {0, 10, 20}, {0.004, 0.006})},
         true,
         {{0, 0, 0}, {10, 10.003, 10}, {20, 20.005, 20}},
         ""},
        {"outside the runs the old points stay",
         {{0, 0, 0}, {10, 10, 10}, {20, 20, 20}, {30, 30.001, 30.001}},
         {VerificationRun(Direction::UP, {0, 10, 20}, {0.001, 0.002})},
         true,
         {{0, 0, 0}, {10, 10.001, 10}, {20, 20.002, 20}, {30, 30.001, 30.001}},
         ""},
        {"a down run's start at 20 is no reading where an up run measured 20",
         flat,
         {VerificationRun(Direction::UP, {0, 10, 20}, {0.002, 0.004}),
          VerificationRun(Direction::DOWN, {20, 10, 0}, {-0.001, -0.002})},
         true,
         {{0, 0, -0.002}, {10, 10.002, 9.999}, {20, 20.004, 19.999}},
         ""},
        {"meeting a kept point too steeply",
         {{0, 0, 0}, {10, 10, 10}, {20, 20, 20}, {21, 21, 21}},
         {VerificationRun(Direction::UP, {0, 10, 20}, {0.01, 0.02})},
         false,
         {},
         "kept point 21.000000"},
    };
    for (const RefineRow& row : rows) {
        std::vector<CompPoint> candidate;
        std::string why;
        ASSERT_EQ(RefineTable(row.inForce, row.runs, 1.0 / 64.0, candidate, why), row.refined)
            << row.name << ": " << why;
        if (!row.refined) {
            EXPECT_NE(why.find(row.why), std::string::npos) << row.name << ": " << why;
            continue;
        }
        ASSERT_EQ(candidate.size(), row.candidate.size()) << row.name;
        for (std::size_t i = 0; i < candidate.size(); ++i) {
            EXPECT_NEAR(candidate[i].nominal, row.candidate[i].nominal, 1e-9) << row.name;
            EXPECT_NEAR(candidate[i].positive, row.candidate[i].positive, 1e-9) << row.name;
            EXPECT_NEAR(candidate[i].negative, row.candidate[i].negative, 1e-9) << row.name;
        }
    }
}

TEST(RefinedTableTest, ACandidateOver256PointsIsRefused) {
    std::vector<CompPoint> inForce;
    for (int i = 0; i < 256; ++i) inForce.push_back({i * 1.0, i * 1.0, i * 1.0});
    std::vector<CompPoint> candidate;
    std::string why;
    // A target between two of the table's points adds one.
    EXPECT_FALSE(RefineTable(inForce, {VerificationRun(Direction::UP, {0, 0.5}, {0.0})}, 1.0 / 64.0,
                             candidate, why));
    EXPECT_NE(why.find("256"), std::string::npos) << why;
}

}  // namespace

}  // namespace pitchwise
