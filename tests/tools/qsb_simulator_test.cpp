// The simulated QSB itself: its counter, its one-shot replies, its ports,
// its background thread and its command-line program.
#include "qsb_simulator.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "com_port.h"
#include "qsb.h"
#include "recording_clock.h"

namespace pitchwise {

namespace {

bool Exists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// A limit no healthy exchange comes near, however loaded the machine.
constexpr std::chrono::seconds FAULT_LIMIT(60);

std::size_t ReceivedBytes(const CQsbSimulator& sim) {
    std::size_t total = 0;
    for (const QsbSimTraffic& t : sim.Traffic()) {
        if (t.direction == QsbSimTraffic::RECEIVED) total += t.bytes.size();
    }
    return total;
}

// Asks the device one question through a real port and collects its reply.
// With `pump`, the test drives the device: once the device has taken the
// whole command, its reply (if it gives one) is already readable, so even a
// command that gets no answer needs no guessed wait. Without, the device's
// own thread answers, and the reply is awaited up to its end of line.
std::string Ask(CComPort& port, const std::string& command, CQsbSimulator* pump) {
    const std::size_t before = pump ? ReceivedBytes(*pump) : 0;
    port.Write(command.data(), command.size());
    const auto deadline = std::chrono::steady_clock::now() + FAULT_LIMIT;
    std::string reply;
    char buffer[64];
    if (pump) {
        while (ReceivedBytes(*pump) < before + command.size() &&
               std::chrono::steady_clock::now() < deadline) {
            pump->Pump();
            std::this_thread::yield();
        }
        while (std::size_t got = port.Read(buffer, sizeof buffer)) reply.append(buffer, got);
        return reply;
    }
    while (std::chrono::steady_clock::now() < deadline) {
        reply.append(buffer, port.Read(buffer, sizeof buffer));
        if (!reply.empty() && reply.back() == '\n') break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return reply;
}

// Bytes waiting to be read on this process's own descriptor of the tty that
// `link` leads to (the port the program has open), -1 when it has none.
int PendingOnOwnDescriptor(const std::string& link) {
    char target[PATH_MAX];
    if (realpath(link.c_str(), target) == nullptr) return -1;
    DIR* fds = opendir("/proc/self/fd");
    if (fds == nullptr) return -1;
    int pending = -1;
    while (dirent* entry = readdir(fds)) {
        const std::string fdLink = std::string("/proc/self/fd/") + entry->d_name;
        char opened[PATH_MAX];
        ssize_t length = readlink(fdLink.c_str(), opened, sizeof opened - 1);
        if (length <= 0) continue;
        opened[length] = '\0';
        int count = 0;
        if (std::string(opened) == target &&
            ioctl(std::atoi(entry->d_name), TIOCINQ, &count) == 0) {
            pending = count;
            break;
        }
    }
    closedir(fds);
    return pending;
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
    EXPECT_EQ(Ask(port, "R0E0!\n", &sim), "one");
    EXPECT_EQ(Ask(port, "R0E0!\n", &sim), "one");
    EXPECT_EQ(Ask(port, "R0E0!\n", &sim), "two");
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
    EXPECT_EQ(Ask(port, "HELLO!\n", &sim), "");  // unknown
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
    EXPECT_EQ(Ask(silent, "R140!\n", &sim), "");
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
// absent, the QSB on COM3. The pauses are recorded, not slept; before each
// read of a reply the test waits until the device's thread has answered.
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
        // The pauses after which the scan reads a reply, with the reply's
        // length: there the device's thread must have answered first. The
        // silent COM1 takes pauses 1 to 4, then COM3 is identified (7) and
        // configured (9, 11), and read (13).
        const std::map<std::size_t, int> replyBeforeRead = {{7, 15}, {9, 10}, {11, 16}, {13, 15}};
        const std::string com3 = std::string(dir) + "/COM3";
        bool answered = true;
        CRecordingClock clock;
        clock.SetHook([&](unsigned) {
            auto expected = replyBeforeRead.find(clock.Pauses().size() + 1);
            if (expected == replyBeforeRead.end()) return;
            const auto deadline = std::chrono::steady_clock::now() + FAULT_LIMIT;
            while (PendingOnOwnDescriptor(com3) < expected->second) {
                if (std::chrono::steady_clock::now() >= deadline) {
                    answered = false;
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        int port = 0;
        QsbIdentity identity{};
        EXPECT_TRUE(FindQsb(port, identity));
        EXPECT_EQ(port, 3);
        float position = 0;
        EXPECT_TRUE(ReadQsbPosition(position));
        EXPECT_FLOAT_EQ(position, -1.000153f);
        EXPECT_TRUE(answered) << "the device did not answer within a minute";
        EXPECT_EQ(clock.Pauses().size(), 13u);
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

}  // namespace pitchwise
