// Reply parsing and the count-to-length conversion, on any bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "qsb.h"

namespace pitchwise {

namespace {

// The parser is handed a reply buffer as the wire code fills it: the bytes
// read, a zero byte after them, and room for QSB_REPLY_MAX + 1 bytes.
struct Reply {
    explicit Reply(const std::string& bytes) : length(bytes.size()) {
        std::memset(buffer, 'x', sizeof buffer);  // stale bytes past the reply
        std::memcpy(buffer, bytes.data(), bytes.size());
        buffer[length] = '\0';
    }
    char buffer[QSB_REPLY_MAX + 1];
    std::size_t length;
};

TEST(QsbConstants, AreTheDevicesOwn) {
    std::uint32_t bits;
    std::memcpy(&bits, &QSB_COUNTS_PER_UNIT, sizeof bits);
    EXPECT_EQ(bits, 0x461CC9DAu);
    EXPECT_EQ(QSB_COUNTS_PER_UNIT, 10034.462890625f);
    EXPECT_EQ(QSB_SETTLE_MS, 500u);
    EXPECT_EQ(QSB_REPLY_MAX, 50u);
}

TEST(ParseCounterReply, TakesEightHexDigitsAtOffsetsFiveToTwelve) {
    struct Row {
        const char* reply;
        std::int32_t count;
    };
    const Row rows[] = {
        {"R0E0 00002734\r\n", 10036},
        {"R0E0 FFFFD8CC\r\n", -10036},
        {"R0E0 80000000\r\n", INT32_MIN},
        {"R0E0 7FFFFFFF\r\n", INT32_MAX},
        {"R0E0 FFFFFFFF\r\n", -1},
        {"R0E0 00000000\r\n", 0},
        {"R0E0 ffffd8cc\r\n", -10036},  // lower case counts as upper case
        {"R0E0 aBcDeF01\r\n", static_cast<std::int32_t>(0xABCDEF01u)},
        {"R0E0 00002734", 10036},    // exactly 13 bytes reach the last digit
        {"?????00002734", 10036},    // offsets 0 to 4 are not looked at
        {"R0E0 0000273499", 10036},  // nor anything past offset 12
    };
    for (const Row& row : rows) {
        Reply reply(row.reply);
        std::int32_t count = 12345;
        EXPECT_TRUE(ParseCounterReply(reply.buffer, reply.length, count)) << row.reply;
        EXPECT_EQ(count, row.count) << row.reply;
    }
}

TEST(ParseCounterReply, RefusesAnythingButEightHexDigits) {
    const std::string rows[] = {
        "",
        "R0E0 ",
        "R0E0 0000273",   // 12 bytes: the last digit is missing
        "R0E0 00G02734",  // a letter past F
        "R0E0 0000g734",
        "R0E0 0000:734",  // the code just above '9'
        "R0E0 0000@734",  // the code just below 'A'
        "R0E0 0000`734",  // the code just below 'a'
        "R0E0 -0002734",
        "R0E0 +0002734",
        "R0E0  0002734",
        "R0E0 0x002734",
        "R0E0 0000273\n",
        std::string("R0E0 0000\0"
                    "734",
                    13),  // a zero byte inside the digits
        "R0E0 0000\xC3\xA4"
        "73",  // bytes above 0x7F
    };
    for (const std::string& row : rows) {
        Reply reply(row);
        std::int32_t count = 12345;
        EXPECT_FALSE(ParseCounterReply(reply.buffer, reply.length, count)) << row;
        EXPECT_EQ(count, 12345) << "a refused reply leaves the count alone: " << row;
    }
}

TEST(CountsToPosition, DividesBySingleScale) {
    struct Row {
        std::int32_t count;
        float position;
    };
    const Row rows[] = {
        {10036, 10036.0f / 10034.462890625f},
        {-10036, -10036.0f / 10034.462890625f},
        {0, 0.0f},
        {INT32_MIN, -2147483648.0f / 10034.462890625f},
        {-1, -1.0f / 10034.462890625f},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CountsToPosition(row.count), row.position) << row.count;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(CountsToPosition(10036)));
    EXPECT_STREQ(text, "1.000153");
    std::snprintf(text, sizeof text, "%f", static_cast<double>(CountsToPosition(-10036)));
    EXPECT_STREQ(text, "-1.000153");
}

TEST(ParseIdentityReply, TakesSerialDeviceAndRevisionAtTheirOffsets) {
    struct Row {
        std::string reply;
        bool accepted;
        const char* serialNumber;
        const char* device;
        const char* revision;
    };
    const Row rows[] = {
        {"R140 10234412\r\n", true, "10234", "4", "12"},
        {"R140 1023441", true, "10234", "4", "1"},  // 12 bytes: one revision character
        {"R140 10234412", true, "10234", "4", "12"},
        {"#####ABCDEFGHIJ", true, "ABCDE", "F", "GH"},
        {"R140 102344", false, "", "", ""},  // 11 bytes: no QSB
        {"", false, "", "", ""},
        {std::string(50, 'Q'), true, "QQQQQ", "Q", "QQ"},
        {std::string("R140 12\0"
                     "45412",
                     13),
         true, "12", "4", "12"},
    };
    for (const Row& row : rows) {
        Reply reply(row.reply);
        QsbIdentity identity{};
        EXPECT_EQ(ParseIdentityReply(reply.buffer, reply.length, identity), row.accepted)
            << row.reply;
        if (!row.accepted) continue;
        EXPECT_STREQ(identity.serialNumber, row.serialNumber) << row.reply;
        EXPECT_STREQ(identity.device, row.device) << row.reply;
        EXPECT_STREQ(identity.revision, row.revision) << row.reply;
    }
}

}  // namespace

}  // namespace pitchwise
