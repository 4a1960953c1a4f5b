// The picture's run lines, read back from the chart it renders: each run's
// readings, never its start (the tie).

#include "axis_chart.h"

#include <gtest/gtest.h>

#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtWidgets/QApplication>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "qsb.h"

namespace pitchwise {

namespace {

void StartToolkit() {
    static int argc = 1;
    static char name[] = "axis_chart_test";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(argc, argv);
}

// A run over `targets` from its start, with deviations already tied.
LoggedRun MakeRun(int number, Direction direction, const std::vector<double>& targets,
                  const std::vector<double>& deviations) {
    LoggedRun run;
    run.run = number;
    run.measurement = 1;
    run.direction = direction;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const Direction approach =
            i == 0 ? (direction == Direction::UP ? Direction::DOWN : Direction::UP) : direction;
        run.points.push_back({static_cast<int>(i), "2026-12-09T07:00:00Z", targets[i],
                              -deviations[i], approach, deviations[i]});
    }
    return run;
}

using Points = std::vector<std::pair<double, double>>;  // target, deviation in length

// The points of every run line, in the order drawn, in the log's length.
std::vector<Points> RunLines(const AxisReport& report) {
    std::unique_ptr<QChart> chart(BuildAxisChart(report));
    std::vector<Points> lines;
    for (QAbstractSeries* series : chart->series()) {
        auto* line = qobject_cast<QLineSeries*>(series);
        if (line == nullptr || (line->name() != "runs up" && line->name() != "runs down")) continue;
        // A line through one point draws nothing: the point must be marked.
        EXPECT_TRUE(line->count() != 1 || line->pointsVisible()) << "a lone reading unmarked";
        Points points;
        for (const QPointF& p : line->points())
            points.push_back({p.x(), p.y() / QSB_COUNTS_PER_UNIT});
        lines.push_back(points);
    }
    return lines;
}

struct Row {
    const char* what;
    std::vector<LoggedRun> runs;
    std::vector<Points> lines;
};

TEST(AxisChart, DrawsEachRunsReadingsButNotItsTie) {
    StartToolkit();
    const Row rows[] = {
        {"one run up",
         {MakeRun(1, Direction::UP, {0, 1, 2}, {0, 0.001, 0.003})},
         {{{1, 0.001}, {2, 0.003}}}},
        // The run down starts at 2 tied to the run up's 0.003 there.
        {"up, then down from where it ended",
         {MakeRun(1, Direction::UP, {0, 1, 2}, {0, 0.001, 0.003}),
          MakeRun(2, Direction::DOWN, {2, 1, 0}, {0.003, -0.001, 0.0005})},
         {{{1, 0.001}, {2, 0.003}}, {{1, -0.001}, {0, 0.0005}}}},
        {"one reading", {MakeRun(1, Direction::UP, {5, 6}, {0, -0.0002})}, {{{6, -0.0002}}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::vector<AxisReport> reports = BuildAxisReports(row.runs);
        ASSERT_EQ(reports.size(), 1u);
        const std::vector<Points> lines = RunLines(reports[0]);
        ASSERT_EQ(lines.size(), row.lines.size());
        for (std::size_t l = 0; l < lines.size(); ++l) {
            ASSERT_EQ(lines[l].size(), row.lines[l].size()) << "line " << l;
            for (std::size_t i = 0; i < lines[l].size(); ++i) {
                EXPECT_DOUBLE_EQ(lines[l][i].first, row.lines[l][i].first) << l << "/" << i;
                EXPECT_NEAR(lines[l][i].second, row.lines[l][i].second, 1e-12) << l << "/" << i;
            }
        }
    }
}

}  // namespace

}  // namespace pitchwise
