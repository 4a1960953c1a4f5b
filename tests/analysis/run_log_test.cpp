// The run log's text: what it writes reads back the same, what a crash
// leaves is skipped with a warning, and anything else malformed is refused
// with the line and the reason.

#include "run_log.h"

#include <gtest/gtest.h>

#include <clocale>

namespace pitchwise {

namespace {

// The hand-made lines are of the older form, without the unit: every log
// written before it existed must still read.
const std::string kHeader = std::string(RUN_LOG_HEADER_WITHOUT_UNIT) + "\n";
const std::string kUnitHeader = std::string(RUN_LOG_HEADER) + "\n";
const std::string kLine0 = "1,1,2026-12-09T07:00:00Z,X,up,0,2,0,0.0000,0.0000,up,0.000000\n";
const std::string kLine1 = "1,1,2026-12-09T07:00:01Z,X,up,0,2,1,0.5000,-0.0012,up,0.001200\n";

LoggedRun SampleRun() {
    LoggedRun run;
    run.run = 7;
    run.measurement = 3;
    run.axis = 'Y';
    run.direction = Direction::DOWN;
    run.tableInForce = true;
    run.unit = LengthUnit::INCH;
    run.points = {{0, "2026-12-09T07:00:00Z", 10, 0, Direction::UP, -0.0015},
                  {1, "2026-12-09T07:00:02Z", 9.5, 0.00123, Direction::DOWN, 0.0000004},
                  {2, "2026-12-09T07:00:04Z", -9, -0.00004, Direction::DOWN, -1.25}};
    return run;
}

TEST(RunLogText, WrittenRunsReadBack) {
    LoggedRun run = SampleRun();
    std::string text = kUnitHeader + FormatRun(run);
    EXPECT_NE(text.find("7,3,2026-12-09T07:00:02Z,Y,down,1,3,1,9.5000,0.0012,down,0.000000,inch\n"),
              std::string::npos)
        << text;
    // Rounded to zero is written as zero, never with a minus.
    EXPECT_NE(text.find(",-9.0000,0.0000,down,-1.250000,inch\n"), std::string::npos) << text;
    RunLogReading reading;
    std::string error;
    ASSERT_TRUE(ParseRunLog(text, reading, error)) << error;
    ASSERT_EQ(reading.runs.size(), 1u);
    EXPECT_TRUE(reading.warnings.empty());
    const LoggedRun& back = reading.runs[0];
    EXPECT_EQ(back.run, 7);
    EXPECT_EQ(back.measurement, 3);
    EXPECT_EQ(back.axis, 'Y');
    EXPECT_EQ(back.direction, Direction::DOWN);
    EXPECT_TRUE(back.tableInForce);
    EXPECT_EQ(back.unit, LengthUnit::INCH);
    ASSERT_EQ(back.points.size(), 3u);
    EXPECT_EQ(back.points[0].approach, Direction::UP);
    EXPECT_EQ(back.points[1].time, "2026-12-09T07:00:02Z");
    EXPECT_DOUBLE_EQ(back.points[1].target, 9.5);
    EXPECT_DOUBLE_EQ(back.points[1].correction, 0.0012);
    EXPECT_DOUBLE_EQ(back.points[2].deviation, -1.25);
}

TEST(RunLogText, NumbersIgnoreADecimalCommaLocale) {
    // A controller library or program may run under a comma locale (built
    // into the test tree, found through LOCPATH): the log still has points,
    // both ways.
    const char* before = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = before ? before : "C";
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr) << "no comma locale";
    std::string text = FormatRun(SampleRun());
    RunLogReading reading;
    std::string error;
    bool read = ParseRunLog(kUnitHeader + text, reading, error);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_NE(text.find(",9.5000,"), std::string::npos) << text;
    ASSERT_TRUE(read) << error;
    EXPECT_DOUBLE_EQ(reading.runs.at(0).points.at(1).target, 9.5);
}

TEST(RunLogText, EmptyLogsAndCommentsAndWindowsLineEnds) {
    RunLogReading reading;
    std::string error;
    ASSERT_TRUE(ParseRunLog("", reading, error)) << error;
    EXPECT_TRUE(reading.runs.empty());
    std::string text = kHeader + "# a note\n\n" + kLine0 + kLine1;
    for (char& c : text)
        if (c == '\n') c = '\r';
    std::string crlf;
    for (char c : text) crlf += c == '\r' ? std::string("\r\n") : std::string(1, c);
    ASSERT_TRUE(ParseRunLog(crlf, reading, error)) << error;
    EXPECT_EQ(reading.runs.size(), 1u);
}

struct CutCase {
    const char* name;
    std::string text;
    std::size_t runs;
    const char* warning;  // part of the one warning expected, or null
};

const std::string kRun2 =
    "2,1,2026-12-09T07:01:00Z,X,down,0,2,0,0.5000,0.0000,up,0.001200\n"
    "2,1,2026-12-09T07:01:01Z,X,down,0,2,1,0.0000,0.0021,down,-0.000900\n";

const CutCase kCuts[] = {
    {"Whole", kHeader + kLine0 + kLine1 + kRun2, 2, nullptr},
    {"LastLineCutShort", kHeader + kLine0 + kLine1 + kRun2.substr(0, kRun2.size() - 9), 1,
     "line 5 is cut short"},
    {"LastRunMissingALine", kHeader + kLine0 + kLine1 + kRun2.substr(0, kRun2.find('\n') + 1), 1,
     "run 2 has 1 of its 2 points"},
    {"EarlierRunCutShort", kHeader + kLine0 + kRun2, 1, "run 1 has 1 of its 2 points"},
    {"HeaderCutShort", kHeader.substr(0, 10), 0, "line 1 is cut short"},
};

class RunLogCuts : public ::testing::TestWithParam<CutCase> {};

TEST_P(RunLogCuts, SkipOnlyWhatWasCut) {
    const CutCase& c = GetParam();
    RunLogReading reading;
    std::string error;
    ASSERT_TRUE(ParseRunLog(c.text, reading, error)) << error;
    EXPECT_EQ(reading.runs.size(), c.runs);
    if (c.warning == nullptr) {
        EXPECT_TRUE(reading.warnings.empty());
    } else {
        std::string all;
        for (const std::string& w : reading.warnings) all += w + "\n";
        EXPECT_NE(all.find(c.warning), std::string::npos) << all;
    }
}

INSTANTIATE_TEST_SUITE_P(Logs, RunLogCuts, ::testing::ValuesIn(kCuts),
                         [](const auto& row) { return std::string(row.param.name); });

struct BadCase {
    const char* name;
    std::string text;
    RunLogCode code;
    int line;
};

std::string WithLine1(const std::string& line1) {
    return kHeader + kLine0 + line1 + "\n";
}

const BadCase kBad[] = {
    {"NoHeader", kLine0 + kLine1, RunLogCode::NOT_THE_HEADER, 1},
    {"TooFewFields", WithLine1("1,1,2026-12-09T07:00:01Z,X,up,0,2,1,0.5000"),
     RunLogCode::FIELD_COUNT, 3},
    {"TooManyFields", WithLine1(kLine1.substr(0, kLine1.size() - 1) + ",1"),
     RunLogCode::FIELD_COUNT, 3},
    {"RunZero", WithLine1("0" + kLine1.substr(1, kLine1.size() - 2)), RunLogCode::BAD_RUN, 3},
    {"MeasurementZero", WithLine1("1,0" + kLine1.substr(3, kLine1.size() - 4)),
     RunLogCode::BAD_MEASUREMENT, 3},
    {"BadTime", WithLine1("1,1,2026-12-09 07:00:01,X,up,0,2,1,0.5000,-0.0012,up,0.001200"),
     RunLogCode::BAD_TIME, 3},
    {"BadAxis", WithLine1("1,1,2026-12-09T07:00:01Z,A,up,0,2,1,0.5000,-0.0012,up,0.001200"),
     RunLogCode::BAD_AXIS, 3},
    {"BadDirection", WithLine1("1,1,2026-12-09T07:00:01Z,X,+,0,2,1,0.5000,-0.0012,up,0.001200"),
     RunLogCode::BAD_DIRECTION, 3},
    {"BadTable", WithLine1("1,1,2026-12-09T07:00:01Z,X,up,yes,2,1,0.5000,-0.0012,up,0.001200"),
     RunLogCode::BAD_TABLE_IN_FORCE, 3},
    {"HugePoints", WithLine1("1,1,2026-12-09T07:00:01Z,X,up,0,999999999,1,0.5,-0.0012,up,0.0012"),
     RunLogCode::BAD_POINTS, 3},
    {"PointBeyondPoints", WithLine1("1,1,2026-12-09T07:00:01Z,X,up,0,2,2,0.5,-0.0012,up,0.0012"),
     RunLogCode::BAD_POINT, 3},
    {"CommaNumber", WithLine1("1,1,2026-12-09T07:00:01Z,X,up,0,2,1,0;5,-0.0012,up,0.0012"),
     RunLogCode::BAD_TARGET, 3},
    {"Exponent", WithLine1("1,1,2026-12-09T07:00:01Z,X,up,0,2,1,0.5,-1e-3,up,0.0012"),
     RunLogCode::BAD_CORRECTION, 3},
    {"NotANumber", WithLine1("1,1,2026-12-09T07:00:01Z,X,up,0,2,1,0.5,-0.0012,up,nan"),
     RunLogCode::BAD_DEVIATION, 3},
    {"OverlongNumber",
     WithLine1("1,1,2026-12-09T07:00:01Z,X,up,0,2,1,0.5,-0.0012,up,1" + std::string(400, '0')),
     RunLogCode::BAD_DEVIATION, 3},
    // Reads as a number, but "%.6f" of it is 26 characters and would not read back.
    {"BeyondAnyTravel",
     WithLine1("1,1,2026-12-09T07:00:01Z,X,up,0,2,1,0.5,-0.0012,up,0022222222222222222000"),
     RunLogCode::BAD_DEVIATION, 3},
    {"BadApproach", WithLine1("1,1,2026-12-09T07:00:01Z,X,up,0,2,1,0.5,-0.0012,left,0.0012"),
     RunLogCode::BAD_APPROACH, 3},
    {"RunChangesDirection",
     WithLine1("1,1,2026-12-09T07:00:01Z,X,down,0,2,1,0.5,-0.0012,up,0.0012"),
     RunLogCode::DIFFERS_FROM_RUN, 3},
    {"PointsOutOfOrder", kHeader + kLine0 + kLine0, RunLogCode::POINT_OUT_OF_ORDER, 3},
    {"RunBeginsLate", kHeader + kLine1, RunLogCode::RUN_NOT_AT_POINT_0, 2},
    {"RunNumberGoesBack", kHeader + kRun2 + kLine0 + kLine1, RunLogCode::RUN_OUT_OF_ORDER, 4},
    {"NulByte", WithLine1(std::string("1,2026\0", 7)), RunLogCode::NUL_BYTE, 3},
    {"UnitInALogWithoutIt", WithLine1(kLine1.substr(0, kLine1.size() - 1) + ",mm"),
     RunLogCode::FIELD_COUNT, 3},
    {"NoUnitInALogWithIt", kUnitHeader + kLine0, RunLogCode::FIELD_COUNT, 2},
    {"UnknownUnit", kUnitHeader + kLine0.substr(0, kLine0.size() - 1) + ",cm\n",
     RunLogCode::BAD_UNIT, 2},
    {"RunChangesUnit",
     kUnitHeader + kLine0.substr(0, kLine0.size() - 1) + ",mm\n" +
         kLine1.substr(0, kLine1.size() - 1) + ",inch\n",
     RunLogCode::DIFFERS_FROM_RUN, 3},
};

class RunLogRefusals : public ::testing::TestWithParam<BadCase> {};

TEST_P(RunLogRefusals, SayWhereAndWhy) {
    const BadCase& c = GetParam();
    RunLogReading reading;
    const RunLogStatus status = ParseRunLog(c.text, reading);
    EXPECT_EQ(status.code(), c.code) << RunLogCodeName(status.code());
    EXPECT_EQ(status.number(0), c.line) << RunLogMessage(status);
    EXPECT_TRUE(reading.runs.empty());
}

INSTANTIATE_TEST_SUITE_P(Logs, RunLogRefusals, ::testing::ValuesIn(kBad),
                         [](const auto& row) { return std::string(row.param.name); });

struct UnitRow {
    const char* field;  // the unit column's text
    LengthUnit unit;
};

TEST(RunLogText, EachRunCarriesItsUnit) {
    const UnitRow rows[] = {
        {"mm", LengthUnit::MM}, {"inch", LengthUnit::INCH}, {"", LengthUnit::UNKNOWN}};
    for (const UnitRow& row : rows) {
        const std::string f = std::string(",") + row.field + "\n";
        const std::string text = kUnitHeader + kLine0.substr(0, kLine0.size() - 1) + f +
                                 kLine1.substr(0, kLine1.size() - 1) + f;
        RunLogReading reading;
        std::string error;
        ASSERT_TRUE(ParseRunLog(text, reading, error)) << row.field << ": " << error;
        ASSERT_EQ(reading.runs.size(), 1u) << row.field;
        EXPECT_EQ(reading.runs[0].unit, row.unit) << row.field;
        EXPECT_FALSE(reading.withoutUnit);
        EXPECT_EQ(kUnitHeader + FormatRun(reading.runs[0]), text) << row.field;
    }
    RunLogReading reading;
    std::string error;
    ASSERT_TRUE(ParseRunLog(kHeader + kLine0 + kLine1, reading, error)) << error;
    EXPECT_TRUE(reading.withoutUnit);
    EXPECT_EQ(reading.runs.at(0).unit, LengthUnit::UNKNOWN);
}

struct UpgradeRow {
    const char* name;
    std::string before;
    std::string after;
};

TEST(RunLogText, AnOlderLogUpgradesLineByLine) {
    const auto cut = [](const std::string& line) { return line.substr(0, line.size() - 1); };
    const UpgradeRow rows[] = {
        {"header only", kHeader, kUnitHeader},
        {"runs get an empty unit", kHeader + kLine0 + kLine1,
         kUnitHeader + cut(kLine0) + ",\n" + cut(kLine1) + ",\n"},
        {"comments and blank lines stay", kHeader + "# note\n\n" + kLine0,
         kUnitHeader + "# note\n\n" + cut(kLine0) + ",\n"},
        {"Windows line ends stay",
         std::string(RUN_LOG_HEADER_WITHOUT_UNIT) + "\r\n" + cut(kLine0) + "\r\n",
         std::string(RUN_LOG_HEADER) + "\r\n" + cut(kLine0) + ",\r\n"},
        {"a run cut short stays cut short", kHeader + kLine0, kUnitHeader + cut(kLine0) + ",\n"},
    };
    for (const UpgradeRow& row : rows) {
        EXPECT_EQ(WithUnitColumn(row.before), row.after) << row.name;
        RunLogReading before;
        RunLogReading after;
        std::string error;
        ASSERT_TRUE(ParseRunLog(row.before, before, error)) << row.name << ": " << error;
        ASSERT_TRUE(ParseRunLog(row.after, after, error)) << row.name << ": " << error;
        EXPECT_EQ(after.runs.size(), before.runs.size()) << row.name;
        EXPECT_EQ(after.warnings, before.warnings) << row.name;
    }
}

// The words a program or the library's log gives each code, with its numbers.
TEST(RunLogMessage, WordsEachCodeWithItsNumbers) {
    struct Row {
        RunLogStatus status;
        const char* text;
    };
    const Row rows[] = {
        {RunLogStatus(RunLogCode::NOT_THE_HEADER, {1}), "line 1: not the run log header"},
        {RunLogStatus(RunLogCode::FIELD_COUNT, {3, 12, 13}),
         "line 3: expected 12 comma-separated fields, found 13"},
        {RunLogStatus(RunLogCode::BAD_POINTS, {4, 4096}),
         "line 4: points is not a whole number from 1 to 4096"},
        {RunLogStatus(RunLogCode::RUN_OUT_OF_ORDER, {5, 1, 2}), "line 5: run 1 comes after run 2"},
        {RunLogStatus(RunLogCode::RUN_WITHOUT_POINTS, {7}), "run 7 has no points"},
        {RunLogStatus(RunLogCode::START_NOT_TIED, {4, 2.5, 1}),
         "run 4 starts at 2.5000 reached moving down, where no earlier run of the measurement "
         "was: it cannot be tied to them"},
    };
    for (const Row& row : rows) EXPECT_EQ(RunLogMessage(row.status), row.text);
}

}  // namespace

}  // namespace pitchwise
