// The report of the smallest run there is, one sample at one target: no
// figure a single target cannot give, a title in the singular, and a legend
// naming only what is drawn.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "run_log.h"

namespace pitchwise {

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ReportOfOneRun, ShowsOnlyWhatOneTargetGives) {
    char pattern[] = "/tmp/pitchwise-report-one-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    // 0 to 1 by 1 moving up: the start is the tie, 1 the only sample.
    LoggedRun run;
    run.run = 1;
    run.measurement = 1;
    run.direction = Direction::UP;
    run.points = {{0, "2026-12-09T07:00:00Z", 0, 0, Direction::DOWN, 0},
                  {1, "2026-12-09T07:00:01Z", 1, -0.0002, Direction::UP, 0.0002}};
    std::ofstream(dir + "/runs.csv") << RUN_LOG_HEADER << "\n" << FormatRun(run);
    const std::string command = std::string(PITCHWISE_REPORT_PROGRAM) + " " + dir +
                                "/runs.csv -o " + dir + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);

    const std::string text = ReadAll(dir + "/report.txt");
    const std::string svg = ReadAll(dir + "/axis-x.svg");
    struct Row {
        const std::string& where;
        std::string what;
        bool present;
    };
    const Row rows[] = {
        {text, "  E+  systematic deviation                         not available\n", true},
        {text, "  E   systematic deviation                         not available\n", true},
        {text, "0.000000        0.0 counts", false},
        {svg, "Axis X: 1 run —", true},
        {svg, "1 runs", false},
        {svg, "runs up", true},
        {svg, "mean up", true},
        {svg, "runs down", false},
        {svg, "mean down", false},
        {svg, "±2s", false},
        {svg, "reversal B_i", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.where.find(row.what) != std::string::npos, row.present)
            << (&row.where == &text ? "report.txt: " : "svg: ") << row.what;
    }
    std::system(("rm -rf '" + dir + "'").c_str());
}

}  // namespace

}  // namespace pitchwise
