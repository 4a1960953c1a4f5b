// One session with linuxcncrsh: opens it the way both LinuxCNC 2.9's shell
// and the rewritten one accept, and reads each request's reply whatever
// lines come with it.
#pragma once

#include <memory>
#include <string>

#include "linuxcnc_config.h"
#include "rsh_link.h"
#include "rsh_reply.h"

namespace pitchwise {

// linuxcncrsh answers a request at once, except an MDI line whose ACK may
// wait for the move or dwell to end. This much silence beyond the motion
// means LinuxCNC has gone.
constexpr int RSH_REPLY_MARGIN_MS = 10000;

// The time limit for a reply that may follow `motionSeconds` of motion.
int RshReplyLimitMs(double motionSeconds);

class CRshSession {
  public:
    explicit CRshSession(std::unique_ptr<CRshLink> link);

    // Connects, says hello, turns echo off and verbose on (so every request
    // has an answer), takes enable and asks for MDI ACKs on receipt.
    bool Open(const LinuxCncConfig& config);
    // Sends `request` and reads its reply; `motionSeconds` is how long the
    // motion it starts may take. False when the session is lost (closed, or
    // silent beyond the limit); the session is then closed.
    bool Request(const std::string& request, RshReply& reply, double motionSeconds = 0.0);
    bool IsOpen() const { return m_open; }
    void Close();
    // The "error:" lines of the last request when it was refused, else empty.
    const std::string& Refusal() const { return m_refusal; }

  private:
    bool Send(const std::string& request);
    bool SendUnanswered(const std::string& request);
    bool ReadReply(const std::string& request, RshReply& reply, int limitMs);
    bool Lost(const std::string& request, const std::string& why);

    std::unique_ptr<CRshLink> m_link;
    bool m_open = false;
    CRshLineSplitter m_lines;
    std::string m_unanswered;  // a request sent without waiting: its echo is no stray
    std::string m_refusal;
};

}  // namespace pitchwise
