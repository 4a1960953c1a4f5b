// pitchwise-report's command line: what each one means, and what the
// program says on each stream.

#include "report_options.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace pitchwise {

namespace {

TEST(ReportCommandLine, EachArgumentMeansOneThing) {
    struct Row {
        std::vector<const char*> arguments;
        bool ok;
        std::string runLog;
        std::string dir;
        bool help;
        std::string error;
        LengthUnit unit = LengthUnit::UNKNOWN;
    };
    const std::vector<Row> rows = {
        {{"runs.csv"}, true, "runs.csv", ".", false, ""},
        {{"logs/runs.csv"}, true, "logs/runs.csv", "logs/", false, ""},
        {{"runs.csv", "-o", "out"}, true, "runs.csv", "out", false, ""},
        {{"-o", "out", "runs.csv"}, true, "runs.csv", "out", false, ""},
        {{"--help"}, true, "", "", true, ""},
        {{"-h", "--bogus"}, false, "", "", false, "unknown option --bogus"},
        {{"runs.csv", "--bogus"}, false, "", "", false, "unknown option --bogus"},
        {{"runs.csv", "-o"}, false, "", "", false, "-o needs a folder"},
        {{}, false, "", "", false, "no run log given"},
        {{"a.csv", "b.csv"}, false, "", "", false, "one run log only, not also b.csv"},
        {{""}, false, "", "", false, "an empty run log name"},
        // A lone dash is a file name the shell could give.
        {{"-"}, true, "-", ".", false, ""},
        {{"runs.csv", "--unit", "inch"}, true, "runs.csv", ".", false, "", LengthUnit::INCH},
        {{"--unit", "mm", "runs.csv"}, true, "runs.csv", ".", false, "", LengthUnit::MM},
        {{"runs.csv", "--unit", "cm"}, false, "", "", false, "--unit takes mm or inch"},
        {{"runs.csv", "--unit"}, false, "", "", false, "--unit takes mm or inch"},
    };
    for (const Row& row : rows) {
        std::vector<const char*> argv = {"pitchwise-report"};
        argv.insert(argv.end(), row.arguments.begin(), row.arguments.end());
        ReportCommandLine options;
        std::string error;
        const bool ok =
            ParseReportCommandLine(static_cast<int>(argv.size()), argv.data(), options, error);
        const std::string name = row.arguments.empty() ? "(none)" : row.arguments.back();
        EXPECT_EQ(ok, row.ok) << name;
        if (!row.ok) {
            EXPECT_EQ(error, row.error) << name;
            continue;
        }
        EXPECT_EQ(options.runLog, row.runLog) << name;
        EXPECT_EQ(options.dir, row.dir) << name;
        EXPECT_EQ(options.help, row.help) << name;
        EXPECT_EQ(options.unit, row.unit) << name;
    }
}

TEST(ReportCommandLine, AnUnreadableLogIsNamedWithTheReason) {
    char pattern[] = "/tmp/pitchwise-report-options-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    std::FILE* file = std::fopen((dir + "/runs.csv").c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    struct Row {
        std::string path;
        bool ok;
        std::string error;
    };
    const std::vector<Row> rows = {
        {dir + "/runs.csv", true, ""},
        {dir + "/missing.csv", false,
         "cannot open " + dir + "/missing.csv: No such file or directory"},
        {dir, false, "cannot read " + dir + ": Is a directory"},
        {dir + "/runs.csv/x", false, "cannot open " + dir + "/runs.csv/x: Not a directory"},
    };
    for (const Row& row : rows) {
        std::string error;
        EXPECT_EQ(CheckRunLogReadable(row.path, error), row.ok) << row.path;
        EXPECT_EQ(error, row.error) << row.path;
    }
    std::system(("rm -rf '" + dir + "'").c_str());
}

// The program's exit status and what it wrote on one stream ("1" or "2").
std::pair<int, std::string> RunOneStream(const std::string& arguments, const std::string& stream) {
    const std::string command = std::string(PITCHWISE_REPORT_PROGRAM) + " " + arguments +
                                (stream == "1" ? " 2>/dev/null" : " 2>&1 1>/dev/null");
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    if (!pipe) return {-1, output};
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(ReportProgramMessages, HelpOnStandardOutputErrorsOnStandardError) {
    struct Row {
        std::string arguments;
        int status;
        std::string stream;  // where the text goes; the other stays empty
        std::string text;
    };
    const std::vector<Row> rows = {
        {"--help", 0, "1",
         "usage: pitchwise-report RUNLOG [-o DIR] [--unit mm|inch] [temperature options]\n\nReads "
         "the run log"},
        {"--help", 0, "1", "  --temperature T --expansion A"},
        {"--help", 0, "1", "\nExits 0 when written"},
        {"--temperature 25 --help", 2, "2", "pitchwise-report: "},
        {"-h", 0, "1", "  -o DIR          write the report into DIR"},
        {"-h", 0, "1", "  --unit mm|inch  the machine's length unit"},
        {"--bogus", 2, "2",
         "pitchwise-report: unknown option --bogus\nusage: pitchwise-report RUNLOG [-o DIR]"},
        {"/nonexistent/missing.csv", 1, "2",
         "pitchwise-report: cannot open /nonexistent/missing.csv: No such file or directory\n"},
    };
    for (const Row& row : rows) {
        const auto said = RunOneStream(row.arguments, row.stream);
        EXPECT_EQ(said.first, row.status) << row.arguments;
        EXPECT_NE(said.second.find(row.text), std::string::npos)
            << row.arguments << ": " << said.second;
        const auto other = RunOneStream(row.arguments, row.stream == "1" ? "2" : "1");
        EXPECT_EQ(other.second, "") << row.arguments;
    }
}

}  // namespace

}  // namespace pitchwise
