// The report: its text from hand-made runs, and the program on a log of 256
// targets by 20 runs, drawing without a display.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "axis_report.h"
#include "qsb.h"

namespace pitchwise {

namespace {

LoggedRun MakeRun(int number, Direction direction, const std::vector<double>& targets,
                  const std::vector<double>& deviations, bool tableInForce = false) {
    LoggedRun run;
    run.run = number;
    run.measurement = 1;
    run.direction = direction;
    run.tableInForce = tableInForce;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        Direction approach =
            i == 0 ? (direction == Direction::UP ? Direction::DOWN : Direction::UP) : direction;
        run.points.push_back({static_cast<int>(i), "2026-12-09T07:00:00Z", targets[i],
                              -deviations[i], approach, deviations[i]});
    }
    return run;
}

// The line of a figure ("  E+  systematic ..."), or "" when missing.
std::string LineOf(const std::string& text, const std::string& name) {
    std::size_t at = text.find("\n  " + name);
    if (at == std::string::npos) return std::string();
    return text.substr(at + 1, text.find('\n', at + 1) - at - 1);
}

TEST(ReportText, FiguresPerDirectionAndForTheAxis) {
    // One run each way over 0, 1, 2 (start of each left out):
    // up at 1, 2: 0.001, 0.003; down at 1, 0: -0.001, 0.0005
    // E+ = 0.002, E- = 0.0015, E = 0.003 - (-0.001) = 0.004; B at 1 = 0.002
    std::vector<LoggedRun> log = {MakeRun(1, Direction::UP, {0, 1, 2}, {0, 0.001, 0.003}),
                                  MakeRun(2, Direction::DOWN, {2, 1, 0}, {0.003, -0.001, 0.0005})};
    std::vector<AxisReport> reports = BuildAxisReports(log);
    ASSERT_EQ(reports.size(), 1u);
    std::string text = AxisReportText(reports[0]);
    EXPECT_NE(text.find("axis X: 1 run moving up, 1 moving down"), std::string::npos) << text;
    EXPECT_NE(LineOf(text, "E+ ").find("0.002000"), std::string::npos) << text;
    EXPECT_NE(LineOf(text, "E- ").find("0.001500"), std::string::npos) << text;
    EXPECT_NE(LineOf(text, "E  ").find("0.004000       40.1 counts"), std::string::npos) << text;
    EXPECT_NE(LineOf(text, "B  ").find("0.002000"), std::string::npos) << text;
    // One run each way gives no spread: said, not printed as a number.
    EXPECT_NE(LineOf(text, "R+ ").find("not available"), std::string::npos) << text;
    EXPECT_NE(LineOf(text, "A  ").find("not available"), std::string::npos) << text;
    EXPECT_EQ(text.find("nan"), std::string::npos) << text;
    EXPECT_EQ(text.find("with the table in force"), std::string::npos);

    log.push_back(MakeRun(3, Direction::UP, {0, 1, 2}, {0, 0.0001, -0.0001}, true));
    reports = BuildAxisReports(log);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].runs.size(), 2u);
    ASSERT_EQ(reports[0].verification.size(), 1u);
    text = AxisReportText(reports[0]);
    EXPECT_NE(text.find("axis X with the table in force: 1 verification run ("), std::string::npos);
    // The residual: up at 1, 2: 0.0001, -0.0001.
    EXPECT_NE(text.substr(text.find("table in force")).find("0.000200"), std::string::npos) << text;
}

struct Result {
    int status;
    std::string output;
};

Result RunProgram(const std::string& arguments) {
    std::string command = std::string(PITCHWISE_REPORT_PROGRAM) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    Result result{-1, ""};
    if (!pipe) return result;
    char buffer[4096];
    std::size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, got);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class ReportProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/pitchwise-report-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        // No display at all: the program must not need one.
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("QT_QPA_PLATFORM");
        // As for root or under su: Qt must not begin the output with a warning.
        unsetenv("XDG_RUNTIME_DIR");
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }
    std::string dir;
};

TEST_F(ReportProgram, DrawsTheLargestMeasurementWithoutADisplay) {
    // 256 targets by 20 runs, alternating, on a sine with a reversal of 0.002.
    std::string log = std::string(RUN_LOG_HEADER) + "\n";
    for (int r = 0; r < 20; ++r) {
        const bool up = r % 2 == 0;
        std::vector<double> targets, deviations;
        for (int i = 0; i < 256; ++i) {
            double t = (up ? i : 255 - i) * 0.1;
            targets.push_back(t);
            deviations.push_back(0.003 * std::sin(t) + (up ? -0.001 : 0.001) +
                                 0.00001 * ((r * 7 + i) % 5 - 2));
        }
        log += FormatRun(MakeRun(r + 1, up ? Direction::UP : Direction::DOWN, targets, deviations));
    }
    // And one verification run made with the table in force.
    std::vector<double> targets, residuals;
    for (int i = 0; i < 256; ++i) {
        targets.push_back(i * 0.1);
        residuals.push_back(0.00002 * ((i % 3) - 1));
    }
    log += FormatRun(MakeRun(21, Direction::UP, targets, residuals, true));
    // A second one: a spread, so the after-band is drawn.
    for (double& r : residuals) r = -r;
    log += FormatRun(MakeRun(22, Direction::UP, targets, residuals, true));
    std::ofstream(dir + "/runs.csv") << log;

    Result result = RunProgram(dir + "/runs.csv -o " + dir + "/out");
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("axis X: 10 runs moving up, 10 moving down"), std::string::npos);
    std::string written = ReadFile(dir + "/out/report.txt");
    EXPECT_GT(written.size(), 256u * 80);
    // Nothing but the report: no warning from Qt before it.
    EXPECT_EQ(result.output, written);
    std::string png = ReadFile(dir + "/out/axis-x.png");
    ASSERT_GT(png.size(), 1000u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    std::string svg = ReadFile(dir + "/out/axis-x.svg");
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    for (const char* drawn : {"runs up", "runs down", "mean up ±2s", "mean down ±2s", "mean up",
                              "reversal B_i", "after: mean up", "after: up ±2s"})
        EXPECT_NE(svg.find(drawn), std::string::npos) << drawn;
    EXPECT_NE(result.output.find("axis X with the table in force: 2 verification runs"),
              std::string::npos);

    // The picture's title carries the same B as the text: both come from
    // one set of figures. B = 0.002 plus the spread of the small steps.
    std::size_t b = result.output.find("B   reversal (largest |B_i|)");
    ASSERT_NE(b, std::string::npos);
    std::string line = result.output.substr(b, result.output.find('\n', b) - b);
    std::string counts = line.substr(line.rfind("  ", line.find(" counts")) + 2);
    counts = counts.substr(counts.find_first_not_of(' '));
    counts = counts.substr(0, counts.find(' '));
    EXPECT_NE(svg.find("B " + counts + ","), std::string::npos) << counts;
}

TEST_F(ReportProgram, ATableThatMadeItWorseIsCalledOutInTextAndPicture) {
    // Before: 0.001 and 0.003 up; after: the same error, doubled.
    std::string log = std::string(RUN_LOG_HEADER) + "\n";
    log += FormatRun(MakeRun(1, Direction::UP, {0, 1, 2}, {0, 0.001, 0.003}));
    log += FormatRun(MakeRun(2, Direction::UP, {0, 1, 2}, {0, 0.002, 0.006}, true));
    std::ofstream(dir + "/runs.csv") << log;
    Result result = RunProgram(dir + "/runs.csv -o " + dir + "/out");
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("the table removed -- of E (the runs give no figure)"),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("warning: E+ with the table in force (40.1 counts) is larger"),
              std::string::npos)
        << result.output;
    EXPECT_NE(ReadFile(dir + "/out/axis-x.svg").find("WARNING: E+ larger"), std::string::npos);
}

TEST_F(ReportProgram, RefusesWhatItCannotRead) {
    std::ofstream(dir + "/bad.csv") << RUN_LOG_HEADER << "\n1,1,now,X\n";
    Result bad = RunProgram(dir + "/bad.csv -o " + dir + "/out");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.output.find("line 2: expected 13"), std::string::npos) << bad.output;
    Result missing = RunProgram(dir + "/none.csv");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("cannot open " + dir + "/none.csv: No such file or directory"),
              std::string::npos)
        << missing.output;
    Result usage = RunProgram("");
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.output.find("usage: pitchwise-report RUNLOG [-o DIR]"), std::string::npos);
}

}  // namespace

TEST_F(ReportProgram, NormalisesTo20DegreesWhenAsked) {
    // Up 0..500 and back, +0.0100 at 500: at 23 °C on a steel axis and a
    // scale at 21 °C that is -0.0032498 at 20 °C.
    std::ofstream(dir + "/runs.csv")
        << RUN_LOG_HEADER << "\n"
        << FormatRun(MakeRun(1, Direction::UP, {0, 250, 500}, {0, 0.0050, 0.0100}))
        << FormatRun(MakeRun(2, Direction::DOWN, {500, 250, 0}, {0.0100, 0.0050, 0}));
    const std::string warm =
        " --temperature 23 --expansion 11.5 --scale-temperature 21 --scale-expansion 8";
    struct Row {
        std::string options;
        int status;
        const char* says;
    };
    const Row rows[] = {
        {"", 0, "targets in machine coordinates, not normalised to 20 °C"},
        {"", 0, "500.0000   1   0   0.010000"},
        {warm, 0, "normalised to 20 °C: axis at 23.00 °C, 11.50 µm/m/K; scale at 21.00 °C"},
        {warm, 0, "500.0000   1   0  -0.003250"},
        {" --temperature 23 --expansion 11.5", 2, "all four"},
        {" --expansion x", 2, "--expansion takes a number"},
    };
    for (const Row& row : rows) {
        Result result = RunProgram(dir + "/runs.csv -o " + dir + "/out" + row.options);
        EXPECT_EQ(result.status, row.status) << row.options << result.output;
        EXPECT_NE(result.output.find(row.says), std::string::npos) << row.says << result.output;
    }
}

TEST_F(ReportProgram, TakesTheUnitFromTheLogAndRefusesAContradiction) {
    struct Row {
        LengthUnit logged;
        std::string options;
        int status;
        const char* says;
    };
    const Row rows[] = {
        {LengthUnit::MM, "", 0, "deviation = actual - target, in mm;"},
        {LengthUnit::MM, " --unit mm", 0, "deviation = actual - target, in mm;"},
        {LengthUnit::MM, " --unit inch", 1,
         "--unit inch contradicts the run log, whose axis X lengths are in mm"},
        {LengthUnit::INCH, " --unit mm", 1, "whose axis X lengths are in inch"},
        {LengthUnit::UNKNOWN, " --unit inch", 0, "deviation = actual - target, in inch;"},
        {LengthUnit::UNKNOWN, "", 0, "deviation = actual - target, in the length unit;"},
    };
    for (const Row& row : rows) {
        LoggedRun up = MakeRun(1, Direction::UP, {0, 1, 2}, {0, 0.001, 0.003});
        LoggedRun down = MakeRun(2, Direction::DOWN, {2, 1, 0}, {0.003, 0.002, 0.001});
        up.unit = down.unit = row.logged;
        std::ofstream(dir + "/runs.csv") << RUN_LOG_HEADER << "\n"
                                         << FormatRun(up) << FormatRun(down);
        Result result = RunProgram(dir + "/runs.csv -o " + dir + "/out" + row.options);
        EXPECT_EQ(result.status, row.status) << row.options << result.output;
        EXPECT_NE(result.output.find(row.says), std::string::npos) << row.says << result.output;
    }
}

}  // namespace pitchwise
