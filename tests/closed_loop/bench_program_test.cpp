// The pitchwise-bench program as a script uses it: started on its own,
// found through its environment file, judged by its exit status and CSV.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "com_port.h"
#include "mapping_run.h"

namespace pitchwise {

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Sets each "export NAME=VALUE" line of the bench's environment file.
void ExportFrom(const std::string& text) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const std::string prefix = "export ";
        std::size_t equals = line.find('=');
        ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
        ASSERT_NE(equals, std::string::npos) << line;
        setenv(line.substr(prefix.size(), equals - prefix.size()).c_str(),
               line.substr(equals + 1).c_str(), 1);
    }
}

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

// Starts the program in `workDir` (the test's own when empty).
pid_t StartBench(const std::vector<std::string>& arguments, const std::string& workDir = "") {
    pid_t pid = fork();
    if (pid == 0) {
        if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(126);
        std::vector<char*> argv;
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

class BenchProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/pitchwise-bench-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        for (const char* name : {"/env", "/table.csv", "/out/pitchwise-bench.csv"}) {
            unlink((dir + name).c_str());
        }
        rmdir((dir + "/out").c_str());
        rmdir(dir.c_str());
    }

    // Starts the bench and waits for its environment file.
    void Start(std::vector<std::string> options, bool defaultCsv = false) {
        if (!defaultCsv) options.insert(options.begin(), {"--csv", dir + "/table.csv"});
        options.insert(options.begin(),
                       {PITCHWISE_BENCH_PROGRAM, "--env-file", dir + "/env", "--timeout", "60"});
        pid = StartBench(options, dir);
        ASSERT_GT(pid, 0);
        // A minute is a limit only a bench that never comes up reaches.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (access((dir + "/env").c_str(), F_OK) != 0 &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ASSERT_EQ(access((dir + "/env").c_str(), F_OK), 0) << "the bench did not come up";
        ExportFrom(ReadFile(dir + "/env"));
    }

    int Wait() {
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string dir;
    pid_t pid = -1;
};

TEST_F(BenchProgram, AgreeingRunExitsZeroWithItsTable) {
    ASSERT_NO_FATAL_FAILURE(Start({"--speed", "100", "--qsb-port", "3"}));
    ASSERT_TRUE(thePort.Open(3, 230400, 8, COM_NOPARITY, COM_ONESTOPBIT));
    EXPECT_EQ(RunMapping('Y', 1, 3, 1, false), MAP_DONE);
    thePort.Close();
    EXPECT_EQ(Wait(), 0);
    std::string csv = ReadFile(dir + "/table.csv");
    EXPECT_EQ(csv.rfind("run,point,commanded_travel,axis_error,expected,received,deviation,"
                        "within_tolerance\n",
                        0),
              0u);
    EXPECT_NE(csv.find("\n1,2,2.0000,"), std::string::npos) << csv;
    EXPECT_FALSE(Exists(dir + "/env")) << "a stale environment file outlives the bench";
}

// Started without --csv from a source tree, the table goes to the
// git-ignored output folder, which the bench makes when missing.
TEST_F(BenchProgram, DefaultTableGoesUnderTheOutputFolder) {
    ASSERT_NO_FATAL_FAILURE(Start({"--speed", "100"}, true));
    ASSERT_TRUE(thePort.Open(1, 230400, 8, COM_NOPARITY, COM_ONESTOPBIT));
    EXPECT_EQ(RunMapping('X', 0, 1, 1, false), MAP_DONE);
    thePort.Close();
    EXPECT_EQ(Wait(), 0);
    EXPECT_NE(ReadFile(dir + "/out/pitchwise-bench.csv").find("\n1,1,1.0000,"), std::string::npos);
    EXPECT_FALSE(Exists(dir + "/pitchwise-bench.csv"));
    EXPECT_FALSE(Exists(dir + "/env"));
}

// A run the controller cut short ends the bench when Pitchwise lets go of
// it, with a verdict of disagreement.
TEST_F(BenchProgram, RefusedRunExitsNonZero) {
    ASSERT_NO_FATAL_FAILURE(Start({"--refuse-line", "1"}));
    EXPECT_EQ(RunMapping('X', 0, 1, 1, false), MAP_COMMAND_FAILED);
    kill(pid, SIGTERM);
    EXPECT_EQ(Wait(), 1);
    EXPECT_FALSE(Exists(dir + "/env")) << "a stale environment file outlives the bench";
}

// An output it could never write stops the bench before it offers a QSB.
TEST_F(BenchProgram, UnwritableOutputRefusedAtTheStart) {
    pid = StartBench({PITCHWISE_BENCH_PROGRAM, "--env-file", dir + "/env", "--run-log",
                      "/proc/runs.csv", "--timeout", "60"},
                     dir);
    ASSERT_GT(pid, 0);
    EXPECT_EQ(Wait(), 2);
    EXPECT_FALSE(Exists(dir + "/env"));
}

}  // namespace

}  // namespace pitchwise
