// FindQsb, ZeroQsbCounter and ReadQsbPosition against the simulated QSB on a
// real pty, with the pauses recorded instead of slept.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com_port.h"
#include "qsb.h"
#include "qsb_simulator.h"
#include "recording_clock.h"

namespace {

using Log = std::vector<std::string>;

// A simulator that answers during each recorded pause and notes what it
// received and sent in the clock's log.
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

    CQsbSimulator sim;
    CRecordingClock clock;
};

TEST_F(QsbWire, FindQsbDrainsQueriesAndConfiguresInOrder) {
    ASSERT_TRUE(sim.Plug(1));
    int port = 0;
    QsbIdentity identity{};
    ASSERT_TRUE(FindQsb(port, identity));
    EXPECT_EQ(port, 1);
    const std::string id = CQsbSimulator::IdentityReply("10234", "4", "12");
    Log expected = {"pause 500",  // drain
                    "pause 500",
                    "recv COM1 R140!\n",
                    "sent COM1 " + id,
                    "pause 500",
                    "pause 500",
                    "recv COM1 W038D!\n",
                    "sent COM1 W038D OK\r\n",
                    "pause 500",
                    "pause 500",
                    "recv COM1 W08007A1200!\n",
                    "sent COM1 W08007A1200 OK\r\n",
                    "pause 500"};
    EXPECT_EQ(clock.Log(), expected);
}

}  // namespace
