#include "qsb.h"

#include <cstring>

#include "com_port.h"
#include "pause.h"

namespace pitchwise {

namespace {

const char CMD_IDENTITY[] = "R140!\n";
const char CMD_CONFIGURE_1[] = "W038D!\n";
const char CMD_CONFIGURE_2[] = "W08007A1200!\n";
const char CMD_ZERO[] = "W092!\n";
const char CMD_COUNTER[] = "R0E0!\n";

// One more byte than any read can fill, for the terminating zero.
struct ReplyBuffer {
    char bytes[QSB_REPLY_MAX + 1];
    std::size_t length;
};

template <std::size_t N>
void Send(const char (&command)[N]) {
    thePort.Write(command, N - 1);  // no terminating zero on the wire
}

void Receive(ReplyBuffer& reply) {
    reply.length = thePort.Read(reply.bytes, QSB_REPLY_MAX);
    if (reply.length > QSB_REPLY_MAX) reply.length = 0;
    reply.bytes[reply.length] = '\0';
}

void Discard() {
    ReplyBuffer reply;
    Receive(reply);
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void CopyField(char* field, std::size_t fieldSize, const char* reply, std::size_t length,
               std::size_t offset) {
    std::size_t n = 0;
    while (n + 1 < fieldSize && offset + n < length && reply[offset + n] != '\0') {
        field[n] = reply[offset + n];
        ++n;
    }
    field[n] = '\0';
}

// Identification and configuration of one port; false when no QSB answers.
bool ProbePort(QsbIdentity& identity) {
    Pause(QSB_SETTLE_MS);
    Discard();  // drain anything already pending
    Pause(QSB_SETTLE_MS);
    Send(CMD_IDENTITY);
    Pause(QSB_SETTLE_MS);
    ReplyBuffer reply;
    Receive(reply);
    Pause(QSB_SETTLE_MS);
    if (!ParseIdentityReply(reply.bytes, reply.length, identity)) return false;

    Send(CMD_CONFIGURE_1);
    Pause(QSB_SETTLE_MS);
    Discard();
    Pause(QSB_SETTLE_MS);
    Send(CMD_CONFIGURE_2);
    Pause(QSB_SETTLE_MS);
    Discard();
    return true;
}

}  // namespace

bool ParseIdentityReply(const char* reply, std::size_t length, QsbIdentity& identity) {
    if (length < QSB_IDENTITY_MIN) return false;
    // A 12-byte reply ends at offset 11, so its revision is one character.
    CopyField(identity.serialNumber, sizeof identity.serialNumber, reply, length, 5);
    CopyField(identity.device, sizeof identity.device, reply, length, 10);
    CopyField(identity.revision, sizeof identity.revision, reply, length, 11);
    return true;
}

bool ParseCounterReply(const char* reply, std::size_t length, std::int32_t& count) {
    // Only a reply that reaches offset 12 with eight hex digits is a reading:
    // anything else would become a plausible but wrong length.
    if (length < QSB_COUNTER_MIN) return false;
    std::uint32_t value = 0;
    for (std::size_t k = 5; k <= 12; ++k) {
        int digit = HexDigitValue(reply[k]);
        if (digit < 0) return false;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    std::int32_t signedValue;
    std::memcpy(&signedValue, &value, sizeof signedValue);  // two's complement
    count = signedValue;
    return true;
}

float CountsToPosition(std::int32_t count) {
    return static_cast<float>(count) / QSB_COUNTS_PER_UNIT;
}

bool FindQsb(int& port, QsbIdentity& identity) {
    for (int n = QSB_FIRST_PORT; n <= QSB_LAST_PORT; ++n) {
        if (OpenQsb(n, identity)) {
            port = n;
            return true;
        }
    }
    return false;
}

bool OpenQsb(int port, QsbIdentity& identity) {
    thePort.Close();
    if (!thePort.Open(port, 230400, 8, COM_NOPARITY, COM_ONESTOPBIT)) return false;
    if (ProbePort(identity)) return true;
    thePort.Close();
    return false;
}

void ZeroQsbCounter() {
    Pause(QSB_SETTLE_MS);
    Send(CMD_ZERO);
    Pause(QSB_SETTLE_MS);
    Discard();
}

bool ReadQsbCount(std::int32_t& count) {
    count = 0;
    Pause(QSB_SETTLE_MS);
    // A reply still pending from an earlier exchange (one that came late,
    // after a stalled write) would otherwise be read as this point's count.
    Discard();
    Send(CMD_COUNTER);
    Pause(QSB_SETTLE_MS);
    ReplyBuffer reply;
    Receive(reply);
    return ParseCounterReply(reply.bytes, reply.length, count);
}

bool ReadQsbPosition(float& position) {
    std::int32_t count;
    const bool read = ReadQsbCount(count);
    position = read ? CountsToPosition(count) : 0.0f;
    return read;
}

float ReadQsbPosition() {
    float position;
    ReadQsbPosition(position);
    return position;
}

}  // namespace pitchwise
