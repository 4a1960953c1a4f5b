// Everything said to the QSB measuring device, over thePort.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pitchwise {

constexpr unsigned QSB_SETTLE_MS = 500;    // pause before or after each write and read
constexpr std::size_t QSB_REPLY_MAX = 50;  // bytes asked for by every read
constexpr float QSB_COUNTS_PER_UNIT = 10034.463f;
constexpr int QSB_FIRST_PORT = 1;
constexpr int QSB_LAST_PORT = 7;
constexpr std::size_t QSB_IDENTITY_MIN = 12;  // shortest identity reply taken as a QSB
constexpr std::size_t QSB_COUNTER_MIN = 13;   // a counter reply must reach its last digit

struct QsbIdentity {
    char serialNumber[6];  // reply offsets 5 to 9
    char device[2];        // reply offset 10
    char revision[3];      // reply offsets 11 and 12
};

// Closes whatever port is open, then scans COM1 to COM7. On success the QSB's
// port stays open in thePort and port and identity are filled in.
bool FindQsb(int& port, QsbIdentity& identity);

// The same probe on one given port only (closing whatever port is open
// first): for a QSB the operator names.
bool OpenQsb(int port, QsbIdentity& identity);

// Sets the device's counter to zero. Its reply is not examined.
void ZeroQsbCounter();

// Reads the counter as a length. Returns false (and position 0) when no valid
// counter reply arrived: no port, no bytes, a short or garbled reply.
bool ReadQsbPosition(float& position);

// The same exchange, the counter as it stands: for callers that work in counts.
bool ReadQsbCount(std::int32_t& count);

// The same reading, 0 for any failure, for callers that only show it.
float ReadQsbPosition();

// Reply parsing, apart from the wire so it can be tested on any bytes.
// `reply` holds `length` bytes followed by a zero byte.
bool ParseIdentityReply(const char* reply, std::size_t length, QsbIdentity& identity);
bool ParseCounterReply(const char* reply, std::size_t length, std::int32_t& count);
float CountsToPosition(std::int32_t count);

}  // namespace pitchwise
