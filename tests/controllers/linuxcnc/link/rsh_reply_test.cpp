#include "rsh_reply.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pitchwise {

namespace {

std::vector<std::string> Lines(CRshLineSplitter& splitter) {
    std::vector<std::string> lines;
    for (std::string line; splitter.Next(line);) lines.push_back(line);
    return lines;
}

struct SplitRow {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

TEST(RshLineSplitter, EveryLineEndingOfBothShellsGivesTheSameLines) {
    const SplitRow rows[] = {
        {"CR LF", "SET MDI ACK\r\nJOINT_POS 0 1.0\r\n", {"SET MDI ACK", "JOINT_POS 0 1.0"}},
        {"LF CR of 2.9's SET answers",
         "SET MODE ACK\n\rMACHINE ON\r\n",
         {"SET MODE ACK", "MACHINE ON"}},
        {"NUL padding",
         std::string("HELLO ACK EMCNETSVR 1.1\r\n\0SET MDI ACK\n\r\0", 41),
         {"HELLO ACK EMCNETSVR 1.1", "SET MDI ACK"}},
        {"empty lines dropped",
         "GET BOGUS NAK\r\n\r\n\r\nERROR OK\r\n",
         {"GET BOGUS NAK", "ERROR OK"}},
        {"LF alone", "a\nb\n", {"a", "b"}},
        {"blanks at the ends", "  PROGRAM_STATUS IDLE \t\r\n", {"PROGRAM_STATUS IDLE"}},
        {"note lines kept", "error: x\r\nSET MDI NAK\r\n", {"error: x", "SET MDI NAK"}},
        {"unfinished line held back", "SET MDI ACK\r\nJOINT_P", {"SET MDI ACK"}},
    };
    for (const SplitRow& row : rows) {
        SCOPED_TRACE(row.name);
        // Whole, and cut at every byte: where a read ends must not matter.
        CRshLineSplitter whole;
        whole.Append(row.bytes.data(), row.bytes.size());
        EXPECT_EQ(Lines(whole), row.lines);
        CRshLineSplitter bytewise;
        std::vector<std::string> got;
        for (char c : row.bytes) {
            bytewise.Append(&c, 1);
            for (const std::string& line : Lines(bytewise)) got.push_back(line);
        }
        EXPECT_EQ(got, row.lines);
    }
}

TEST(RshLineSplitter, CutsAnOverlongLineAndDropsItsRest) {
    CRshLineSplitter splitter;
    const std::string endless(RSH_LINE_MAX * 3, 'A');
    splitter.Append(endless.data(), endless.size());
    splitter.Append("tail\r\nMACHINE ON\r\n", 18);
    std::vector<std::string> lines = Lines(splitter);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(RSH_LINE_MAX, 'A'));
    EXPECT_EQ(lines[1], "MACHINE ON");
}

TEST(RshLineSplitter, ClearForgetsHalfALine) {
    CRshLineSplitter splitter;
    splitter.Append("SET MD", 6);
    splitter.Clear();
    splitter.Append("MACHINE ON\r\n", 12);
    EXPECT_EQ(Lines(splitter), std::vector<std::string>{"MACHINE ON"});
}

struct ClassifyRow {
    const char* request;
    const char* line;
    RshLineKind kind;
};

TEST(ClassifyRshLine, TellsNotesAnswersAndStrays) {
    const ClassifyRow rows[] = {
        {"set mdi G4 P1", "SET MDI ACK", RshLineKind::ANSWER},
        {"set mdi G4 P1", "SET MDI NAK", RshLineKind::ANSWER},
        {"set mdi G4 P1", "SET MODE ACK", RshLineKind::STRAY},
        {"set mdi G4 P1", "SET MDIX ACK", RshLineKind::STRAY},
        {"set mode mdi", "SET MDI ACK", RshLineKind::STRAY},
        {"get joint_pos 0", "JOINT_POS 0 12.5", RshLineKind::ANSWER},
        {"get joint_pos 7", "JOINT_POS NAK", RshLineKind::ANSWER},
        {"get joint_pos 7", "GET JOINT_POS NAK", RshLineKind::ANSWER},
        {"get joint_pos 0", "JOINT_HOMED 0 YES", RshLineKind::STRAY},
        {"get error", "ERROR OK", RshLineKind::ANSWER},
        {"get error", "ERROR Linear move on line 0 would exceed X's positive limit",
         RshLineKind::ANSWER},
        {"get program_status", "PROGRAM_STATUS IDLE", RshLineKind::ANSWER},
        {"hello EMC pitchwise 1.0", "HELLO ACK EMCNETSVR 1.1", RshLineKind::ANSWER},
        {"shutdown", "SHUTDOWN ACK", RshLineKind::ANSWER},
        {"set verbose on", "set echo off", RshLineKind::STRAY},
        {"set verbose on", "set verbose on", RshLineKind::STRAY},
        {"get machine", "error: not enabled", RshLineKind::ERROR_NOTE},
        {"hello EMC pitchwise 1.0", "warning: client version 1.0 is newer",
         RshLineKind::WARNING_NOTE},
        {"set mode mdi", "error: Cannot issue SET MODE while SET MDI G0 X1 is still active",
         RshLineKind::BUSY},
        {"set mdi G0 X1", "", RshLineKind::STRAY},
    };
    for (const ClassifyRow& row : rows) {
        EXPECT_EQ(ClassifyRshLine(row.request, row.line), row.kind)
            << row.request << " / " << row.line;
    }
}

TEST(RshVerdict, IsTheWordAfterHelloElseTheLastWord) {
    EXPECT_EQ(RshVerdict("HELLO ACK EMCNETSVR 1.1"), "ACK");
    EXPECT_EQ(RshVerdict("HELLO NAK"), "NAK");
    EXPECT_EQ(RshVerdict("SET MDI ACK"), "ACK");
    EXPECT_EQ(RshVerdict("GET BOGUS NAK"), "NAK");
    EXPECT_EQ(RshVerdict("MACHINE ON"), "ON");
    EXPECT_EQ(RshVerdict("ACK"), "ACK");
}

struct HomedRow {
    const char* answer;
    int joint;
    bool parsed;
    bool homed;
};

TEST(ParseJointHomed, ReadsOneJointAndListsOfAnyLength) {
    const HomedRow rows[] = {
        {"JOINT_HOMED 0 YES", 0, true, true},
        {"JOINT_HOMED 2 NO", 2, true, false},
        {"JOINT_HOMED 1 YES", 2, false, false},               // another joint's answer
        {"JOINT_HOMED YES YES YES NO NO NO", 2, true, true},  // 2.9: always six
        {"JOINT_HOMED YES YES YES NO NO NO", 3, true, false},
        {"JOINT_HOMED YES YES YES", 2, true, true},  // rewritten: three joints
        {"JOINT_HOMED YES YES YES", 3, false, false},
        {"JOINT_HOMED YES NO", 1, true, false},
        {"JOINT_HOMED", 0, false, false},
        {"JOINT_HOMED NAK", 0, false, false},
        {"JOINT_HOMED 0 MAYBE", 0, false, false},
        {"JOINT_POS 0 YES", 0, false, false},
        {"JOINT_HOMED 0 YES EXTRA", 0, false, false},
        {"JOINT_HOMED YES", -1, false, false},
        // The shell separates its fields with spaces; a line that does not is
        // not its answer, whatever a stream reader would make of it.
        {"JOINT_HOMED\vYES YES", 0, false, false},
        {"JOINT_HOMED\t0 YES", 0, false, false},
    };
    for (const HomedRow& row : rows) {
        bool homed = !row.homed;
        EXPECT_EQ(ParseJointHomed(row.answer, row.joint, homed), row.parsed)
            << row.answer << " joint " << row.joint;
        if (row.parsed) {
            EXPECT_EQ(homed, row.homed) << row.answer << " joint " << row.joint;
        }
    }
}

}  // namespace

}  // namespace pitchwise
