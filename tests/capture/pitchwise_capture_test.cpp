// What pitchwise-capture says on each stream, and its exit status, for help
// and for usage errors: help is asked for and goes to standard output, a
// usage error names its cause on standard error.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace pitchwise {

namespace {

struct Said {
    int status = -1;
    std::string text;
};

// Runs the program with `arguments`; keeps `stream` (1 or 2) and drops the other.
Said RunCapture(const std::string& arguments, int stream) {
    const std::string command = std::string(PITCHWISE_CAPTURE_PROGRAM) + " " + arguments +
                                (stream == 1 ? " 2>/dev/null" : " 2>&1 1>/dev/null");
    Said said;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return said;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        said.text.append(buffer, got);
    const int status = pclose(pipe);
    said.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return said;
}

TEST(CaptureProgram, HelpOnStandardOutputUsageErrorsOnStandardError) {
    struct Row {
        std::string arguments;
        int status;
        int stream;  // where the text goes; the other stays empty
        std::string text;
    };
    const std::vector<Row> rows = {
        {"--help", 0, 1, "usage: pitchwise-capture plan --axis X|Y|Z"},
        {"--help", 0, 1, "\n  --lost-motion L  "},
        {"--help", 0, 1, "\n  --table-in-force  "},
        {"-h", 0, 1, "\n  -h, --help  "},
        {"run x.plan --bogus", 2, 2,
         "pitchwise-capture: unknown option --bogus\nusage: pitchwise-capture plan OPTIONS | "
         "run PLAN [OPTIONS]   (pitchwise-capture --help says more)\n"},
        {"measure", 2, 2, "pitchwise-capture: unknown command measure\nusage: "},
        {"", 2, 2, "pitchwise-capture: give a command: plan or run\nusage: "},
        // A feed of 0 is a usage error like any other value refused.
        {"plan --axis X --from 0 --to 40 --spacing 10 --dialect grbl -o /nonexistent/x.ngc "
         "--feed 0",
         2, 2, "pitchwise-capture: --feed cannot be 0\nusage: "},
        {"plan --axis X --from 0 --to 40 --spacing 10 --dialect grbl -o /nonexistent/x.ngc "
         "--seed 3",
         2, 2, "pitchwise-capture: --seed is for --random-offsets only\nusage: "},
        {"run x.plan --port COM9", 2, 2, "pitchwise-capture: --port cannot be COM9\nusage: "},
        // Why a plan cannot be read, in the system's words.
        {"run /nonexistent/nosuch.plan", 1, 2,
         "pitchwise-capture: /nonexistent/nosuch.plan: cannot be read: No such file or "
         "directory\n"},
        {"run /", 1, 2, "pitchwise-capture: cannot read /: "},
        {"run " PITCHWISE_CAPTURE_EARLIER_PLAN, 1, 2, "plan again\n"},
        {"--help", 0, 1, "\n  --counts-per-unit C  "},
    };
    for (const Row& row : rows) {
        const Said said = RunCapture(row.arguments, row.stream);
        EXPECT_EQ(said.status, row.status) << row.arguments;
        EXPECT_NE(said.text.find(row.text), std::string::npos)
            << row.arguments << ": " << said.text;
        EXPECT_EQ(RunCapture(row.arguments, 3 - row.stream).text, "") << row.arguments;
    }
}

// The program is written where -o leads: through a link, kept as a link,
// so the controller's own file is the one replaced; a FIFO is refused.
TEST(CaptureProgram, ThePlansProgramGoesWhereALinkLeadsAndNotIntoAFifo) {
    char made[] = "/tmp/capture-program-test.XXXXXX";
    ASSERT_NE(mkdtemp(made), nullptr);
    const std::string folder = made;
    struct Row {
        const char* name;
        int status;
        const char* said;  // on standard error
    };
    const Row rows[] = {
        {"a link", 0, ""},
        {"a FIFO", 1, "cycle.ngc is a FIFO, not a file"},
    };
    for (const Row& row : rows) {
        std::system(("rm -f '" + folder + "'/*").c_str());
        const std::string program = folder + "/cycle.ngc";
        if (row.status == 0) {
            std::FILE* real = std::fopen((folder + "/real.ngc").c_str(), "w");
            ASSERT_NE(real, nullptr);
            std::fputs("old", real);
            std::fclose(real);
            ASSERT_EQ(symlink("real.ngc", program.c_str()), 0);
        } else {
            ASSERT_EQ(mkfifo(program.c_str(), 0644), 0);
        }
        const Said said = RunCapture(
            "plan --axis X --from 0 --to 100 --spacing 50 --runs 1 "
            "--feed 1200 --dialect linuxcnc -o '" +
                program + "'",
            2);
        EXPECT_EQ(said.status, row.status) << row.name << ": " << said.text;
        EXPECT_NE(said.text.find(row.said), std::string::npos) << row.name << ": " << said.text;
        struct stat info {};
        ASSERT_EQ(lstat(program.c_str(), &info), 0) << row.name;
        EXPECT_EQ(S_ISLNK(info.st_mode), row.status == 0) << row.name;
        EXPECT_EQ(S_ISFIFO(info.st_mode), row.status != 0) << row.name;
        if (row.status == 0) {
            std::FILE* real = std::fopen((folder + "/real.ngc").c_str(), "r");
            char start[4] = {};
            ASSERT_NE(real, nullptr);
            EXPECT_NE(std::fread(start, 1, 3, real), 0u);
            std::fclose(real);
            EXPECT_NE(std::string(start), "old") << row.name;
        }
    }
    std::system(("rm -rf '" + folder + "'").c_str());
}

}  // namespace

}  // namespace pitchwise
