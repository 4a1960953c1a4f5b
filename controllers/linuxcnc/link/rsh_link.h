// The byte stream to linuxcncrsh. It knows nothing of lines or replies:
// CRshSession reads those, so the tests' stand-in and the real socket share
// every line of the protocol code.
#pragma once

#include <memory>
#include <string>

namespace pitchwise {

enum class RshReceive {
    DATA,     // bytes were appended
    TIMEOUT,  // nothing arrived within the time limit
    CLOSED,   // the connection ended or failed
};

class CRshLink {
  public:
    virtual ~CRshLink() = default;
    virtual bool Connect(const std::string& host, int port) = 0;
    // Sends all of `bytes`; false when the connection failed.
    virtual bool Send(const std::string& bytes) = 0;
    // Waits up to `timeoutMs` for bytes and appends what arrived to `bytes`.
    virtual RshReceive Receive(std::string& bytes, int timeoutMs) = 0;
    virtual void Close() = 0;
};

// The real link over TCP.
std::unique_ptr<CRshLink> MakeSocketRshLink();

}  // namespace pitchwise
