// FindQsb, ZeroQsbCounter and ReadQsbPosition against the simulated QSB on a
// real pty, with the pauses recorded instead of slept. The simulator answers
// during each recorded pause, and its traffic lands in the clock's log, so
// the log reads as the wire does: what was said up to a pause comes before it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "com_port.h"
#include "pause.h"
#include "qsb.h"
#include "qsb_simulator.h"
#include "recording_clock.h"

namespace pitchwise {

namespace {

using Log = std::vector<std::string>;

const std::string IDENTITY = CQsbSimulator::IdentityReply("10234", "4", "12");

// The log lines of one probe of a port that never answers.
Log SilentProbe(int port) {
    return {"pause 500", "pause 500", "recv COM" + std::to_string(port) + " R140!\n", "pause 500",
            "pause 500"};
}

// The log lines of identification and configuration on the QSB's port.
Log QsbProbe(int port, const std::string& identityReply = IDENTITY) {
    const std::string com = "COM" + std::to_string(port) + " ";
    return {"pause 500",
            "pause 500",
            "recv " + com + "R140!\n",
            "sent " + com + identityReply,
            "pause 500",
            "pause 500",
            "recv " + com + "W038D!\n",
            "sent " + com + "W038D OK\r\n",
            "pause 500",
            "pause 500",
            "recv " + com + "W08007A1200!\n",
            "sent " + com + "W08007A1200 OK\r\n",
            "pause 500"};
}

void ExpectIdentity(const QsbIdentity& identity, const char* serialNumber, const char* device,
                    const char* revision) {
    EXPECT_STREQ(identity.serialNumber, serialNumber);
    EXPECT_STREQ(identity.device, device);
    EXPECT_STREQ(identity.revision, revision);
}

Log Joined(std::initializer_list<Log> parts) {
    Log all;
    for (const Log& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class QsbWire : public ::testing::Test {
  protected:
    void SetUp() override {
        sim.ExportPortDir();
        clock.SetHook([this](unsigned) { sim.Pump(); });
        sim.SetObserver([this](const QsbSimTraffic& t) {
            clock.Note((t.direction == QsbSimTraffic::RECEIVED ? "recv COM" : "sent COM") +
                       std::to_string(t.port) + " " + t.bytes);
        });
    }
    void TearDown() override { thePort.Close(); }

    // Runs FindQsb: the port found, 0 for none.
    int Find(QsbIdentity& identity) {
        int port = 0;
        return FindQsb(port, identity) ? port : 0;
    }
    int Find() {
        QsbIdentity identity{};
        return Find(identity);
    }

    // Finds the QSB and forgets the log of the scan.
    void FindAndClear() {
        ASSERT_NE(Find(), 0);
        clock.Clear();
    }

    // True when some other opener holds the port's lock right now.
    bool Held(int port) const {
        int fd = open(sim.PortPath(port).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) return false;
        bool held = flock(fd, LOCK_EX | LOCK_NB) != 0;
        close(fd);
        return held;
    }

    CQsbSimulator sim;
    CRecordingClock clock;
};

TEST_F(QsbWire, FindQsbDrainsQueriesAndConfiguresInOrder) {
    ASSERT_TRUE(sim.Plug(1));
    QsbIdentity identity{};
    EXPECT_EQ(Find(identity), 1);
    ExpectIdentity(identity, "10234", "4", "12");
    // No pause after the last read.
    EXPECT_EQ(clock.Log(), QsbProbe(1));
    EXPECT_TRUE(thePort.IsOpen());
}

TEST_F(QsbWire, FindQsbDiscardsWhatWasPendingBeforeTheQuery) {
    ASSERT_TRUE(sim.Plug(1));
    // A stale identity on the line: if it were not drained, it would be read
    // as the reply.
    sim.SendUnprompted(CQsbSimulator::IdentityReply("99999", "Z", "99"));
    QsbIdentity identity{};
    ASSERT_NE(Find(identity), 0);
    ExpectIdentity(identity, "10234", "4", "12");
}

TEST_F(QsbWire, SilentFirstPortIsClosedBeforeTheScanGoesOn) {
    ASSERT_TRUE(sim.AddSilentPort(1));
    ASSERT_TRUE(sim.Plug(4));  // COM2 and COM3 are absent
    std::vector<bool> firstPortHeld;
    clock.SetHook([&](unsigned) {
        firstPortHeld.push_back(Held(1));
        sim.Pump();
    });
    QsbIdentity identity{};
    EXPECT_EQ(Find(identity), 4);
    EXPECT_EQ(clock.Log(), Joined({SilentProbe(1), QsbProbe(4)}));
    const std::vector<bool> expected = {true,  true,  true,  true,  false, false,
                                        false, false, false, false, false};
    EXPECT_EQ(firstPortHeld, expected);
    EXPECT_TRUE(Held(4));
}

TEST_F(QsbWire, NothingToOpenIsNotFoundAtOnce) {
    EXPECT_EQ(Find(), 0);
    EXPECT_TRUE(clock.Log().empty());  // a port that does not open costs no pause
    EXPECT_FALSE(thePort.IsOpen());
}

TEST_F(QsbWire, SevenSilentPortsAreAllProbedAndNoneLeftOpen) {
    for (int n = 1; n <= 7; ++n) ASSERT_TRUE(sim.AddSilentPort(n));
    ASSERT_TRUE(sim.AddSilentPort(8));  // past the scan
    EXPECT_EQ(Find(), 0);
    Log expected;
    for (int n = 1; n <= 7; ++n) expected = Joined({expected, SilentProbe(n)});
    EXPECT_EQ(clock.Log(), expected);
    EXPECT_EQ(clock.TotalMilliseconds(), 7u * 4u * QSB_SETTLE_MS);
    EXPECT_FALSE(thePort.IsOpen());
    for (int n = 1; n <= 7; ++n) EXPECT_FALSE(Held(n)) << n;
}

TEST_F(QsbWire, SecondFindClosesAndRescansFromTheFirstPort) {
    ASSERT_TRUE(sim.AddSilentPort(1));
    ASSERT_TRUE(sim.Plug(2));
    FindAndClear();
    EXPECT_EQ(Find(), 2);
    EXPECT_EQ(clock.Log(), Joined({SilentProbe(1), QsbProbe(2)}));
}

TEST_F(QsbWire, DeviceReplugedElsewhereIsFoundOnItsNewPort) {
    ASSERT_TRUE(sim.Plug(2));
    FindAndClear();
    ASSERT_TRUE(sim.Plug(6));
    EXPECT_EQ(Find(), 6);
}

TEST_F(QsbWire, IdentityReplyOfTwelveBytesIsAQsbWithOneRevisionCharacter) {
    const std::string reply = "R140 1023441";
    ASSERT_EQ(reply.size(), 12u);
    sim.SetIdentityReply(reply);
    ASSERT_TRUE(sim.Plug(3));
    QsbIdentity identity{};
    EXPECT_EQ(Find(identity), 3);
    ExpectIdentity(identity, "10234", "4", "1");
    EXPECT_EQ(clock.Log(), QsbProbe(3, reply));
}

TEST_F(QsbWire, IdentityReplyShorterThanTwelveBytesIsNoQsb) {
    sim.SetIdentityReply(std::string("R140 102344"));  // 11 bytes
    ASSERT_TRUE(sim.Plug(3));
    EXPECT_EQ(Find(), 0);
    EXPECT_EQ(clock.Pauses().size(), 4u);  // probed, then given up without configuring
    EXPECT_EQ(sim.Commands(), std::vector<std::string>{"R140!\n"});
    EXPECT_FALSE(thePort.IsOpen());
    EXPECT_FALSE(Held(3));
}

TEST_F(QsbWire, OverlongRepliesAreCutAtFiftyBytes) {
    // More than a read takes: the first 50 bytes are the reply, and the two
    // configuration reads carry off the rest.
    sim.SetIdentityReply(IDENTITY + std::string(100, '#'));
    ASSERT_TRUE(sim.Plug(1));
    QsbIdentity identity{};
    ASSERT_EQ(Find(identity), 1);
    ExpectIdentity(identity, "10234", "4", "12");

    sim.SetCounterReply(std::string("R0E0 00002734") + std::string(300, '7'));
    float position = -1;
    EXPECT_TRUE(ReadQsbPosition(position));
    EXPECT_FLOAT_EQ(position, 1.000153f);
}

TEST_F(QsbWire, ZeroSendsItsCommandBetweenTwoPauses) {
    ASSERT_TRUE(sim.Plug(1));
    FindAndClear();
    ZeroQsbCounter();
    const Log expected = {"pause 500", "recv COM1 W092!\n", "sent COM1 W092 OK\r\n", "pause 500"};
    EXPECT_EQ(clock.Log(), expected);
}

TEST_F(QsbWire, ReadSendsItsQueryBetweenTwoPauses) {
    ASSERT_TRUE(sim.Plug(1));
    FindAndClear();
    sim.SetCounts(10036);
    float position = 0;
    EXPECT_TRUE(ReadQsbPosition(position));
    const Log expected = {"pause 500", "recv COM1 R0E0!\n", "sent COM1 R0E0 00002734\r\n",
                          "pause 500"};
    EXPECT_EQ(clock.Log(), expected);
}

TEST_F(QsbWire, ReadDiscardsAnUnpromptedCounterReplyBeforeItsQuery) {
    ASSERT_TRUE(sim.Plug(1));
    FindAndClear();
    sim.SetCounts(10036);
    // A well-formed count arrives unasked during the pause before the query,
    // as a late reply to an earlier exchange would: read after the query,
    // it would come first in the buffer and be taken as this reading.
    clock.SetHook([this](unsigned) {
        if (clock.Pauses().empty()) sim.SendUnprompted(CQsbSimulator::CounterReply(0x7FFF));
        sim.Pump();
    });
    float position = 0;
    EXPECT_TRUE(ReadQsbPosition(position));
    EXPECT_FLOAT_EQ(position, 1.000153f) << "the stale count was returned";
    const Log expected = {"sent COM1 R0E0 00007FFF\r\n", "pause 500", "recv COM1 R0E0!\n",
                          "sent COM1 R0E0 00002734\r\n", "pause 500"};
    EXPECT_EQ(clock.Log(), expected);
}

TEST_F(QsbWire, ReadingsAreCountsFromTheLastZero) {
    ASSERT_TRUE(sim.Plug(1));
    FindAndClear();
    struct Row {
        std::int64_t counts;  // absolute, the zero taken at 5000
        float position;
        const char* shown;
    };
    const Row rows[] = {
        {5000 + 10036, 10036.0f / QSB_COUNTS_PER_UNIT, "1.000153"},
        {5000 - 10036, -10036.0f / QSB_COUNTS_PER_UNIT, "-1.000153"},
        {5000, 0.0f, "0.000000"},
        {5000 - 1, -1.0f / QSB_COUNTS_PER_UNIT, "-0.000100"},
        {5000 + 2147483647LL, 2147483647.0f / QSB_COUNTS_PER_UNIT, "214010.828125"},
        {5000 + 2147483648LL, -2147483648.0f / QSB_COUNTS_PER_UNIT, "-214010.828125"},
    };
    sim.SetCounts(5000);
    ZeroQsbCounter();
    for (const Row& row : rows) {
        sim.SetCounts(row.counts);
        float position = 12345;
        ASSERT_TRUE(ReadQsbPosition(position)) << row.counts;
        EXPECT_EQ(position, row.position) << row.counts;
        char shown[32];
        std::snprintf(shown, sizeof shown, "%f", static_cast<double>(position));
        EXPECT_STREQ(shown, row.shown);
        EXPECT_EQ(ReadQsbPosition(), row.position) << "the plain overload agrees";
    }
}

TEST_F(QsbWire, LowerCaseCounterDigitsReadAsUpperCase) {
    ASSERT_TRUE(sim.Plug(1));
    FindAndClear();
    sim.SetCounterStyle(QsbSimCounterStyle::LOWER_CASE);
    sim.SetCounts(-10036);
    float position = 0;
    ASSERT_TRUE(ReadQsbPosition(position));
    EXPECT_FLOAT_EQ(position, -1.000153f);
    EXPECT_EQ(sim.Traffic().back().bytes, "R0E0 ffffd8cc\r\n");
}

TEST_F(QsbWire, BadCounterRepliesAreFailedReads) {
    ASSERT_TRUE(sim.Plug(1));
    FindAndClear();
    sim.SetCounts(10036);
    const std::string rows[] = {
        "R0E0 0000273",       // 12 bytes
        "R0E0 00G02734\r\n",  // garbled
        "R0E0 0000 734\r\n", "R0E0 -0002734\r\n", "\r\n",
    };
    for (const std::string& row : rows) {
        sim.QueueCounterReply(row);
        float position = 12345;
        EXPECT_FALSE(ReadQsbPosition(position)) << row;
        EXPECT_EQ(position, 0.0f) << row;
    }
    // The overrides were one-shot: the device reads well again.
    float position = 0;
    EXPECT_TRUE(ReadQsbPosition(position));
    EXPECT_FLOAT_EQ(position, 1.000153f);
}

TEST_F(QsbWire, ShortReplyAfterALongOneDoesNotBorrowItsDigits) {
    ASSERT_TRUE(sim.Plug(1));
    FindAndClear();
    sim.QueueCounterReply("R0E0 00002734\r\n");
    sim.QueueCounterReply("R0E0 0000");  // its offsets 9..12 held digits before
    float position = 0;
    EXPECT_TRUE(ReadQsbPosition(position));
    EXPECT_FALSE(ReadQsbPosition(position));
    EXPECT_EQ(position, 0.0f);
}

TEST_F(QsbWire, NoReplyIsAFailedRead) {
    ASSERT_TRUE(sim.Plug(1));
    FindAndClear();
    clock.SetHook(nullptr);  // the device never gets to answer
    float position = 12345;
    EXPECT_FALSE(ReadQsbPosition(position));
    EXPECT_EQ(position, 0.0f);
    EXPECT_EQ(ReadQsbPosition(), 0.0f);
}

TEST_F(QsbWire, WithNoPortOpenTheCommandsStillPause) {
    ASSERT_FALSE(thePort.IsOpen());
    ZeroQsbCounter();
    float position = 12345;
    EXPECT_FALSE(ReadQsbPosition(position));
    EXPECT_EQ(position, 0.0f);
    EXPECT_EQ(ReadQsbPosition(), 0.0f);
    EXPECT_EQ(clock.Pauses(), std::vector<unsigned>(6, QSB_SETTLE_MS));
}

TEST_F(QsbWire, UnpluggedDeviceReadsAsFailedAndIsNotFoundAgain) {
    ASSERT_TRUE(sim.Plug(5));
    FindAndClear();
    sim.Unplug();
    float position = 12345;
    EXPECT_FALSE(ReadQsbPosition(position));
    EXPECT_EQ(position, 0.0f);
    ZeroQsbCounter();
    EXPECT_FALSE(ReadQsbPosition(position));
    EXPECT_EQ(clock.Pauses().size(), 6u);

    EXPECT_EQ(Find(), 0);
    EXPECT_FALSE(thePort.IsOpen());

    ASSERT_TRUE(sim.Plug(7));
    EXPECT_EQ(Find(), 7);
}

}  // namespace

}  // namespace pitchwise
