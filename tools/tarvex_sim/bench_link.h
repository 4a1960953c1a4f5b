// The simulated controller library's line to the bench: one request line
// out, one reply line back, over a loopback socket.
#pragma once

#include <cstddef>

namespace pitchwise {

// The environment variable naming the bench's address, as "host:port".
constexpr const char* TARVEX_SIM_ADDRESS_VARIABLE = "TARVEX_SIM_ADDRESS";

// Sends `request` (without its line feed) and returns the bench's integer
// reply; false when the bench cannot be reached or answered nonsense. The
// first call connects; a broken connection is reopened once per request.
bool BenchRequest(const char* request, long& reply);

// Splits "host:port"; false when the text is not of that form.
bool ParseBenchAddress(const char* text, char* host, std::size_t hostSize, unsigned& port);

// --- the platform's socket, one file per platform ---------------------------
struct BenchSocket;
BenchSocket* BenchConnect(const char* host, unsigned port);
// Writes some of the bytes; returns how many, or a negative number on failure.
long BenchSendSome(BenchSocket* socket, const char* bytes, std::size_t count);
// Reads one byte; false on failure, time-out or a closed connection.
bool BenchReceiveByte(BenchSocket* socket, char& received);
void BenchClose(BenchSocket* socket);

// --- built on the platform's socket ----------------------------------------
// Writes all bytes; false on any failure.
bool BenchSend(BenchSocket* socket, const char* bytes, std::size_t count);
// Reads up to the next line feed (not stored) into line; false on failure,
// time-out or a line longer than the buffer.
bool BenchReceiveLine(BenchSocket* socket, char* line, std::size_t size);

}  // namespace pitchwise
