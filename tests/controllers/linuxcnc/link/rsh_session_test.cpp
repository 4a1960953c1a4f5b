#include "rsh_session.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "fake_rsh_link.h"
#include "tarvex_log.h"
#include "test_files.h"

namespace pitchwise {

namespace {

// A link that returns exactly the byte chunks it is given, one per read,
// then times out (or reports the connection closed).
class CScriptedLink : public CRshLink {
  public:
    CScriptedLink(std::vector<std::string> chunks, bool closeAtEnd, std::vector<std::string>& sent)
        : m_chunks(chunks.begin(), chunks.end()), m_closeAtEnd(closeAtEnd), m_sent(sent) {}
    bool Connect(const std::string&, int) override { return true; }
    bool Send(const std::string& bytes) override {
        m_sent.push_back(bytes);
        return true;
    }
    RshReceive Receive(std::string& bytes, int) override {
        if (m_chunks.empty()) return m_closeAtEnd ? RshReceive::CLOSED : RshReceive::TIMEOUT;
        bytes += m_chunks.front();
        m_chunks.pop_front();
        return RshReceive::DATA;
    }
    void Close() override {}

  private:
    std::deque<std::string> m_chunks;
    bool m_closeAtEnd;
    std::vector<std::string>& m_sent;
};

class RshSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char path[] = "/tmp/rsh-session-test.XXXXXX";
        int fd = mkstemp(path);
        ASSERT_GE(fd, 0);
        close(fd);
        m_log = path;
        SetLogPath(m_log);
    }
    void TearDown() override { std::remove(m_log.c_str()); }
    std::string Log() {
        std::string text;
        ReadFileForTest(m_log, text);
        return text;
    }
    std::string m_log;
};

// The session as it stands after Open: echo off and verbose on were said.
constexpr const char* OPENING =
    "HELLO ACK EMCNETSVR 1.1\r\nset echo off\r\nSET VERBOSE ACK\n\r"
    "SET ENABLE ACK\n\rSET WAIT_MODE NAK\n\r";

struct ReplyRow {
    const char* name;
    const char* request;
    std::vector<std::string> chunks;
    bool closeAtEnd;
    bool answered;  // false: the session is lost
    std::string answer;
    bool acked;
    bool refused;
    std::vector<std::string> errors;
};

TEST_F(RshSessionTest, ReadsEachReplyWhateverLinesComeWithIt) {
    const ReplyRow rows[] = {
        {"2.9 ACK with NUL",
         "set mdi G4 P1",
         {std::string("SET MDI ACK\n\r\0", 14)},
         false,
         true,
         "SET MDI ACK",
         true,
         false,
         {}},
        {"value",
         "get joint_pos 0",
         {"JOINT_POS 0 1.500000\r\n"},
         false,
         true,
         "JOINT_POS 0 1.500000",
         false,
         false,
         {}},
        {"error before NAK",
         "set mdi G4 P1",
         {"error: MDI command failed\r\nSET MDI NAK\r\n"},
         false,
         true,
         "SET MDI NAK",
         false,
         true,
         {"error: MDI command failed"}},
        {"busy line ends the reply",
         "set mode mdi",
         {"error: Cannot issue SET MODE while SET MDI G0 X1 is still active\r\n"},
         false,
         true,
         "error: Cannot issue SET MODE while SET MDI G0 X1 is still active",
         false,
         true,
         {"error: Cannot issue SET MODE while SET MDI G0 X1 is still active"}},
        {"stray line skipped",
         "get program_status",
         {"SET MDI ACK\r\nPROGRAM_STATUS IDLE\r\n"},
         false,
         true,
         "PROGRAM_STATUS IDLE",
         false,
         false,
         {}},
        {"2.9 unknown command with its empty line",
         "get bogus",
         {"GET BOGUS NAK\r\n\r\n"},
         false,
         true,
         "GET BOGUS NAK",
         false,
         true,
         {}},
        {"out-of-range joint",
         "get joint_homed 7",
         {"error: joint 7 out of range\r\nJOINT_HOMED NAK\r\n"},
         false,
         true,
         "JOINT_HOMED NAK",
         false,
         true,
         {"error: joint 7 out of range"}},
        {"error text of get error is no note",
         "get error",
         {"ERROR OK\r\n"},
         false,
         true,
         "ERROR OK",
         false,
         false,
         {}},
        {"split anywhere",
         "set mdi G4 P1",
         {"SET M", "DI A", "CK\n", "\r"},
         false,
         true,
         "SET MDI ACK",
         true,
         false,
         {}},
        {"error note on an accepted request",
         "set mode mdi",
         {"error: odd\r\n", "SET MODE ACK\r\n"},
         false,
         true,
         "SET MODE ACK",
         true,
         false,
         {"error: odd"}},
        {"silence", "set mdi G4 P1", {}, false, false, "", false, false, {}},
        {"closed in the middle of the answer",
         "set mdi G4 P1",
         {"SET MDI A"},
         true,
         false,
         "",
         false,
         false,
         {}},
        {"only notes, then silence",
         "set mdi G4 P1",
         {"warning: slow\r\n"},
         false,
         false,
         "",
         false,
         false,
         {}},
    };
    for (const ReplyRow& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> chunks = {OPENING};
        chunks.insert(chunks.end(), row.chunks.begin(), row.chunks.end());
        std::vector<std::string> sent;
        CRshSession session(std::make_unique<CScriptedLink>(chunks, row.closeAtEnd, sent));
        ASSERT_TRUE(session.Open(LinuxCncConfig()));
        RshReply reply;
        EXPECT_EQ(session.Request(row.request, reply), row.answered);
        EXPECT_EQ(session.IsOpen(), row.answered);
        EXPECT_EQ(sent.back(), std::string(row.request) + "\r\n");
        if (!row.answered) continue;
        EXPECT_EQ(reply.answer, row.answer);
        EXPECT_EQ(reply.acked, row.acked);
        EXPECT_EQ(reply.refused, row.refused);
        EXPECT_EQ(reply.errors, row.errors);
        EXPECT_EQ(session.Refusal().empty(), !row.refused || row.errors.empty());
    }
}

TEST_F(RshSessionTest, EndlessStrayLinesLoseTheSession) {
    std::vector<std::string> chunks = {OPENING};
    for (int i = 0; i < 100; ++i) chunks.push_back("MACHINE ON\r\n");
    std::vector<std::string> sent;
    CRshSession session(std::make_unique<CScriptedLink>(chunks, false, sent));
    ASSERT_TRUE(session.Open(LinuxCncConfig()));
    RshReply reply;
    EXPECT_FALSE(session.Request("get program_status", reply));
    EXPECT_NE(Log().find("too many stray lines"), std::string::npos);
}

TEST_F(RshSessionTest, WhatTheRefusalSaysIsClearedByTheNextRequest) {
    std::vector<std::string> sent;
    CRshSession session(std::make_unique<CScriptedLink>(
        std::vector<std::string>{OPENING, "error: no\r\nSET MDI NAK\r\n", "MACHINE ON\r\n"}, false,
        sent));
    ASSERT_TRUE(session.Open(LinuxCncConfig()));
    RshReply reply;
    ASSERT_TRUE(session.Request("set mdi G0 X1", reply));
    EXPECT_EQ(session.Refusal(), "error: no");
    ASSERT_TRUE(session.Request("get machine", reply));
    EXPECT_EQ(session.Refusal(), "");
}

// Opening, against both shells' stand-ins.
class RshSessionShellTest : public RshSessionTest,
                            public ::testing::WithParamInterface<RshPersonality> {};

TEST_P(RshSessionShellTest, OpensWithTheSameRequestsOnBothShells) {
    FakeMachine machine;
    machine.personality = GetParam();
    for (std::size_t chunk : {0, 1, 2, 5}) {
        SCOPED_TRACE(chunk);
        machine.chunkBytes = chunk;
        machine.requests.clear();
        CRshSession session(std::make_unique<CFakeRshLink>(machine));
        ASSERT_TRUE(session.Open(LinuxCncConfig()));
        const std::vector<std::string> expected = {"hello EMC pitchwise 1.0", "set echo off",
                                                   "set verbose on", "set enable EMCTOO",
                                                   "set wait_mode received"};
        EXPECT_EQ(machine.requests, expected);
        RshReply reply;
        ASSERT_TRUE(session.Request("get machine", reply));
        EXPECT_EQ(reply.answer, "MACHINE ON");
    }
    // The echo of "set echo off" is expected, not worth a line in the log.
    EXPECT_EQ(Log().find("ignored"), std::string::npos) << Log();
}

TEST_P(RshSessionShellTest, LogsTheRewrittenShellsWarningOnHello) {
    FakeMachine machine;
    machine.personality = GetParam();
    machine.iniVersion = "0.9";
    CRshSession session(std::make_unique<CFakeRshLink>(machine));
    ASSERT_TRUE(session.Open(LinuxCncConfig()));
    const bool warned = Log().find("warning: client version 1.0 is newer") != std::string::npos;
    EXPECT_EQ(warned, GetParam() == RshPersonality::REWRITTEN) << Log();
}

TEST_P(RshSessionShellTest, AWrongEnablePasswordFailsTheOpeningWithTheShellsReason) {
    FakeMachine machine;
    machine.personality = GetParam();
    LinuxCncConfig config;
    config.enablePassword = "wrong";
    CRshSession session(std::make_unique<CFakeRshLink>(machine));
    EXPECT_FALSE(session.Open(config));
    EXPECT_FALSE(session.IsOpen());
    EXPECT_NE(Log().find("refused the session at set enable"), std::string::npos) << Log();
    if (GetParam() == RshPersonality::REWRITTEN) {
        EXPECT_NE(Log().find("error: wrong enable password"), std::string::npos) << Log();
    }
}

TEST_P(RshSessionShellTest, ShutdownIsAnsweredOnlyByTheRewrittenShell) {
    FakeMachine machine;
    machine.personality = GetParam();
    CRshSession session(std::make_unique<CFakeRshLink>(machine));
    ASSERT_TRUE(session.Open(LinuxCncConfig()));
    RshReply reply;
    const bool answered = session.Request("shutdown", reply);
    EXPECT_EQ(answered, GetParam() == RshPersonality::REWRITTEN);
    if (answered) {
        EXPECT_TRUE(reply.acked);
    }
    EXPECT_FALSE(session.Request("get machine", reply));  // closed either way
}

INSTANTIATE_TEST_SUITE_P(BothShells, RshSessionShellTest,
                         ::testing::Values(RshPersonality::LINUXCNC_2_9, RshPersonality::REWRITTEN),
                         [](const ::testing::TestParamInfo<RshPersonality>& shell) {
                             return shell.param == RshPersonality::REWRITTEN ? "Rewritten"
                                                                             : "LinuxCnc29";
                         });

TEST(RshReplyLimitMs, IsTheMarginPlusTheStretchedMotionAndStaysFinite) {
    EXPECT_EQ(RshReplyLimitMs(0.0), RSH_REPLY_MARGIN_MS);
    EXPECT_EQ(RshReplyLimitMs(-3.0), RSH_REPLY_MARGIN_MS);
    EXPECT_EQ(RshReplyLimitMs(20.0), RSH_REPLY_MARGIN_MS + 30000);
    EXPECT_GT(RshReplyLimitMs(20.0), 20000);
    const int day = 24 * 3600 * 1000;
    EXPECT_EQ(RshReplyLimitMs(HUGE_VAL), day);
    EXPECT_EQ(RshReplyLimitMs(1e300), day);
    EXPECT_EQ(RshReplyLimitMs(std::nan("")), day);
}

}  // namespace

}  // namespace pitchwise
