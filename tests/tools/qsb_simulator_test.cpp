// The simulated QSB itself: its counter, its one-shot replies, its ports,
// its background thread and its command-line program.
#include "qsb_simulator.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "com_port.h"
#include "qsb.h"
#include "recording_clock.h"

namespace {

bool Exists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// Asks the device one question through a real port and collects its reply,
// waiting at most `limit` for it.
std::string Ask(CComPort& port, const std::string& command, CQsbSimulator* pump,
                std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) {
    port.Write(command.data(), command.size());
    std::string reply;
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (pump) pump->Pump();
        char buffer[64];
        std::size_t got = port.Read(buffer, sizeof buffer);
        reply.append(buffer, got);
        if (!reply.empty() && reply.back() == '\n') break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return reply;
}

class QsbSimulator : public ::testing::Test {
  protected:
    void SetUp() override {
        sim.ExportPortDir();
        ASSERT_TRUE(sim.Plug(1));
        ASSERT_TRUE(port.Open(1, 230400, 8, COM_NOPARITY, COM_ONESTOPBIT));
    }

    CQsbSimulator sim;
    CComPort port;
};

TEST_F(QsbSimulator, CounterWrapsToThirtyTwoBitsFromTheLastZero) {
    struct Row {
        std::int64_t zeroAt;
        std::int64_t counts;
        const char* reply;
    };
    const Row rows[] = {
        {0, 10036, "R0E0 00002734\r\n"},           {0, -10036, "R0E0 FFFFD8CC\r\n"},
        {1000, 999, "R0E0 FFFFFFFF\r\n"},          {-5, 2147483643LL, "R0E0 80000000\r\n"},
        {0, 0x1'0000'0001LL, "R0E0 00000001\r\n"},
    };
    for (const Row& row : rows) {
        sim.SetCounts(row.zeroAt);
        EXPECT_EQ(Ask(port, "W092!\n", &sim), "W092 OK\r\n");
        EXPECT_EQ(sim.ZeroOffset(), row.zeroAt);
        sim.SetCounts(row.counts);
        EXPECT_EQ(Ask(port, "R0E0!\n", &sim), row.reply) << row.counts;
    }
}

// The device answers in order, so the counter reply arriving first shows the
// zeroing command was taken without a word and without a new zero.
TEST_F(QsbSimulator, IgnoredZeroingKeepsTheOldZeroAndSaysNothing) {
    sim.SetCounts(500);
    EXPECT_EQ(Ask(port, "W092!\n", &sim), "W092 OK\r\n");
    sim.IgnoreZeroing(true);
    sim.SetCounts(1500);
    port.Write("W092!\n", 6);
    EXPECT_EQ(Ask(port, "R0E0!\n", &sim), "R0E0 000003E8\r\n");
    EXPECT_EQ(sim.ZeroOffset(), 500);
    sim.IgnoreZeroing(false);
    EXPECT_EQ(Ask(port, "W092!\n", &sim), "W092 OK\r\n");
    EXPECT_EQ(sim.ZeroOffset(), 1500);
    EXPECT_EQ(sim.Commands(),
              (std::vector<std::string>{"W092!\n", "W092!\n", "R0E0!\n", "W092!\n"}));
}

TEST_F(QsbSimulator, CountSourceIsAskedAtEachQuery) {
    std::int64_t travel = 100;
    sim.SetCountSource([&] { return travel; });
    Ask(port, "W092!\n", &sim);
    travel = 100 + 0x2734;
    EXPECT_EQ(Ask(port, "R0E0!\n", &sim), "R0E0 00002734\r\n");
    EXPECT_EQ(sim.CounterValue(), 0x2734u);
}

TEST_F(QsbSimulator, QueuedRepliesComeFirstThenThePersistentOneThenTheCounter) {
    sim.SetCounts(1);
    sim.QueueCounterReply("one", 2);
    sim.QueueCounterReply("two");
    EXPECT_EQ(Ask(port, "R0E0!\n", &sim, std::chrono::milliseconds(50)), "one");
    EXPECT_EQ(Ask(port, "R0E0!\n", &sim, std::chrono::milliseconds(50)), "one");
    EXPECT_EQ(Ask(port, "R0E0!\n", &sim, std::chrono::milliseconds(50)), "two");
    sim.SetCounterReply(std::string("stuck\n"));
    EXPECT_EQ(Ask(port, "R0E0!\n", &sim), "stuck\n");
    sim.SetCounterReply(std::nullopt);
    sim.SetCounterStyle(QsbSimCounterStyle::LOWER_CASE);
    sim.SetCounts(0xABCDEF);
    EXPECT_EQ(Ask(port, "R0E0!\n", &sim), "R0E0 00abcdef\r\n");
}

TEST_F(QsbSimulator, CommandsAreAnsweredAndRecordedInOrder) {
    EXPECT_EQ(Ask(port, "R140!\n", &sim), "R140 10234412\r\n");
    EXPECT_EQ(Ask(port, "W038D!\n", &sim), "W038D OK\r\n");
    EXPECT_EQ(Ask(port, "W08007A1200!\n", &sim), "W08007A1200 OK\r\n");
    EXPECT_EQ(Ask(port, "HELLO!\n", &sim, std::chrono::milliseconds(50)), "");  // unknown
    // A command split over two writes is still one command.
    port.Write("R1", 2);
    sim.Pump();
    EXPECT_EQ(Ask(port, "40!\n", &sim), "R140 10234412\r\n");
    const std::vector<std::string> expected = {"R140!\n", "W038D!\n", "W08007A1200!\n", "HELLO!\n",
                                               "R140!\n"};
    EXPECT_EQ(sim.Commands(), expected);
    for (const QsbSimTraffic& t : sim.Traffic()) EXPECT_EQ(t.port, 1);
}

TEST_F(QsbSimulator, UnplugRemovesTheLinkAndPlugPublishesAnother) {
    EXPECT_TRUE(Exists(sim.PortPath(1)));
    sim.Unplug();
    EXPECT_FALSE(Exists(sim.PortPath(1)));
    EXPECT_EQ(sim.Port(), 0);
    ASSERT_TRUE(sim.Plug(6));
    EXPECT_EQ(sim.Port(), 6);
    EXPECT_TRUE(Exists(sim.PortPath(6)));
    port.Close();
    ASSERT_TRUE(port.Open(6, 230400, 8, COM_NOPARITY, COM_ONESTOPBIT));
    EXPECT_EQ(Ask(port, "R140!\n", &sim), "R140 10234412\r\n");
}

TEST_F(QsbSimulator, SilentPortOpensAndNeverAnswers) {
    ASSERT_TRUE(sim.AddSilentPort(2));
    CComPort silent;
    ASSERT_TRUE(silent.Open(2, 230400, 8, COM_NOPARITY, COM_ONESTOPBIT));
    EXPECT_EQ(Ask(silent, "R140!\n", &sim, std::chrono::milliseconds(50)), "");
    ASSERT_FALSE(sim.Traffic().empty());
    EXPECT_EQ(sim.Traffic().back().port, 2);
    EXPECT_EQ(sim.Traffic().back().bytes, "R140!\n");
    sim.RemoveSilentPort(2);
    EXPECT_FALSE(Exists(sim.PortPath(2)));
}

TEST_F(QsbSimulator, BackgroundThreadAnswersAsBytesArrive) {
    sim.SetCounts(0x2734);
    sim.Start();
    EXPECT_EQ(Ask(port, "R0E0!\n", nullptr), "R0E0 00002734\r\n");
    sim.Stop();
    const std::vector<QsbSimTraffic> traffic = sim.Traffic();
    ASSERT_EQ(traffic.size(), 2u);
    EXPECT_EQ(traffic[0].direction, QsbSimTraffic::RECEIVED);
    EXPECT_EQ(traffic[1].direction, QsbSimTraffic::SENT);
    EXPECT_LE(traffic[0].at, traffic[1].at);
}

TEST_F(QsbSimulator, OwnPortDirectoryIsRemovedAtTheEnd) {
    std::string dir;
    {
        CQsbSimulator other;
        dir = other.PortDir();
        ASSERT_TRUE(other.Plug(3));
        ASSERT_TRUE(other.AddSilentPort(4));
        EXPECT_TRUE(Exists(dir + "/COM3"));
    }
    EXPECT_FALSE(Exists(dir));
}

// The command-line program, found by a scan in real time: COM1 silent, COM2
// absent, the QSB on COM3. The pauses are cut short, not skipped, so the
// device's thread has time to answer.
TEST(QsbSimulatorProgram, IsFoundByTheScan) {
    char dir[] = "/tmp/pitchwise-cli-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(out[1], 1);
        execl(QSB_SIM_EXE, QSB_SIM_EXE, "--port-dir", dir, "--port", "3", "--silent", "1",
              "--counts", "-10036", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    char banner[256] = {};
    ssize_t got = read(out[0], banner, sizeof banner - 1);  // blocks until it is ready
    close(out[0]);
    ASSERT_GT(got, 0);
    EXPECT_EQ(std::string(banner), std::string("QSB on ") + dir + "/COM3\n");

    setenv("PITCHWISE_PORT_DIR", dir, 1);
    {
        CRecordingClock clock(
            [](unsigned) { std::this_thread::sleep_for(std::chrono::milliseconds(20)); });
        int port = 0;
        QsbIdentity identity{};
        EXPECT_TRUE(FindQsb(port, identity));
        EXPECT_EQ(port, 3);
        float position = 0;
        EXPECT_TRUE(ReadQsbPosition(position));
        EXPECT_FLOAT_EQ(position, -1.000153f);
        thePort.Close();
    }
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(Exists(std::string(dir) + "/COM3"));
    EXPECT_FALSE(Exists(std::string(dir) + "/COM1"));
    rmdir(dir);
}

}  // namespace
