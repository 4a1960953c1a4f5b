// CComPort on real ptys published by the simulated QSB.
#include "com_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "qsb_simulator.h"
#include "recording_clock.h"

namespace pitchwise {

namespace {

bool OpenLine(CComPort& port, int number) {
    return port.Open(number, 230400, 8, COM_NOPARITY, COM_ONESTOPBIT);
}

class ComPort : public ::testing::Test {
  protected:
    void SetUp() override { sim.ExportPortDir(); }

    // Everything the device has received on `port`.
    std::string ReceivedOn(int port) {
        sim.Pump();
        std::string all;
        for (const QsbSimTraffic& t : sim.Traffic()) {
            if (t.direction == QsbSimTraffic::RECEIVED && t.port == port) all += t.bytes;
        }
        return all;
    }

    CQsbSimulator sim;
};

TEST(ComPortDeviceName, FollowsThePortDirectoryOrFallsBackToUsbSerial) {
    struct Row {
        const char* dir;  // nullptr: unset
        int port;
        const char* name;
    };
    const Row rows[] = {
        {"/tmp/ports", 3, "/tmp/ports/COM3"},
        {"/tmp/ports", 7, "/tmp/ports/COM7"},
        {nullptr, 1, "/dev/ttyUSB0"},
        {nullptr, 7, "/dev/ttyUSB6"},
        {"", 4, "/dev/ttyUSB3"},
    };
    for (const Row& row : rows) {
        if (row.dir) {
            setenv("PITCHWISE_PORT_DIR", row.dir, 1);
        } else {
            unsetenv("PITCHWISE_PORT_DIR");
        }
        char name[256];
        ComPortDeviceName(row.port, name, sizeof name);
        EXPECT_STREQ(name, row.name);
    }
    unsetenv("PITCHWISE_PORT_DIR");
}

TEST_F(ComPort, OpenSetsTheLineAndKeepsFlowControlAsFound) {
    ASSERT_TRUE(sim.Plug(2));
    // Our own descriptor on the line shows the settings the port leaves.
    int fd = open(sim.PortPath(2).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios before{};
    ASSERT_EQ(tcgetattr(fd, &before), 0);
    before.c_iflag |= IXON | IXOFF | ICRNL;
    before.c_oflag |= OPOST | ONLCR;
    before.c_lflag |= ECHO | ICANON | ISIG;
    before.c_cflag |= CRTSCTS | PARENB | CSTOPB;
    before.c_cc[VMIN] = 1;
    ASSERT_EQ(tcsetattr(fd, TCSANOW, &before), 0);

    CComPort port;
    ASSERT_TRUE(OpenLine(port, 2));
    termios after{};
    ASSERT_EQ(tcgetattr(fd, &after), 0);
    EXPECT_EQ(cfgetospeed(&after), static_cast<speed_t>(B230400));
    EXPECT_EQ(cfgetispeed(&after), static_cast<speed_t>(B230400));
    EXPECT_EQ(after.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(after.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_EQ(after.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
    EXPECT_EQ(after.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
    EXPECT_EQ(after.c_oflag & OPOST, 0u);
    EXPECT_EQ(after.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP), 0u);
    EXPECT_EQ(after.c_cc[VMIN], 0);
    EXPECT_EQ(after.c_cc[VTIME], 0);
    // Flow control is the driver's business: left as it was.
    EXPECT_EQ(after.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(after.c_cflag & CRTSCTS, static_cast<tcflag_t>(CRTSCTS));
    close(fd);
}

TEST_F(ComPort, SecondOpenerIsRefusedUntilTheFirstCloses) {
    ASSERT_TRUE(sim.Plug(1));
    CComPort first;
    CComPort second;
    ASSERT_TRUE(OpenLine(first, 1));
    EXPECT_FALSE(OpenLine(second, 1));  // holds for root too
    EXPECT_FALSE(second.IsOpen());
    first.Close();
    EXPECT_TRUE(OpenLine(second, 1));
}

TEST_F(ComPort, OpenWhileOpenKeepsTheFirstPort) {
    ASSERT_TRUE(sim.Plug(3));
    ASSERT_TRUE(sim.AddSilentPort(5));
    CComPort port;
    ASSERT_TRUE(OpenLine(port, 3));
    EXPECT_TRUE(OpenLine(port, 5));
    port.Write("R140!\n", 6);
    EXPECT_EQ(ReceivedOn(3), "R140!\n");
    EXPECT_EQ(ReceivedOn(5), "");
    // COM5 was never opened: another opener gets it.
    CComPort other;
    EXPECT_TRUE(OpenLine(other, 5));
}

TEST_F(ComPort, ClosedPortReadsNothingAndWritesNothing) {
    ASSERT_TRUE(sim.Plug(1));
    CComPort port;
    char buffer[8] = "abcdefg";
    EXPECT_EQ(port.Read(buffer, 7), 0u);
    EXPECT_STREQ(buffer, "abcdefg");
    port.Write("R140!\n", 6);
    port.Close();  // closing a closed port does nothing

    ASSERT_TRUE(OpenLine(port, 1));
    port.Close();
    port.Write("R0E0!\n", 6);
    EXPECT_EQ(port.Read(buffer, 7), 0u);
    EXPECT_EQ(ReceivedOn(1), "");
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(ComPort, ReopenAfterCloseConfiguresAfresh) {
    ASSERT_TRUE(sim.Plug(1));
    CComPort port;
    ASSERT_TRUE(OpenLine(port, 1));
    port.Close();
    ASSERT_TRUE(OpenLine(port, 1));
    port.Write("R140!\n", 6);
    EXPECT_EQ(ReceivedOn(1), "R140!\n");
}

TEST_F(ComPort, ReadNeverWaitsForTheDevice) {
    ASSERT_TRUE(sim.Plug(1));
    CComPort port;
    ASSERT_TRUE(OpenLine(port, 1));
    char buffer[64];
    EXPECT_EQ(port.Read(buffer, 50), 0u);  // nothing has arrived
    port.Write("R140!\n", 6);
    EXPECT_EQ(port.Read(buffer, 50), 0u);  // the device has not answered yet
    sim.Pump();
    const std::string reply = CQsbSimulator::IdentityReply("10234", "4", "12");
    ASSERT_EQ(port.Read(buffer, 50), reply.size());
    EXPECT_EQ(std::string(buffer, reply.size()), reply);
}

TEST_F(ComPort, ReadTakesAtMostTheCountAskedFor) {
    ASSERT_TRUE(sim.Plug(1));
    CComPort port;
    ASSERT_TRUE(OpenLine(port, 1));
    sim.SendUnprompted(std::string(120, 'q'));
    char buffer[64];
    buffer[50] = '!';
    EXPECT_EQ(port.Read(buffer, 50), 50u);
    EXPECT_EQ(buffer[50], '!');
    EXPECT_EQ(port.Read(buffer, 50), 50u);
    EXPECT_EQ(port.Read(buffer, 50), 20u);
    EXPECT_EQ(port.Read(buffer, 50), 0u);
}

TEST_F(ComPort, EntryThatIsNoSerialLineDoesNotOpen) {
    // A plain file opens but has no line settings to read.
    const std::string path = sim.PortPath(1);
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    close(fd);
    CComPort port;
    EXPECT_FALSE(OpenLine(port, 1));
    EXPECT_FALSE(port.IsOpen());
    // And it was let go again.
    fd = open(path.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    close(fd);
    unlink(path.c_str());
}

TEST_F(ComPort, MissingEntryDoesNotOpen) {
    CComPort port;
    EXPECT_FALSE(OpenLine(port, 4));
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(ComPort, UnpluggedDeviceReadsNothingAndWritesDoNotHang) {
    ASSERT_TRUE(sim.Plug(1));
    CComPort port;
    ASSERT_TRUE(OpenLine(port, 1));
    sim.Unplug();
    char buffer[64];
    EXPECT_EQ(port.Read(buffer, 50), 0u);
    {
        CRecordingClock clock;
        port.Write("R0E0!\n", 6);
        EXPECT_EQ(clock.TotalMilliseconds(), 0u) << "a vanished device is no stalled one";
    }
    EXPECT_EQ(port.Read(buffer, 50), 0u);
    port.Close();
    EXPECT_FALSE(OpenLine(port, 1));
}

// The write time-out is counted on the pause clock, so the test stalls the
// line for good and lets the recording clock pass the five seconds.
TEST_F(ComPort, WriteToADeviceThatStopsReadingGivesUpAfterFiveSeconds) {
    ASSERT_TRUE(sim.Plug(1));
    CComPort port;
    ASSERT_TRUE(OpenLine(port, 1));
    ASSERT_TRUE(sim.StopReading(true)) << "the line could not be stalled";
    {
        CRecordingClock clock;
        port.Write("W092!\n", 6);
        EXPECT_EQ(clock.TotalMilliseconds(), 5000u) << "gave up after another time";
        // Short waits, so a device that takes bytes again gets them soon.
        for (unsigned pause : clock.Pauses()) EXPECT_LE(pause, 50u);
    }
    // Once the device reads again, the port works as before; the write that
    // gave up left nothing behind.
    sim.ResumeReading();
    {
        CRecordingClock clock;
        port.Write("R140!\n", 6);
        EXPECT_EQ(clock.TotalMilliseconds(), 0u) << "a free line made the write wait";
    }
    EXPECT_EQ(ReceivedOn(1), "R140!\n");
}

// A write that meets a stalled line goes on as soon as the line moves again:
// the bytes are delayed, neither lost nor doubled.
TEST_F(ComPort, StalledWriteGoesOnOnceTheDeviceReadsAgain) {
    ASSERT_TRUE(sim.Plug(1));
    CComPort port;
    ASSERT_TRUE(OpenLine(port, 1));
    ASSERT_TRUE(sim.StopReading(true));
    CRecordingClock clock([&](unsigned) {
        if (clock.Pauses().size() == 3) sim.ResumeReading();
    });
    port.Write("W092!\n", 6);
    EXPECT_EQ(clock.Pauses().size(), 4u);
    EXPECT_EQ(ReceivedOn(1), "W092!\n");
}

}  // namespace

}  // namespace pitchwise
