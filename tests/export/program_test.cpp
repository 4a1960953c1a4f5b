// The program as the demo and an operator start it: its exits, and that a
// refusal writes nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

namespace pitchwise {

namespace {

class Program : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/pitchwise-export-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    int Run(const std::string& args) {
        std::string command = std::string(PITCHWISE_EXPORT_PROGRAM) + " " + args + " >'" + dir +
                              "/out' 2>'" + dir + "/err'";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Read(const std::string& name) {
        std::ifstream file(dir + "/" + name, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    bool Exists(const std::string& name) { return access((dir + "/" + name).c_str(), F_OK) == 0; }

    std::string dir;
    const std::string golden = PITCHWISE_EXPORT_GOLDEN;
};

struct ExitRow {
    const char* args;  // after the run log; "RUNLOG" stands for the golden log
    int status;
    const char* says;  // a part of standard error
};

TEST_F(Program, ExitsAndWritesNothingWhenRefused) {
    std::ofstream(dir + "/bad.csv") << "run,measurement\n";
    const ExitRow rows[] = {
        {"RUNLOG --axis X --to linuxcnc -o OUT", 0, ""},
        {"RUNLOG --axis Y --to linuxcnc -o OUT", 1, "no mapping measurement of axis Y"},
        {"RUNLOG --axis X --to siemens-lec -o OUT", 1, "give --unit"},
        {"MISSING --axis X --to linuxcnc -o OUT", 1, "cannot read"},
        {"BAD --axis X --to linuxcnc -o OUT", 1, "bad.csv: line 1"},
        {"RUNLOG --axis X --to nothing -o OUT", 2, "usage: pitchwise-export"},
        {"RUNLOG --axis X -o OUT", 2, "usage: pitchwise-export"},
    };
    for (const ExitRow& row : rows) {
        std::string args = row.args;
        auto put = [&args](const std::string& name, const std::string& path) {
            std::size_t at = args.find(name);
            if (at != std::string::npos) args.replace(at, name.size(), "'" + path + "'");
        };
        put("RUNLOG", golden + "/runs.csv");
        put("MISSING", dir + "/missing.csv");
        put("BAD", dir + "/bad.csv");
        put("OUT", dir + "/table.dat");
        std::remove((dir + "/table.dat").c_str());
        EXPECT_EQ(Run(args), row.status) << row.args << "\n" << Read("err");
        EXPECT_EQ(Exists("table.dat"), row.status == 0) << row.args;
        EXPECT_NE(Read("err").find(row.says), std::string::npos) << Read("err");
        // The log's name once, however deep the reason it failed.
        const std::string err = Read("err");
        const std::size_t named = err.find(".csv");
        EXPECT_TRUE(named == std::string::npos || err.find(".csv", named + 1) == std::string::npos)
            << err;
    }
}

TEST_F(Program, WritesTheFileOrStandardOutput) {
    ASSERT_EQ(Run("'" + golden + "/runs.csv' --axis X --to linuxcnc -o '" + dir + "/t.dat'"), 0);
    EXPECT_EQ(Read("out"), "");
    std::string file = Read("t.dat");
    // The comment names the log as given.
    ASSERT_EQ(Run("'" + golden + "/runs.csv' --axis X --to linuxcnc"), 0);
    EXPECT_EQ(Read("out"), file);
    ASSERT_EQ(Run("'" + golden + "/runs.csv' --axis X --to linuxcnc -o -"), 0);
    EXPECT_EQ(Read("out"), file);
    EXPECT_FALSE(Exists("-"));
    EXPECT_EQ(file.substr(0, 31), "1.000000 1.001100 1.002900\n2.00");
    // A folder that is not there: said, nothing left behind.
    EXPECT_EQ(Run("'" + golden + "/runs.csv' --axis X --to csv -o '" + dir + "/no/t.csv'"), 1);
    EXPECT_NE(Read("err").find("cannot create a file beside"), std::string::npos);
}

// What -o names decides: a link is followed and kept, and a folder, FIFO
// or device is refused with nothing written and nothing removed.
TEST_F(Program, FollowsALinkAndRefusesWhatIsNotAFile) {
    struct Row {
        const char* name;
        std::function<void(const std::string&)> make;  // makes "target"
        int status;
        const char* says;
        mode_t kind;  // of "target" afterwards
    };
    const Row rows[] = {
        {"a link",
         [](const std::string& at) {
             std::ofstream(at + "/real") << "old";
             symlink("real", (at + "/target").c_str());
         },
         0, "", S_IFLNK},
        {"a folder", [](const std::string& at) { mkdir((at + "/target").c_str(), 0755); }, 1,
         "is a folder, not a file", S_IFDIR},
        {"a FIFO", [](const std::string& at) { mkfifo((at + "/target").c_str(), 0644); }, 1,
         "is a FIFO, not a file", S_IFIFO},
        {"a device node",
         [](const std::string& at) {
             mknod((at + "/target").c_str(), S_IFCHR | 0666, makedev(1, 3));
         },
         1, "is a device, not a file", S_IFCHR},
    };
    for (const Row& row : rows) {
        std::system(("rm -rf '" + dir + "'/target '" + dir + "'/real").c_str());
        if (row.kind == S_IFCHR && geteuid() != 0) {
            std::printf("skipped \"%s\": only root can make a device node\n", row.name);
            continue;
        }
        row.make(dir);
        EXPECT_EQ(Run("'" + golden + "/runs.csv' --axis X --to csv -o '" + dir + "/target'"),
                  row.status)
            << row.name << ": " << Read("err");
        EXPECT_NE(Read("err").find(row.says), std::string::npos) << row.name << ": " << Read("err");
        struct stat info {};
        ASSERT_EQ(lstat((dir + "/target").c_str(), &info), 0) << row.name;
        EXPECT_EQ(info.st_mode & S_IFMT, row.kind) << row.name;
        EXPECT_EQ(Read("real").find("target,") != std::string::npos, row.kind == S_IFLNK)
            << row.name;
    }
}

struct HelpRow {
    const char* args;
    int status;
    const char* out;  // a part of standard output; nothing on the other
    const char* err;  // a part of standard error
};

// Help goes to standard output, whole; a usage error is named on standard
// error with the one usage line, and nothing on standard output.
TEST_F(Program, HelpAndUsageErrors) {
    const HelpRow rows[] = {
        {"--help", 0, "  --to FORMAT ", nullptr},
        {"-h", 0, "  -o FILE ", nullptr},
        {"--help", 0, "  --scale-temperature TS --scale-expansion AS", nullptr},
        {"--help", 0, "  --logical-axis N ", nullptr},
        {"runs.csv --axis X --to csv --colour", 2, nullptr, "unknown option --colour\n"},
        {"runs.csv --axis X --to csv --colour", 2, nullptr, "(pitchwise-export --help says more)"},
        {"", 2, nullptr, "the run log, --axis and --to are needed"},
    };
    for (const HelpRow& row : rows) {
        EXPECT_EQ(Run(row.args), row.status) << row.args;
        const std::string out = Read("out"), err = Read("err");
        if (row.out != nullptr) {
            EXPECT_NE(out.find(row.out), std::string::npos) << row.args << "\n" << out;
            EXPECT_EQ(err, "") << row.args;
        } else {
            EXPECT_NE(err.find(row.err), std::string::npos) << row.args << "\n" << err;
            EXPECT_EQ(err.find("--max-points"), std::string::npos) << "whole usage: " << err;
            EXPECT_EQ(out, "") << row.args;
        }
    }
}

}  // namespace

}  // namespace pitchwise
