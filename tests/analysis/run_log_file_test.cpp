// The log on disk: created with its header, runs numbered on and tied as
// they are appended, a tail cut by a crash dropped before the next append,
// and a log that cannot be read never written to.

#include "run_log_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace pitchwise {

namespace {

class RunLogFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/pitchwise-runlog-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        path = dir + "/runs.csv";
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    std::string Contents() const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void Write(const std::string& text) const { std::ofstream(path, std::ios::binary) << text; }

    static LoggedRun MakeRun(Direction direction, double from, double to) {
        LoggedRun run;
        run.direction = direction;
        Direction before = direction == Direction::UP ? Direction::DOWN : Direction::UP;
        run.points = {{0, "2026-12-09T07:00:00Z", from, 0, before, 0},
                      {1, "2026-12-09T07:00:01Z", to, 0.001, direction, 0}};
        return run;
    }

    std::string dir;
    std::string path;
};

TEST_F(RunLogFile, ReferenceLostBeforeTheLatestRunBeginsAMeasurementAndTheRunsComeBack) {
    // The first run's last point was read at 07:00:01.
    const double lastRead = RunLogTimeSeconds("2026-12-09T07:00:01Z");
    const struct Row {
        const char* name;
        double referenceSince;
        int measurement;
    } rows[] = {
        {"reference kept since before the run", lastRead - 60, 1},
        {"homed again in the same second", lastRead, 1},
        {"homed again after the run", lastRead + 1, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::remove(path.c_str());
        std::string error;
        LoggedRun first = MakeRun(Direction::UP, 0, 1);
        first.points[0].approach = Direction::UP;
        std::vector<LoggedRun> runs;
        ASSERT_TRUE(AppendRunToLog(path, first, row.referenceSince, runs, error)) << error;
        ASSERT_EQ(runs.size(), 1u);
        LoggedRun again = first;
        ASSERT_TRUE(AppendRunToLog(path, again, row.referenceSince, runs, error)) << error;
        EXPECT_EQ(again.measurement, row.measurement);
        // The log as it stands after the append, read once under its lock.
        ASSERT_EQ(runs.size(), 2u);
        EXPECT_EQ(runs.back().run, 2);
        EXPECT_EQ(runs.back().measurement, row.measurement);
        RunLogReading reading;
        ASSERT_TRUE(ReadRunLogFile(path, reading, error)) << error;
        ASSERT_EQ(reading.runs.size(), 2u);
        EXPECT_DOUBLE_EQ(reading.runs.back().points[1].deviation, runs.back().points[1].deviation);
    }
}

TEST_F(RunLogFile, AppendsTiedRunsToANewLog) {
    std::string error;
    LoggedRun up = MakeRun(Direction::UP, 0, 1);
    up.points[0].approach = Direction::UP;
    ASSERT_TRUE(AppendRunToLog(path, up, false, error)) << error;
    LoggedRun down = MakeRun(Direction::DOWN, 1, 0);
    ASSERT_TRUE(AppendRunToLog(path, down, false, error)) << error;
    EXPECT_EQ(up.run, 1);
    EXPECT_EQ(down.run, 2);
    EXPECT_EQ(down.measurement, 1);
    // Run 2 starts where run 1 ended (-0.001) and measured 0.001 less.
    EXPECT_DOUBLE_EQ(down.points[1].deviation, -0.002);

    RunLogReading reading;
    ASSERT_TRUE(ReadRunLogFile(path, reading, error)) << error;
    ASSERT_EQ(reading.runs.size(), 2u);
    EXPECT_EQ(Contents().rfind(RUN_LOG_HEADER, 0), 0u);
    EXPECT_DOUBLE_EQ(reading.runs[1].points[1].deviation, -0.002);
}

TEST_F(RunLogFile, ACutShortTailIsDroppedAndNumbersGoOn) {
    std::string error;
    LoggedRun first = MakeRun(Direction::UP, 0, 1);
    first.points[0].approach = Direction::UP;
    ASSERT_TRUE(AppendRunToLog(path, first, false, error)) << error;
    // A crash in the middle of run 2's append: one whole line and a half.
    LoggedRun torn = MakeRun(Direction::DOWN, 1, 0);
    torn.run = 2;
    torn.measurement = 1;
    std::string text = FormatRun(torn);
    Write(Contents() + text.substr(0, text.find('\n') + 12));

    LoggedRun next = MakeRun(Direction::DOWN, 1, 0);
    ASSERT_TRUE(AppendRunToLog(path, next, false, error)) << error;
    EXPECT_EQ(next.run, 3);
    RunLogReading reading;
    ASSERT_TRUE(ReadRunLogFile(path, reading, error)) << error;
    ASSERT_EQ(reading.runs.size(), 2u);
    EXPECT_EQ(reading.runs[1].run, 3);
    ASSERT_EQ(reading.warnings.size(), 1u);
    EXPECT_NE(reading.warnings[0].find("run 2 has 1 of its 2"), std::string::npos);
}

TEST_F(RunLogFile, AnUnreadableLogIsNeverWrittenTo) {
    const std::string edited = std::string(RUN_LOG_HEADER) + "\nthis is not a point\n";
    Write(edited);
    LoggedRun run = MakeRun(Direction::UP, 0, 1);
    std::string error;
    EXPECT_FALSE(AppendRunToLog(path, run, false, error));
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    EXPECT_NE(error.find("not appended"), std::string::npos) << error;
    EXPECT_EQ(Contents(), edited);
}

TEST_F(RunLogFile, ARunThatCannotBeTiedIsNotWritten) {
    std::string error;
    LoggedRun first = MakeRun(Direction::UP, 0, 1);
    first.points[0].approach = Direction::UP;
    ASSERT_TRUE(AppendRunToLog(path, first, false, error)) << error;
    std::string before = Contents();
    // Same targets, but its start at 1 reached moving down: never measured.
    LoggedRun down = MakeRun(Direction::DOWN, 1, 0);
    down.points[0].approach = Direction::DOWN;
    EXPECT_FALSE(AppendRunToLog(path, down, false, error));
    EXPECT_NE(error.find("cannot be tied"), std::string::npos) << error;
    EXPECT_EQ(Contents(), before);
    // Other targets begin a measurement of their own, and so does a run
    // after the machine lost its reference.
    LoggedRun elsewhere = MakeRun(Direction::UP, 5, 6);
    EXPECT_TRUE(AppendRunToLog(path, elsewhere, false, error)) << error;
    EXPECT_DOUBLE_EQ(elsewhere.points[0].deviation, 0);
    EXPECT_EQ(elsewhere.measurement, 2);
    EXPECT_TRUE(AppendRunToLog(path, down, true, error)) << error;
    EXPECT_EQ(down.measurement, 3);
    EXPECT_DOUBLE_EQ(down.points[1].deviation, -0.001);
}

TEST_F(RunLogFile, AMissingLogReadsEmptyAndAnUnwritablePlaceFails) {
    RunLogReading reading;
    std::string error;
    EXPECT_TRUE(ReadRunLogFile(path, reading, error)) << error;
    EXPECT_TRUE(reading.runs.empty());
    LoggedRun run = MakeRun(Direction::UP, 0, 1);
    EXPECT_FALSE(AppendRunToLog(dir + "/no/such/dir/runs.csv", run, false, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

// The log is what its name leads to: a link is appended through and kept;
// a folder or FIFO is refused and left as it was.
TEST_F(RunLogFile, ALinkIsFollowedAndWhatIsNotAFileRefused) {
    struct Row {
        const char* name;
        int (*make)(const std::string& dir);  // makes "runs.csv"
        bool appended;
        const char* said;
        mode_t kind;  // of "runs.csv" afterwards
    };
    const Row rows[] = {
        {"a link",
         [](const std::string& at) { return symlink("real.csv", (at + "/runs.csv").c_str()); },
         true, "", S_IFLNK},
        {"a folder", [](const std::string& at) { return mkdir((at + "/runs.csv").c_str(), 0755); },
         false, "is a folder, not a file", S_IFDIR},
        {"a FIFO", [](const std::string& at) { return mkfifo((at + "/runs.csv").c_str(), 0644); },
         false, "is a FIFO, not a file", S_IFIFO},
    };
    for (const Row& row : rows) {
        std::system(("rm -rf '" + dir + "'/*").c_str());
        ASSERT_EQ(row.make(dir), 0) << row.name;
        LoggedRun run = MakeRun(Direction::UP, 0, 1);
        std::string error;
        EXPECT_EQ(AppendRunToLog(path, run, false, error), row.appended) << row.name;
        EXPECT_NE(error.find(row.said), std::string::npos) << row.name << ": " << error;
        struct stat info {};
        ASSERT_EQ(lstat(path.c_str(), &info), 0) << row.name;
        EXPECT_EQ(info.st_mode & S_IFMT, row.kind) << row.name;
        EXPECT_EQ(access((dir + "/real.csv").c_str(), F_OK) == 0, row.appended) << row.name;
    }
}

}  // namespace

}  // namespace pitchwise
