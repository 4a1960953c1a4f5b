// One text session with linuxcncrsh: a request line out, one reply line in.
#pragma once

#include <memory>
#include <string>

class CRshLink {
  public:
    virtual ~CRshLink() = default;
    virtual bool Connect(const std::string& host, int port) = 0;
    // Sends `request` with its line end and reads one reply line, without
    // its line end. False when the connection failed.
    virtual bool Exchange(const std::string& request, std::string& reply) = 0;
    virtual void Close() = 0;
};

// The real link over TCP.
std::unique_ptr<CRshLink> MakeSocketRshLink();
