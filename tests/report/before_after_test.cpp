#include "before_after.h"

#include <gtest/gtest.h>

#include <sstream>

namespace pitchwise {

namespace {

TEST(BeforeAfterTest, PercentOfTheErrorRemoved) {
    struct Row {
        Figure before;
        Figure after;
        Figure removed;
    };
    const std::vector<Row> rows = {
        {0.010, 0.001, 90.0},
        {0.010, 0.0, 100.0},
        {0.010, 0.010, 0.0},
        {0.010, 0.025, -150.0},
        {-0.010, 0.002, 80.0},
        {0.0, 0.001, std::nullopt},
        {std::nullopt, 0.001, std::nullopt},
        {0.010, std::nullopt, std::nullopt},
    };
    for (const Row& row : rows) {
        const Figure removed = PercentRemoved(row.before, row.after);
        ASSERT_EQ(removed.has_value(), row.removed.has_value());
        if (removed) {
            EXPECT_NEAR(*removed, *row.removed, 1e-9);
        }
    }
}

TEST(BeforeAfterTest, AResidualLargerThanTheErrorIsCalledOut) {
    struct Row {
        const char* name;
        AxisFigures before;
        AxisFigures after;
        std::vector<std::string> called;  // the figures called out, in order
    };
    auto figures = [](Figure up, Figure down, Figure e, Figure m) {
        AxisFigures f;
        f.systematicUp = up;
        f.systematicDown = down;
        f.systematic = e;
        f.meanDeviation = m;
        return f;
    };
    const std::vector<Row> rows = {
        {"all smaller", figures(0.04, 0.04, 0.05, 0.045), figures(0.001, 0.001, 0.002, 0.001), {}},
        {"applied the wrong way round: everything doubled",
         figures(0.04, 0.04, 0.05, 0.045),
         figures(0.08, 0.08, 0.1, 0.09),
         {"E+", "E-", "E ", "M "}},
        {"one direction only",
         figures(0.04, 0.01, 0.05, 0.045),
         figures(0.001, 0.02, 0.02, 0.01),
         {"E-"}},
        {"equal is not larger",
         figures(0.01, 0.01, 0.01, 0.01),
         figures(0.01, 0.01, 0.01, 0.01),
         {}},
        {"no figure after",
         figures(0.01, 0.01, 0.01, 0.01),
         figures(std::nullopt, std::nullopt, std::nullopt, std::nullopt),
         {}},
    };
    for (const Row& row : rows) {
        const std::vector<std::string> said = ResidualsLargerThanBefore(row.before, row.after);
        ASSERT_EQ(said.size(), row.called.size()) << row.name;
        for (std::size_t i = 0; i < said.size(); ++i) {
            EXPECT_EQ(said[i].rfind(row.called[i], 0), 0u) << row.name << ": " << said[i];
            EXPECT_NE(said[i].find("wrong way round"), std::string::npos) << said[i];
        }
    }
}

TEST(BeforeAfterTest, TwelveFiguresSideBySideAndWhatWasRemoved) {
    AxisFigures before;
    AxisFigures after;
    before.systematic = 0.01;
    after.systematic = 0.0005;
    before.meanDeviation = 0.008;
    after.meanDeviation = 0.0002;
    before.reversal = 0.002;
    const std::string text = BeforeAfterText(before, after);
    std::istringstream lines(text);
    int figures = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.size() > 5 && line[2] != ' ' && line.find("figure") == std::string::npos &&
            line.find("the table removed") == std::string::npos)
            ++figures;
    }
    EXPECT_EQ(figures, 12) << text;
    // E: 0.01 before (100.3 counts), 0.0005 after (5.0 counts).
    EXPECT_NE(text.find("  E   systematic deviation                0.010000    0.000500       "
                        "100.3         5.0\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("  B   reversal (largest |B_i|)            0.002000          --"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("the table removed 95.0 % of E\n"), std::string::npos) << text;
    EXPECT_NE(text.find("the table removed 97.5 % of M\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("warning"), std::string::npos) << text;
}

}  // namespace

}  // namespace pitchwise
