// The bench's outputs, each refused with the system's reason before a run.

#include "output_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace pitchwise {

namespace {

TEST(BenchOutputs, RefusedBeforeTheRunWithTheReason) {
    char pattern[] = "/tmp/pitchwise-outputs-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    std::FILE* file = std::fopen((dir + "/runs.csv").c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("kept\n", file);
    std::fclose(file);
    struct Row {
        std::string path;
        std::string error;  // empty: accepted
    };
    const std::vector<Row> rows = {
        {"", ""},
        {dir + "/runs.csv", ""},
        {dir + "/new/deeper/table.csv", ""},
        {dir, "cannot write " + dir + ": Is a directory"},
        {dir + "/runs.csv/x.csv",
         "cannot write " + dir + "/runs.csv/x.csv: cannot make its folder: Not a directory"},
        {"/proc/runs.csv", "cannot write /proc/runs.csv: cannot make a file in /proc: "},
    };
    for (const Row& row : rows) {
        std::string error;
        EXPECT_EQ(CheckOutputPath(row.path, error), row.error.empty()) << row.path;
        EXPECT_EQ(error.substr(0, row.error.size()), row.error) << row.path;
    }
    // The log already there is neither emptied nor left with a probe beside it.
    std::FILE* kept = std::fopen((dir + "/runs.csv").c_str(), "r");
    char text[16] = {};
    ASSERT_NE(kept, nullptr);
    EXPECT_NE(std::fgets(text, sizeof text, kept), nullptr);
    std::fclose(kept);
    EXPECT_STREQ(text, "kept\n");
    EXPECT_EQ(std::system(("test $(ls -A '" + dir + "' | wc -l) -eq 2").c_str()), 0);

    BenchCommandLine options;
    options.csvFile = dir + "/table.csv";
    options.bench.behaviour.runLog = "/proc/runs.csv";
    std::string error;
    EXPECT_FALSE(CheckBenchOutputs(options, error));
    EXPECT_EQ(error.rfind("cannot write /proc/runs.csv", 0), 0u) << error;
    std::system(("rm -rf '" + dir + "'").c_str());
}

}  // namespace

}  // namespace pitchwise
