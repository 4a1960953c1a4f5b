// RunMapping against fake controller libraries loaded through the real
// run-time linking, one variant per test suite (CTest points LD_LIBRARY_PATH
// at the variant's directory), with the simulated QSB on a pty.

#include "mapping_run.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "run_recorder.h"

namespace pitchwise {

namespace {

using Lines = std::vector<std::string>;

// What the code run in its scope writes to standard error, through a file
// that takes the place of descriptor 2.
class CStderrCapture {
  public:
    CStderrCapture() : m_file(std::tmpfile()), m_saved(dup(STDERR_FILENO)) {
        std::fflush(stderr);
        if (m_file) dup2(fileno(m_file), STDERR_FILENO);
    }
    ~CStderrCapture() {
        Restore();
        if (m_file) std::fclose(m_file);
    }
    CStderrCapture(const CStderrCapture&) = delete;
    CStderrCapture& operator=(const CStderrCapture&) = delete;

    std::string Text() {
        Restore();
        std::string text;
        if (!m_file) return text;
        std::rewind(m_file);
        for (int c = std::fgetc(m_file); c != EOF; c = std::fgetc(m_file)) text += char(c);
        return text;
    }

  private:
    void Restore() {
        if (m_saved < 0) return;
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
        m_saved = -1;
    }

    std::FILE* m_file;
    int m_saved;
};

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

struct SequenceCase {
    const char* name;
    char axis;
    float start, end, increment;
    bool disableFirst;
    std::vector<std::int64_t> counts;  // QSB counter at points 0, 1, ...
    Lines lines;
};

// Point 1 reads 10036 counts (1.000153), so its entry is 1 - e = -0.000153.
const SequenceCase kSequences[] = {
    {"UpByOneWithBox",
     'X',
     0,
     1,
     1,
     true,
     {0, 10036},
     {"L600", "L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X1.0000", "G4D1", "L606 N1 V-0.0002",
      "L601"}},
    {"UpByOneWithoutBox",
     'X',
     0,
     1,
     1,
     false,
     {0, 10036},
     {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X1.0000", "G4D1", "L606 N1 V-0.0002",
      "L601"}},
    {"StartEqualsEnd",
     'Y',
     3.5f,
     3.5f,
     1,
     true,
     {-10},
     {"L600", "L602YY", "G0Y3.5000", "G4D1", "L606 N0 V0", "L601"}},
    // Downwards the QSB counts negative travel; each entry is the commanded
    // travel -2i less the reading, here 0.01 * i short of it.
    {"DownFromTenByTwo",
     'X',
     10,
     0,
     2,
     false,
     {0, CountsFor(-1.99), CountsFor(-3.98), CountsFor(-5.97), CountsFor(-7.96), CountsFor(-9.95)},
     {"L602XX",           "G0X10.0000", "G4D1", "L606 N0 V0",       "G1X-2.0000",  "G4D1",
      "L606 N1 V-0.0100", "G1X-4.0000", "G4D1", "L606 N2 V-0.0200", "G1X-6.0000",  "G4D1",
      "L606 N3 V-0.0300", "G1X-8.0000", "G4D1", "L606 N4 V-0.0400", "G1X-10.0000", "G4D1",
      "L606 N5 V-0.0500", "L601"}},
    // The start never enters targets or entries; 2.5 by 1 stops short at 2.
    {"TwoAndAHalfByOne",
     'Z',
     -1,
     1.5f,
     1,
     false,
     {0, CountsFor(1.25), CountsFor(1.9)},
     {"L602ZZ", "G0Z-1.0000", "G4D1", "L606 N0 V0", "G1Z1.0000", "G4D1", "L606 N1 V-0.2500",
      "G1Z2.0000", "G4D1", "L606 N2 V0.1000", "L601"}},
    // A step count that is not a number, or beyond a 32-bit integer, counts
    // as negative: no points at all, and the run still closes.
    {"NotANumberSteps",
     'X',
     0,
     std::numeric_limits<float>::quiet_NaN(),
     1,
     false,
     {},
     {"L602XX", "G0X0.0000", "L601"}},
    {"HugeSteps", 'X', 0, 3e9f, 1, false, {}, {"L602XX", "G0X0.0000", "L601"}},
    {"JustBeyondInt32Steps", 'X', 0, 2147483648.0f, 1, false, {}, {"L602XX", "G0X0.0000", "L601"}},
    {"InfiniteSpan",
     'X',
     -3e38f,
     3e38f,
     1,
     false,
     {},
     {"L602XX", "G0X-300000000549775575777803994281145270272.0000", "L601"}},
};

class Recording : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(Recording, SendsExactlyTheseLines) {
    const SequenceCase& c = GetParam();
    CRunRecorder recorder;
    recorder.SetCountsAtPoints(c.counts);

    EXPECT_EQ(RunMapping(c.axis, c.start, c.end, c.increment, c.disableFirst), MAP_DONE);

    EXPECT_EQ(recorder.Lines(), c.lines);
    EXPECT_EQ(recorder.Calls().front(), "Tvx_Init");
    EXPECT_EQ(recorder.Calls().back(), "Tvx_Finish");
    EXPECT_EQ(recorder.CallsOf("Tvx_Finish"), 1);
    EXPECT_EQ(recorder.CallsOf("Tvx_GetMachinePositionEx"), 0);
    // Zeroed once after the G0 move, read once per point.
    Lines qsb = {"W092!\n"};
    qsb.insert(qsb.end(), c.counts.size(), "R0E0!\n");
    EXPECT_EQ(recorder.QsbCommands(), qsb);
}

INSTANTIATE_TEST_SUITE_P(Examples, Recording, ::testing::ValuesIn(kSequences),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(RecordingOrder, EveryLineSettlesAndTheQsbIsZeroedAfterTheStartMove) {
    CRunRecorder recorder;
    recorder.SetCountsAtPoints({0, 10036});
    ASSERT_EQ(RunMapping('X', 0, 1, 1, true), MAP_DONE);
    const Lines expected = {
        "Tvx_Init 1",      "line L600", "poll 0",         "line L602XX",  "poll 0",
        "line G0X0.0000",  "poll 0",    "pause 500",      "qsb W092",     "pause 500",
        "line G4D1",       "poll 0",    "pause 500",      "qsb R0E0",     "pause 500",
        "line L606 N0 V0", "poll 0",    "line G1X1.0000", "poll 0",       "line G4D1",
        "poll 0",          "pause 500", "qsb R0E0",       "pause 500",    "line L606 N1 V-0.0002",
        "poll 0",          "line L601", "poll 0",         "Tvx_Finish 1",
    };
    EXPECT_EQ(recorder.Log(), expected);
}

// The reading at point 0 only checks the zero: ten counts off still gives
// the entry 0, and point 1 is not corrected by it.
TEST(RecordingOrder, TheStartIsReadAtPointZeroButOnlyToCheckTheZero) {
    CRunRecorder recorder;
    recorder.SetCountsAtPoints({10, CountsFor(1.0)});
    ASSERT_EQ(RunMapping('X', 0, 1, 1, false), MAP_DONE);
    Lines lines = recorder.Lines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[3], "L606 N0 V0");
    EXPECT_EQ(lines[6], "L606 N1 V0.0000");
    EXPECT_EQ(recorder.QsbCommands(), (Lines{"W092!\n", "R0E0!\n", "R0E0!\n"}));
}

// The entry is worked out in single precision, as the controller's table
// expects: at point 3 of 1000.1 steps, 3 x 1000.1 rounds to 3000.30005 in
// single precision (3000.29993 in double), so the texts differ.
TEST(RecordingPrecision, EntryIsWorkedOutInSinglePrecision) {
    struct Row {
        std::int64_t countAtPointThree;
        const char* entry;  // single precision; double precision gives the other text
    };
    const Row rows[] = {
        {30106379, "L606 N3 V0.0017"},  // double: 0.0018, or 0.0020 from the counts
        {30106381, "L606 N3 V0.0017"},  // double: 0.0018
        {30106382, "L606 N3 V0.0015"},  // double: 0.0016, or 0.0017 from the counts
    };
    for (const Row& row : rows) {
        CRunRecorder recorder;
        recorder.SetCountsAtPoints(
            {0, CountsFor(1000.1), CountsFor(2000.2), row.countAtPointThree});
        ASSERT_EQ(RunMapping('X', 0, 3100, 1000.1f, false), MAP_DONE);
        const Lines lines = recorder.Lines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[lines.size() - 2], row.entry) << row.countAtPointThree;
    }
}

TEST(RecordingOrder, SecondRunInTheSameProcessFindsTheSameLibraryStillLoaded) {
    int firstCount = 0;
    for (int run = 0; run < 2; ++run) {
        CRunRecorder recorder;
        recorder.SetCountsAtPoints({0, 10036});
        ASSERT_EQ(RunMapping('X', 0, 1, 1, false), MAP_DONE) << "run " << run;
        EXPECT_EQ(recorder.Lines().size(), 8u) << "run " << run;
        // The library keeps its own count across runs only if it was never
        // unloaded in between.
        if (run == 0) firstCount = recorder.LibraryInitCount();
        EXPECT_EQ(recorder.LibraryInitCount(), firstCount + run);
    }
    EXPECT_GE(firstCount, 1);
    EXPECT_NE(dlopen("libTarvex.so", RTLD_NOW | RTLD_NOLOAD), nullptr);
}

struct ReadFailureCase {
    const char* name;
    int point;
    ReadFault fault;
    Lines lines;
};

const ReadFailureCase kReadFailures[] = {
    {"GarbledAtStart", 0, ReadFault::GARBLED, {"L602XX", "G0X0.0000", "G4D1"}},
    {"ShortAtStart", 0, ReadFault::SHORT_REPLY, {"L602XX", "G0X0.0000", "G4D1"}},
    {"UnpluggedAtStart", 0, ReadFault::UNPLUGGED, {"L602XX", "G0X0.0000", "G4D1"}},
    {"GarbledMidway",
     2,
     ReadFault::GARBLED,
     {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X1.0000", "G4D1", "L606 N1 V0.0000",
      "G1X2.0000", "G4D1"}},
    {"UnpluggedMidway",
     2,
     ReadFault::UNPLUGGED,
     {"L602XX", "G0X0.0000", "G4D1", "L606 N0 V0", "G1X1.0000", "G4D1", "L606 N1 V0.0000",
      "G1X2.0000", "G4D1"}},
};

class ReadFailure : public ::testing::TestWithParam<ReadFailureCase> {};

// A reading that did not arrive must never become a correction: the run ends
// there, with nothing sent for that point and the table left unclosed.
TEST_P(ReadFailure, EndsTheRunWithoutAnEntryForThatPoint) {
    const ReadFailureCase& c = GetParam();
    CRunRecorder recorder;
    recorder.SetCountsAtPoints({0, CountsFor(1), CountsFor(2), CountsFor(3), CountsFor(4)});
    recorder.FailReadingAt(c.point, c.fault);

    EXPECT_EQ(RunMapping('X', 0, 4, 1, false), MAP_READ_FAILED);

    EXPECT_EQ(recorder.Lines(), c.lines);
    EXPECT_EQ(recorder.CallsOf("Tvx_Finish"), 0);
}

INSTANTIATE_TEST_SUITE_P(Faults, ReadFailure, ::testing::ValuesIn(kReadFailures),
                         [](const auto& row) { return std::string(row.param.name); });

struct ZeroCase {
    const char* name;
    bool zeroTakes;
    std::int64_t offBy;  // counts between the old zero and the start
    MapResult result;
    const char* entryOne;  // what a completed run sends for point 1
};

// The QSB sat 5000 counts from its last zero, or that plus the difference,
// when the run zeroed it at the start.
const ZeroCase kZeroCases[] = {
    {"TakenFarFromTheOldZero", true, 5000, MAP_DONE, "L606 N1 V-0.0002"},
    {"IgnoredFarFromTheOldZero", false, 5000, MAP_ZERO_FAILED, ""},
    {"IgnoredElevenCountsAbove", false, 11, MAP_ZERO_FAILED, ""},
    {"IgnoredElevenCountsBelow", false, -11, MAP_ZERO_FAILED, ""},
    // Within the tolerance the old zero stands, and its offset shows.
    {"IgnoredTenCountsAbove", false, 10, MAP_DONE, "L606 N1 V-0.0011"},
    {"IgnoredTenCountsBelow", false, -10, MAP_DONE, "L606 N1 V0.0008"},
    {"IgnoredAtTheOldZero", false, 0, MAP_DONE, "L606 N1 V-0.0002"},
};

class RecordingZero : public ::testing::TestWithParam<ZeroCase> {};

// A zero that did not take would put its old count into every entry: the run
// stops before the first one, with nothing more said to either side.
TEST_P(RecordingZero, ReadingAtTheStartChecksTheZero) {
    const ZeroCase& c = GetParam();
    CRunRecorder recorder;
    recorder.Qsb().SetCounts(c.offBy);
    recorder.Qsb().IgnoreZeroing(!c.zeroTakes);
    recorder.SetCountsAtPoints({c.offBy, c.offBy + 10036});

    EXPECT_EQ(RunMapping('X', 0, 1, 1, true), c.result);

    if (c.result == MAP_DONE) {
        EXPECT_EQ(recorder.Lines(), (Lines{"L600", "L602XX", "G0X0.0000", "G4D1", "L606 N0 V0",
                                           "G1X1.0000", "G4D1", c.entryOne, "L601"}));
        EXPECT_EQ(recorder.CallsOf("Tvx_Finish"), 1);
        return;
    }
    const Lines expected = {
        "Tvx_Init 1",     "line L600", "poll 0",    "line L602XX", "poll 0",
        "line G0X0.0000", "poll 0",    "pause 500", "qsb W092",    "pause 500",
        "line G4D1",      "poll 0",    "pause 500", "qsb R0E0",    "pause 500",
    };
    EXPECT_EQ(recorder.Log(), expected);
    EXPECT_EQ(recorder.CallsOf("Tvx_Finish"), 0);
}

INSTANTIATE_TEST_SUITE_P(Zeroing, RecordingZero, ::testing::ValuesIn(kZeroCases),
                         [](const auto& row) { return std::string(row.param.name); });

// After a zero that did not take, a run from the same place as the last good
// zero measures from the right zero and passes; one from elsewhere does not.
TEST(RecordingZeroAgain, SameStartAfterAnIgnoredZeroStillPasses) {
    CRunRecorder recorder;
    const std::int64_t start = 7000;
    recorder.Qsb().SetCounts(start);  // where the first run zeroes it
    recorder.SetCountsAtPoints({start, start + 10036, start, start + 10036, start + 20000});

    EXPECT_EQ(RunMapping('X', 0, 1, 1, false), MAP_DONE);
    recorder.Qsb().IgnoreZeroing(true);
    EXPECT_EQ(RunMapping('X', 0, 1, 1, false), MAP_DONE);
    EXPECT_EQ(recorder.Qsb().ZeroOffset(), start);
    EXPECT_EQ(RunMapping('X', 0, 1, 1, false), MAP_ZERO_FAILED);

    EXPECT_EQ(recorder.CallsOf("Tvx_Finish"), 2);
    const Lines lines = recorder.Lines();
    ASSERT_EQ(lines.size(), 8u + 8u + 3u);
    EXPECT_EQ(lines[7], "L601");
    EXPECT_EQ(lines[14], "L606 N1 V-0.0002");
    EXPECT_EQ(lines.back(), "G4D1");
}

// The German locale writes "1,5"; the controller only understands "1.5".
TEST(RecordingLocale, CommaDecimalLocaleStillSendsPoints) {
    std::string previous = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
        << "the de_DE.UTF-8 locale must be available (LOCPATH)";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    CRunRecorder recorder;
    recorder.SetCountsAtPoints({0, CountsFor(1.25)});
    MapResult result = RunMapping('X', 0.5f, 2.0f, 1.5f, false);
    std::setlocale(LC_ALL, previous.c_str());

    EXPECT_EQ(result, MAP_DONE);
    const Lines expected = {"L602XX", "G0X0.5000",       "G4D1", "L606 N0 V0", "G1X1.5000",
                            "G4D1",   "L606 N1 V0.2500", "L601"};
    EXPECT_EQ(recorder.Lines(), expected);
}

// Variant: Tvx_InMotion answers 1 three times after each line, then 0.
TEST(SlowMotion, PollsAtOnceThenEveryMotionPollUntilStill) {
    CRunRecorder recorder;
    recorder.SetCountsAtPoints({0, 10036});
    ASSERT_EQ(RunMapping('X', 0, 1, 1, false), MAP_DONE);

    Lines log = recorder.Log();
    const Lines settle = {"poll 1", "pause 100", "poll 1", "pause 100",
                          "poll 1", "pause 100", "poll 0"};
    int linesChecked = 0;
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i].rfind("line ", 0) != 0) continue;
        ASSERT_LE(i + 1 + settle.size(), log.size()) << log[i];
        Lines after(log.begin() + i + 1, log.begin() + i + 1 + settle.size());
        EXPECT_EQ(after, settle) << "after " << log[i];
        ++linesChecked;
    }
    EXPECT_EQ(linesChecked, 8);
    EXPECT_EQ(MOTION_POLL_MS, 100u);
}

// Variant: the 14th line since Tvx_Init is refused, which for 0 to 5 by 1 is
// the move that leads to point 4.
TEST(RefuseLine, RefusedMoveToPointFourLeavesEntriesZeroToThree) {
    CRunRecorder recorder;
    EXPECT_EQ(RunMapping('X', 0, 5, 1, false), MAP_COMMAND_FAILED);
    Lines lines = recorder.Lines();
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines.back(), "G1X4.0000");
    EXPECT_EQ(lines[12], "L606 N3 V3.0000");
    for (const std::string& line : lines) EXPECT_NE(line, "L601");
    EXPECT_EQ(recorder.CallsOf("Tvx_Finish"), 0);
    // The refused line started nothing, so nothing is polled after it.
    EXPECT_EQ(recorder.Calls().back(), "Tvx_GCodeLine");
}

// Variant: the closing L601 is refused.
TEST(RefuseL601, RefusedClosingLineIsACommandFailure) {
    CRunRecorder recorder;
    recorder.SetCountsAtPoints({0, 10036});
    EXPECT_EQ(RunMapping('X', 0, 1, 1, true), MAP_COMMAND_FAILED);
    const Lines expected = {"L600",      "L602XX", "G0X0.0000",        "G4D1", "L606 N0 V0",
                            "G1X1.0000", "G4D1",   "L606 N1 V-0.0002", "L601"};
    EXPECT_EQ(recorder.Lines(), expected);
    EXPECT_EQ(recorder.CallsOf("Tvx_Finish"), 0);
}

// Variant: Tvx_Init reports failure.
TEST(InitFails, NothingIsSentAndTheQsbIsLeftAlone) {
    CRunRecorder recorder;
    EXPECT_EQ(RunMapping('X', 0, 1, 1, true), MAP_INIT_FAILED);
    const Lines calls = {"Tvx_Init"};
    EXPECT_EQ(recorder.Calls(), calls);
    EXPECT_TRUE(recorder.QsbCommands().empty());
}

// Variants: one of the five entries is missing each time.
TEST(MissingEntry, NoEntryIsCalledWhenAnyIsMissing) {
    CRunRecorder recorder;
    CStderrCapture errors;
    EXPECT_EQ(RunMapping('X', 0, 1, 1, true), MAP_NO_ENTRY);
    EXPECT_TRUE(recorder.Calls().empty());
    EXPECT_TRUE(recorder.QsbCommands().empty());
    // The one missing entry is named, on one line.
    const std::string text = errors.Text();
    EXPECT_EQ(Count(text, "\n"), 1u) << text;
    EXPECT_EQ(Count(text, "lacks an entry"), 1u) << text;
    EXPECT_EQ(Count(text, "undefined symbol: Tvx_"), 1u) << text;
}

// The reason and the hint for whoever sets the machine up, once per attempt.
void ExpectLoadFailureReported(const std::string& text, const std::string& reason) {
    EXPECT_EQ(Count(text, "cannot load the controller library: "), 1u) << text;
    EXPECT_EQ(Count(text, reason), 1u) << text;
    const char* path = std::getenv("LD_LIBRARY_PATH");
    ASSERT_NE(path, nullptr) << "CTest sets the variant's directory";
    EXPECT_EQ(Count(text, std::string("LD_LIBRARY_PATH is \"") + path + "\""), 1u) << text;
    EXPECT_EQ(Count(text, "\n"), 2u) << text;
}

// Variant: no libTarvex.so anywhere on the search path.
TEST(NoLibrary, MissingLibraryIsReported) {
    CRunRecorder recorder;
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Again: a failed load leaves nothing behind that a retry would trip on.
        CStderrCapture errors;
        EXPECT_EQ(RunMapping('X', 0, 1, 1, true), MAP_NO_LIBRARY);
        ExpectLoadFailureReported(errors.Text(), "libTarvex.so: cannot open shared object file");
    }
    EXPECT_TRUE(recorder.QsbCommands().empty());
}

// Variant: the libTarvex.so found on the path is no shared library at all;
// the loader's own words say which file it tried.
TEST(NotALibrary, LoaderReasonNamesTheFile) {
    CStderrCapture errors;
    EXPECT_EQ(RunMapping('X', 0, 1, 1, true), MAP_NO_LIBRARY);
    const std::string file = std::string(std::getenv("LD_LIBRARY_PATH")) + "/libTarvex.so: ";
    ExpectLoadFailureReported(errors.Text(), file);
}

}  // namespace

}  // namespace pitchwise
