#include "bench_link.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace pitchwise {

namespace {

BenchSocket* theSocket = nullptr;

bool Connect() {
    const char* address = std::getenv(TARVEX_SIM_ADDRESS_VARIABLE);
    char host[256];
    unsigned port = 0;
    if (address == nullptr || !ParseBenchAddress(address, host, sizeof host, port)) return false;
    theSocket = BenchConnect(host, port);
    return theSocket != nullptr;
}

bool Exchange(const std::string& request, long& reply) {
    char line[64];
    if (!BenchSend(theSocket, request.data(), request.size())) return false;
    if (!BenchReceiveLine(theSocket, line, sizeof line)) return false;
    char* end = nullptr;
    reply = std::strtol(line, &end, 10);
    return end != line && *end == '\0';
}

}  // namespace

bool BenchSend(BenchSocket* socket, const char* bytes, std::size_t count) {
    while (count > 0) {
        const long sent = BenchSendSome(socket, bytes, count);
        if (sent <= 0) return false;
        bytes += sent;
        count -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool BenchReceiveLine(BenchSocket* socket, char* line, std::size_t size) {
    std::size_t length = 0;
    char c;
    while (BenchReceiveByte(socket, c)) {
        if (c == '\n') {
            line[length] = '\0';
            return true;
        }
        if (length + 1 >= size) return false;
        line[length++] = c;
    }
    return false;
}

bool ParseBenchAddress(const char* text, char* host, std::size_t hostSize, unsigned& port) {
    const char* colon = std::strrchr(text, ':');
    if (colon == nullptr || colon == text) return false;
    std::size_t hostLength = static_cast<std::size_t>(colon - text);
    if (hostLength + 1 > hostSize) return false;
    char* end = nullptr;
    unsigned long value = std::strtoul(colon + 1, &end, 10);
    if (end == colon + 1 || *end != '\0' || value == 0 || value > 65535) return false;
    std::memcpy(host, text, hostLength);
    host[hostLength] = '\0';
    port = static_cast<unsigned>(value);
    return true;
}

bool BenchRequest(const char* request, long& reply) {
    std::string framed = std::string(request) + "\n";
    // A bench restarted since the last call closed our connection: try a
    // fresh one once before giving up.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (theSocket == nullptr && !Connect()) return false;
        if (Exchange(framed, reply)) return true;
        BenchClose(theSocket);
        theSocket = nullptr;
    }
    return false;
}

}  // namespace pitchwise
