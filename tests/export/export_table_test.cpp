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

// The same runs, logged in `unit`.
std::vector<LoggedRun> InUnit(std::vector<LoggedRun> runs, LengthUnit unit) {
    for (LoggedRun& run : runs) run.unit = unit;
    return runs;
}

ExportResult Export(const std::vector<LoggedRun>& log, const std::vector<std::string>& args,
                    ExportStatus& status) {
    ExportOptions options;
    ExportResult result;
    std::string error;
    EXPECT_TRUE(ParseExportOptions(args, options, error)) << error;
    status = ExportTable(log, options, result);
    return result;
}

struct GoldenRow {
    std::vector<std::string> args;
    const char* golden;
    LengthUnit logged = LengthUnit::UNKNOWN;  // the unit the log records
};

TEST(ExportTable, GoldenFiles) {
    const GoldenRow rows[] = {
        {{"runs.csv", "--axis", "X", "--to", "linuxcnc"}, "axis-x-linuxcnc.dat"},
        {{"runs.csv", "--axis", "X", "--to", "linuxcnc-offsets", "--spacing", "0.5"},
         "axis-x-linuxcnc-offsets-by-half.dat"},
        {{"runs.csv", "--axis", "X", "--to", "siemens-lec", "--unit", "mm", "--zero-at", "2",
          "--basic-system", "metric"},
         "axis-x-siemens-zero-at-2.ini"},
        {{"runs.csv", "--axis", "X", "--to", "siemens-lec", "--zero-at", "2", "--basic-system",
          "inch"},
         "axis-x-siemens-inch-basic.ini",
         LengthUnit::INCH},
        {{"runs.csv", "--axis", "X", "--to", "isg"}, "axis-x-isg-inch.lis", LengthUnit::INCH},
        {{"runs.csv", "--axis", "X", "--to", "csv", "--temperature", "23", "--expansion", "11.5",
          "--scale-temperature", "21", "--scale-expansion", "8"},
         "axis-x-at-23-degrees.csv"},
    };
    for (const GoldenRow& row : rows) {
        ExportStatus status;
        ExportResult result = Export(InUnit(GoldenLog(), row.logged), row.args, status);
        EXPECT_EQ(status.code(), ExportCode::OK)
            << row.golden << ": " << ExportCodeName(status.code());
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
        {"isg", "lost motion for the axis's backlash compensation (P-AXIS-00103) is not known"},
        {"siemens-lec", "one direction measured: its means; the lost motion for MD32450"},
        {"siemens-lec", "$AA_ENC_COMP[0,3,X1]=0.004000\n"},
        {"csv", "4.0000,0.004000,,,,0.000000,\n"},
    };
    for (const OneDirectionRow& row : rows) {
        ExportStatus status;
        std::vector<std::string> args = {"runs.csv", "--axis", "X", "--to", row.format};
        if (std::string(row.format) == "siemens-lec")
            args.insert(args.end(), {"--basic-system", "metric"});
        ExportResult result = Export(InUnit(UpOnly(), LengthUnit::MM), args, status);
        EXPECT_TRUE(status.ok()) << row.format << ": " << ExportCodeName(status.code());
        EXPECT_NE(result.text.find(row.holds), std::string::npos) << result.text;
        EXPECT_EQ(result.text.find(".neg"), std::string::npos) << result.text;
    }
}

struct RefusalRow {
    const char* name;
    std::vector<LoggedRun> log;
    std::vector<std::string> options;  // after "runs.csv"
    ExportCode code;
    std::vector<double> numbers;  // the first ones the status carries
};

TEST(ExportTable, Refusals) {
    const std::vector<LoggedRun> inch = InUnit(GoldenLog(), LengthUnit::INCH);
    std::vector<LoggedRun> mixed = GoldenLog();
    mixed[3].unit = LengthUnit::MM;  // a run of measurement 2
    const RefusalRow rows[] = {
        {"no measurement of the axis",
         GoldenLog(),
         {"--axis", "Y", "--to", "csv"},
         ExportCode::NO_MEASUREMENT,
         {0}},
        {"an empty log", {}, {"--axis", "X", "--to", "csv"}, ExportCode::NO_MEASUREMENT, {0}},
        {"no such measurement",
         GoldenLog(),
         {"--axis", "X", "--to", "csv", "--measurement", "9"},
         ExportCode::NO_MEASUREMENT,
         {9}},
        {"a verification is no measurement",
         GoldenLog(),
         {"--axis", "X", "--to", "csv", "--measurement", "3"},
         ExportCode::NO_MEASUREMENT,
         {3}},
        {"runs of one measurement in two units",
         mixed,
         {"--axis", "X", "--to", "csv"},
         ExportCode::MIXED_UNITS,
         {2}},
        {"two columns from one direction",
         UpOnly(),
         {"--axis", "X", "--to", "linuxcnc"},
         ExportCode::ONE_DIRECTION_ONLY,
         {2}},
        {"offsets from one direction",
         UpOnly(),
         {"--axis", "X", "--to", "linuxcnc-offsets"},
         ExportCode::ONE_DIRECTION_ONLY,
         {2}},
        {"siemens without a unit",
         GoldenLog(),
         {"--axis", "X", "--to", "siemens-lec", "--basic-system", "metric"},
         ExportCode::UNIT_NEEDED,
         {}},
        {"isg without a unit",
         GoldenLog(),
         {"--axis", "X", "--to", "isg"},
         ExportCode::UNIT_NEEDED,
         {}},
        {"a unit contradicting the log's",
         inch,
         {"--axis", "X", "--to", "isg", "--unit", "mm"},
         ExportCode::UNIT_CONTRADICTS,
         {static_cast<double>(LengthUnit::MM), static_cast<double>(LengthUnit::INCH)}},
        {"a unit contradicting it for csv too",
         inch,
         {"--axis", "X", "--to", "csv", "--unit", "mm"},
         ExportCode::UNIT_CONTRADICTS,
         {}},
        {"a grid below the range",
         GoldenLog(),
         {"--axis", "X", "--to", "linuxcnc", "--from", "0"},
         ExportCode::GRID_OUTSIDE,
         {0, 3, 1, 3, 1}},
        {"a grid above the range",
         GoldenLog(),
         {"--axis", "X", "--to", "csv", "--until", "4.5"},
         ExportCode::GRID_OUTSIDE,
         {0, 4.5, 0, 4, 0}},
        {"a zero outside the range",
         GoldenLog(),
         {"--axis", "X", "--to", "csv", "--zero-at", "5"},
         ExportCode::ZERO_OUTSIDE,
         {5}},
        {"a spacing that ends short",
         GoldenLog(),
         {"--axis", "X", "--to", "linuxcnc", "--spacing", "0.3"},
         ExportCode::SPACING_DOES_NOT_FIT,
         {0.3, 1, 3, 0.25, 0.4}},
        {"a spacing below csv's decimals",
         GoldenLog(),
         {"--axis", "X", "--to", "csv", "--spacing", "0.00001"},
         ExportCode::SPACING_DOES_NOT_FIT,
         {0.00001, 0, 4, 0, 0.0001}},
        {"isg off its 0.1 um steps",
         GoldenLog(),
         {"--axis", "X", "--to", "isg", "--unit", "mm", "--spacing", "0.33333"},
         ExportCode::SPACING_DOES_NOT_FIT,
         {0.33333, 1, 3, 0.25, 0.4}},
        {"inch-basic siemens places whole 0.000001 inch",
         GoldenLog(),
         {"--axis", "X", "--to", "siemens-lec", "--unit", "mm", "--basic-system", "inch"},
         ExportCode::GRID_ENDS_NOT_WRITABLE,
         {1, 3, 0.0000254}},
        {"more points than linuxcnc takes",
         GoldenLog(),
         {"--axis", "X", "--to", "linuxcnc", "--spacing", "0.001"},
         ExportCode::TOO_MANY_POINTS,
         {1, 3, 0.001, 2001, 256, 0.008}},
        {"more points than isg takes",
         GoldenLog(),
         {"--axis", "X", "--to", "isg", "--unit", "mm", "--spacing", "0.001"},
         ExportCode::TOO_MANY_POINTS,
         {1, 3, 0.001, 2001, 1499}},
        {"more than --max-points: the spacing named fits",
         GoldenLog(),
         {"--axis", "X", "--to", "siemens-lec", "--unit", "mm", "--spacing", "0.5", "--max-points",
          "4", "--basic-system", "metric"},
         ExportCode::TOO_MANY_POINTS,
         {1, 3, 0.5, 5, 4, 1}},
        {"beyond --max-correction",
         GoldenLog(),
         {"--axis", "X", "--to", "csv", "--max-correction", "0.004"},
         ExportCode::BEYOND_MAX_CORRECTION,
         {0.005, 2, 0.004}},
        {"beyond 0.5 mm",
         InUnit(Huge(), LengthUnit::MM),
         {"--axis", "X", "--to", "csv"},
         ExportCode::BEYOND_MAX_CORRECTION,
         {900000, 0, 0.5}},
        {"beyond 0.5 mm in inch",
         inch,
         {"--axis", "X", "--to", "isg", "--zero-at", "1", "--max-correction", "0.0001"},
         ExportCode::BEYOND_MAX_CORRECTION,
         {}},
        {"beyond the list's integers",
         Huge(),
         {"--axis", "X", "--to", "isg", "--unit", "mm", "--max-correction", "1000000"},
         ExportCode::VALUE_TOO_LARGE,
         {1}},
    };
    for (const RefusalRow& row : rows) {
        std::vector<std::string> args = {"runs.csv"};
        args.insert(args.end(), row.options.begin(), row.options.end());
        ExportStatus status;
        ExportResult result = Export(row.log, args, status);
        EXPECT_EQ(status.code(), row.code) << row.name << ": " << ExportCodeName(status.code());
        EXPECT_TRUE(result.text.empty()) << row.name;
        for (std::size_t i = 0; i < row.numbers.size(); ++i)
            EXPECT_NEAR(status.number(i), row.numbers[i], 1e-9) << row.name << " number " << i;
    }
}

// LinuxCNC stops at the first line that is not three numbers, and the apply
// tool refuses a file with lines after it: the comment is the last line.
TEST(ExportTable, LinuxCncTablesEndInOneCommentLine) {
    for (const char* format : {"linuxcnc", "linuxcnc-offsets"}) {
        ExportStatus status;
        ExportResult result =
            Export(GoldenLog(), {"runs.csv", "--axis", "X", "--to", format}, status);
        ASSERT_TRUE(status.ok()) << format;
        const std::size_t comment = result.text.find('#');
        ASSERT_NE(comment, std::string::npos) << format;
        EXPECT_EQ(result.text.find('\n', comment), result.text.size() - 1) << result.text;
    }
}

TEST(ExportTable, ABasicSystemIsNeededBySiemensAlone) {
    ExportOptions options;
    std::string error;
    ASSERT_TRUE(ParseExportOptions(
        {"r", "--axis", "X", "--to", "siemens-lec", "--basic-system", "metric", "--unit", "mm"},
        options, error));
    options.basicSystem = LengthUnit::UNKNOWN;
    ExportResult result;
    EXPECT_EQ(ExportTable(GoldenLog(), options, result).code(), ExportCode::BASIC_SYSTEM_NEEDED);
}

// What a controller does beyond the table, the advice of a zero at the
// reference point, and what becomes of its own backlash setting, in every
// format's comment; and nothing but printable ASCII, whatever the log's name
// and the temperature text hold.
struct CommentRow {
    const char* format;
    const char* says;
};

TEST(ExportTable, CommentsSayWhatTheControllerDoesInPlainAscii) {
    const CommentRow rows[] = {
        {"linuxcnc", "; beyond the first and last nominal LinuxCNC holds their values"},
        {"linuxcnc", "the joint's BACKLASH must stay 0"},
        {"linuxcnc-offsets", "BACKLASH must stay 0"},
        {"linuxcnc", "advice: 0 at the machine's reference point"},
        {"siemens-lec", "; below MIN the first value, above MAX the last value stay in force"},
        {"siemens-lec", "; MD32450 $MA_BACKLASH: enter 0.00"},
        {"siemens-lec", "; advice: 0 at the machine's reference point"},
        {"isg", "# beyond the first and last point: what the controller does is not documented"},
        {"isg", "(P-AXIS-00021, P-AXIS-00103) must stay 0"},
        {"isg", "# advice: 0 at the machine's reference point"},
        {"isg", "kopf.achs_nr                        1\n"},
        {"csv", "# beyond the first and last target"},
        {"csv", "20 degC: axis at 23.00 degC, 11.50 um/m/K"},
    };
    for (const CommentRow& row : rows) {
        // A name that would start a line of its own, and a micro sign.
        std::vector<std::string> args = {"r\xc2\xb5n\n$AA_ENC_COMP[0,0,X1]=5.csv", "--axis", "X",
                                         "--to", row.format};
        for (const char* word : {"--temperature 23", "--expansion 11.5", "--scale-temperature 21",
                                 "--scale-expansion 8"}) {
            const std::string option = word;
            args.push_back(option.substr(0, option.find(' ')));
            args.push_back(option.substr(option.find(' ') + 1));
        }
        if (std::string(row.format) == "siemens-lec")
            args.insert(args.end(), {"--basic-system", "metric"});
        ExportStatus status;
        ExportResult result = Export(InUnit(GoldenLog(), LengthUnit::MM), args, status);
        ASSERT_TRUE(status.ok()) << row.format << ": " << ExportCodeName(status.code());
        EXPECT_NE(result.text.find(row.says), std::string::npos) << row.format << "\n"
                                                                 << result.text;
        for (char c : result.text) {
            const auto byte = static_cast<unsigned char>(c);
            EXPECT_TRUE(c == '\n' || (byte >= 0x20 && byte < 0x7F))
                << row.format << ": byte " << static_cast<int>(byte) << "\n"
                << result.text;
        }
        EXPECT_EQ(result.text.find("\n$AA_ENC_COMP[0,0,X1]=5"), std::string::npos) << result.text;
    }
}

}  // namespace

}  // namespace pitchwise
