// The log on disk: created with its header, runs numbered on and tied as
// they are appended, a tail cut by a crash dropped before the next append,
// and a log that cannot be read never written to.

#include "run_log_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
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

struct UnitChangeRow {
    LengthUnit first;
    LengthUnit second;
    int measurement;  // the second run's
};

TEST_F(RunLogFile, ARunInAnotherUnitBeginsAMeasurement) {
    const UnitChangeRow rows[] = {
        {LengthUnit::MM, LengthUnit::MM, 1},
        {LengthUnit::MM, LengthUnit::INCH, 2},
        {LengthUnit::INCH, LengthUnit::MM, 2},
        {LengthUnit::UNKNOWN, LengthUnit::MM, 2},
    };
    for (const UnitChangeRow& row : rows) {
        std::remove(path.c_str());
        std::string error;
        LoggedRun up = MakeRun(Direction::UP, 0, 1);
        up.points[0].approach = Direction::UP;
        up.unit = row.first;
        ASSERT_TRUE(AppendRunToLog(path, up, false, error)) << error;
        LoggedRun down = MakeRun(Direction::DOWN, 1, 0);
        down.unit = row.second;
        ASSERT_TRUE(AppendRunToLog(path, down, false, error)) << error;
        EXPECT_EQ(down.measurement, row.measurement) << UnitName(row.second);
        RunLogReading reading;
        ASSERT_TRUE(ReadRunLogFile(path, reading, error)) << error;
        ASSERT_EQ(reading.runs.size(), 2u);
        EXPECT_EQ(reading.runs[1].unit, row.second);
    }
}

// A log of the older form, without the unit: its first append rewrites it
// whole in the present form, in one rename, keeping its mode and, through a
// link, the link.
std::string OlderLog() {
    return std::string(RUN_LOG_HEADER_WITHOUT_UNIT) +
           "\n# kept\n"
           "1,1,2026-12-09T07:00:00Z,X,up,0,2,0,0.0000,0.0000,up,0.000000\n"
           "1,1,2026-12-09T07:00:01Z,X,up,0,2,1,1.0000,0.0010,up,-0.001000\n"
           "2,1,2026-12-09T07:00:03Z,X,do";
}

TEST_F(RunLogFile, TheFirstAppendUpgradesAnOlderLogWhole) {
    for (const bool throughLink : {false, true}) {
        std::remove(path.c_str());
        const std::string link = dir + "/link.csv";
        std::remove(link.c_str());
        Write(OlderLog());
        ASSERT_EQ(chmod(path.c_str(), 0600), 0);
        if (throughLink) {
            ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
        }
        LoggedRun down = MakeRun(Direction::DOWN, 1, 0);
        down.unit = LengthUnit::MM;
        std::string error;
        ASSERT_TRUE(AppendRunToLog(throughLink ? link : path, down, false, error)) << error;
        EXPECT_EQ(down.run, 2);          // the cut-short line is dropped first
        EXPECT_EQ(down.measurement, 2);  // the older runs' unit is unknown
        const std::string text = Contents();
        EXPECT_EQ(text.rfind(std::string(RUN_LOG_HEADER) + "\n# kept\n", 0), 0u) << text;
        EXPECT_NE(text.find(",up,-0.001000,\n"), std::string::npos) << text;
        EXPECT_EQ(text.find(",do\n"), std::string::npos) << text;
        EXPECT_NE(text.find(",mm\n"), std::string::npos) << text;
        struct stat status {};
        ASSERT_EQ(stat(path.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0600u);
        if (throughLink) {
            ASSERT_EQ(lstat(link.c_str(), &status), 0);
            EXPECT_TRUE(S_ISLNK(status.st_mode));
        }
        RunLogReading reading;
        ASSERT_TRUE(ReadRunLogFile(path, reading, error)) << error;
        EXPECT_FALSE(reading.withoutUnit);
        ASSERT_EQ(reading.runs.size(), 2u);
        EXPECT_EQ(reading.runs[0].unit, LengthUnit::UNKNOWN);
        EXPECT_EQ(reading.runs[1].unit, LengthUnit::MM);
        // Nothing else left in the folder: no temporary file.
        EXPECT_EQ(
            std::system(
                ("test $(ls -A '" + dir + "' | wc -l) -eq " + (throughLink ? "2" : "1")).c_str()),
            0);
    }
}

// Whether some process waits for a lock on the file `inode`.
bool SomeoneWaitsFor(ino_t inode) {
    std::ifstream locks("/proc/locks");
    std::string line;
    const std::string tail = ":" + std::to_string(inode) + " ";
    while (std::getline(locks, line))
        if (line.find("->") != std::string::npos && line.find(tail) != std::string::npos)
            return true;
    return false;
}

TEST_F(RunLogFile, AWriterThatWaitedThroughAnUpgradeAppendsToTheNewLog) {
    Write(OlderLog());
    const int held = open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    struct stat old {};
    ASSERT_EQ(fstat(held, &old), 0);
    LoggedRun down = MakeRun(Direction::DOWN, 1, 0);
    down.unit = LengthUnit::MM;
    std::string error;
    bool appended = false;
    std::thread writer([&] { appended = AppendRunToLog(path, down, false, error); });
    // It waits on the old file's lock, as a writer does behind an upgrade.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!SomeoneWaitsFor(old.st_ino) && std::chrono::steady_clock::now() < limit)
        std::this_thread::yield();
    const bool waited = SomeoneWaitsFor(old.st_ino);
    // The upgrade another writer makes: the log and its run in a new file,
    // renamed into the log's place.
    const std::string upgraded = WithUnitColumn(OlderLog().substr(0, OlderLog().rfind('\n') + 1));
    LoggedRun other = MakeRun(Direction::UP, 0, 1);
    other.run = 2;
    other.measurement = 2;
    other.unit = LengthUnit::MM;
    other.points[0].approach = Direction::UP;
    std::ofstream(dir + "/new.csv", std::ios::binary) << upgraded << FormatRun(other);
    ASSERT_EQ(rename((dir + "/new.csv").c_str(), path.c_str()), 0);
    flock(held, LOCK_UN);
    close(held);
    writer.join();
    EXPECT_TRUE(waited) << "the writer never waited for the lock";
    ASSERT_TRUE(appended) << error;
    EXPECT_EQ(down.run, 3);
    EXPECT_EQ(down.measurement, 2);
    EXPECT_EQ(Contents(), upgraded + FormatRun(other) + FormatRun(down));
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
