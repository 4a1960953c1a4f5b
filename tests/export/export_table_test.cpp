// The whole export from a hand-made log: one golden file per format, and
// every refusal, one row each.
#include "export_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace pitchwise {

namespace {

std::string Golden(const std::string& name) {
    std::ifstream file(std::string(PITCHWISE_EXPORT_GOLDEN) + "/" + name, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<LoggedRun> GoldenLog() {
    RunLogReading reading;
    std::string error;
    EXPECT_TRUE(ParseRunLog(Golden("runs.csv"), reading, error)) << error;
    return reading.runs;
}

// The golden log's mapping runs moving up only.
std::vector<LoggedRun> UpOnly() {
    std::vector<LoggedRun> runs;
    for (const LoggedRun& run : GoldenLog())
        if (run.direction == Direction::UP && !run.tableInForce) runs.push_back(run);
    return runs;
}

// One run each way over 0..3 whose deviations are far beyond any
// machine's, to reach the limits of the formats' own numbers.
std::vector<LoggedRun> Huge() {
    std::vector<LoggedRun> runs(2);
    for (int r = 0; r < 2; ++r) {
        runs[r].run = r + 1;
        runs[r].measurement = 1;
        runs[r].direction = r == 0 ? Direction::UP : Direction::DOWN;
        for (int i = 0; i <= 3; ++i) {
            double target = r == 0 ? i : 3 - i;
            runs[r].points.push_back(
                {i, "", target, 0, i == 0 ? Direction::UP : runs[r].direction, 300000.0 * i});
        }
    }
    return runs;
}

ExportResult Export(const std::vector<LoggedRun>& log, const std::vector<std::string>& args,
                    bool& exported, std::string& error) {
    ExportOptions options;
    ExportResult result;
    exported = ParseExportOptions(args, options, error) && ExportTable(log, options, result, error);
    return result;
}

struct GoldenRow {
    std::vector<std::string> args;
    const char* golden;
};

TEST(ExportTable, GoldenFiles) {
    const GoldenRow rows[] = {
        {{"runs.csv", "--axis", "X", "--to", "linuxcnc"}, "axis-x-linuxcnc.dat"},
        {{"runs.csv", "--axis", "X", "--to", "linuxcnc-offsets", "--spacing", "0.5"},
         "axis-x-linuxcnc-offsets-by-half.dat"},
        {{"runs.csv", "--axis", "X", "--to", "siemens-lec", "--unit", "mm", "--zero-at", "2"},
         "axis-x-siemens-zero-at-2.ini"},
        {{"runs.csv", "--axis", "X", "--to", "isg", "--unit", "inch"}, "axis-x-isg-inch.lis"},
        {{"runs.csv", "--axis", "X", "--to", "csv", "--temperature", "23", "--expansion", "11.5",
          "--scale-temperature", "21", "--scale-expansion", "8"},
         "axis-x-at-23-degrees.csv"},
    };
    for (const GoldenRow& row : rows) {
        bool exported = false;
        std::string error;
        ExportResult result = Export(GoldenLog(), row.args, exported, error);
        EXPECT_TRUE(exported) << row.golden << ": " << error;
        EXPECT_EQ(result.text, Golden(row.golden)) << row.golden;
    }
}

struct OneDirectionRow {
    const char* format;
    const char* holds;  // a part of the file
};

TEST(ExportTable, OneDirectionOnly) {
    const OneDirectionRow rows[] = {
        {"isg", "kw.ssfk.bilateral                   0\n"},
        {"isg", "kw.ssfk.table[3].pos                40\n"},
        {"siemens-lec", "one direction measured: its means, no reversal"},
        {"siemens-lec", "$AA_ENC_COMP[0,3,X1]=0.004000\n"},
        {"csv", "4.0000,0.004000,,,,0.000000,\n"},
    };
    for (const OneDirectionRow& row : rows) {
        bool exported = false;
        std::string error;
        ExportResult result =
            Export(UpOnly(), {"runs.csv", "--axis", "X", "--to", row.format, "--unit", "mm"},
                   exported, error);
        EXPECT_TRUE(exported) << row.format << ": " << error;
        EXPECT_NE(result.text.find(row.holds), std::string::npos) << result.text;
        EXPECT_EQ(result.text.find(".neg"), std::string::npos) << result.text;
    }
}

struct RefusalRow {
    const char* name;
    std::vector<LoggedRun> log;
    std::vector<std::string> options;  // after "runs.csv --axis X"
    const char* error;                 // a part of it
};

TEST(ExportTable, Refusals) {
    const RefusalRow rows[] = {
        {"no measurement of the axis",
         GoldenLog(),
         {"--axis", "Y", "--to", "csv"},
         "the run log holds no mapping measurement of axis Y"},
        {"an empty log",
         {},
         {"--axis", "X", "--to", "csv"},
         "holds no mapping measurement of axis X"},
        {"no such measurement",
         GoldenLog(),
         {"--axis", "X", "--to", "csv", "--measurement", "9"},
         "no mapping measurement 9 of axis X"},
        {"a verification is no measurement",
         GoldenLog(),
         {"--axis", "X", "--to", "csv", "--measurement", "3"},
         "no mapping measurement 3 of axis X"},
        {"two columns from one direction",
         UpOnly(),
         {"--axis", "X", "--to", "linuxcnc"},
         "linuxcnc holds one column per direction, and measurement 2 of axis X moved one way only"},
        {"offsets from one direction",
         UpOnly(),
         {"--axis", "X", "--to", "linuxcnc-offsets"},
         "moved one way only"},
        {"siemens without a unit",
         GoldenLog(),
         {"--axis", "X", "--to", "siemens-lec"},
         "give --unit mm"},
        {"isg without a unit", GoldenLog(), {"--axis", "X", "--to", "isg"}, "give --unit mm"},
        {"a grid below the range",
         GoldenLog(),
         {"--axis", "X", "--to", "linuxcnc", "--from", "0"},
         "lies outside the measured range 1.0000 to 3.0000"},
        {"a grid above the range",
         GoldenLog(),
         {"--axis", "X", "--to", "csv", "--until", "4.5"},
         "lies outside the measured range 0.0000 to 4.0000"},
        {"a zero outside the range",
         GoldenLog(),
         {"--axis", "X", "--to", "csv", "--zero-at", "5"},
         "--zero-at 5.0000 lies outside the measured range"},
        {"more points than linuxcnc takes",
         GoldenLog(),
         {"--axis", "X", "--to", "linuxcnc", "--spacing", "0.001"},
         "needs 2001 points, more than the 256 the format takes: a spacing of 0.0079 or more fits"},
        {"more points than isg takes",
         GoldenLog(),
         {"--axis", "X", "--to", "isg", "--unit", "mm", "--spacing", "0.001"},
         "more than the 1499"},
        {"more than --max-points",
         GoldenLog(),
         {"--axis", "X", "--to", "siemens-lec", "--unit", "mm", "--spacing", "0.5", "--max-points",
          "4"},
         "needs 5 points, more than the 4 the format takes: a spacing of 0.6667 or more fits"},
        {"beyond --max-correction",
         GoldenLog(),
         {"--axis", "X", "--to", "csv", "--max-correction", "0.004"},
         "the value 0.005000 at 2.0000 is beyond the largest correction 0.004000"},
        {"beyond 0.5 mm",
         Huge(),
         {"--axis", "X", "--to", "csv", "--unit", "mm"},
         "beyond the largest correction 0.500000"},
        {"beyond 0.5 mm in inch",
         GoldenLog(),
         {"--axis", "X", "--to", "isg", "--unit", "inch", "--zero-at", "1", "--max-correction",
          "0.0001"},
         "beyond the largest correction 0.000100"},
        {"beyond the list's integers",
         Huge(),
         {"--axis", "X", "--to", "isg", "--unit", "mm", "--max-correction", "1000000"},
         "does not fit the list's integers"},
        {"isg off its 0.1 um steps",
         GoldenLog(),
         {"--axis", "X", "--to", "isg", "--unit", "mm", "--spacing", "0.33333"},
         "in whole 0.1 µm"},
    };
    for (const RefusalRow& row : rows) {
        std::vector<std::string> args = {"runs.csv"};
        args.insert(args.end(), row.options.begin(), row.options.end());
        bool exported = true;
        std::string error;
        ExportResult result = Export(row.log, args, exported, error);
        EXPECT_FALSE(exported) << row.name;
        EXPECT_TRUE(result.text.empty()) << row.name;
        EXPECT_NE(error.find(row.error), std::string::npos) << row.name << ": " << error;
        EXPECT_FALSE(error.empty()) << row.name;
    }
}

}  // namespace

}  // namespace pitchwise
