#include "rsh_session.h"

#include <cmath>

#include "tarvex_log.h"

namespace pitchwise {

namespace {

// A move can outlast its planned time: a feed override below 100 %, task's
// cycle and the acceleration phases all stretch it.
constexpr double MOTION_ALLOWANCE = 1.5;
// No move Pitchwise asks for takes a day; beyond that the limit only has to
// stay a finite number of milliseconds.
constexpr double REPLY_LIMIT_MAX_MS = 24.0 * 3600.0 * 1000.0;
// Lines that answer nothing we asked; more than this is not linuxcncrsh.
constexpr int STRAY_LINES_MAX = 64;

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "; ") + line;
    return text;
}

}  // namespace

int RshReplyLimitMs(double motionSeconds) {
    double ms = RSH_REPLY_MARGIN_MS;
    // An unknown (NaN) motion gets the longest limit, as an endless one does.
    if (!(motionSeconds <= 0.0)) ms += std::ceil(motionSeconds * MOTION_ALLOWANCE * 1000.0);
    if (!(ms <= REPLY_LIMIT_MAX_MS)) ms = REPLY_LIMIT_MAX_MS;  // also a NaN
    return static_cast<int>(ms);
}

CRshSession::CRshSession(std::unique_ptr<CRshLink> link) : m_link(std::move(link)) {}

void CRshSession::Close() {
    m_link->Close();
    m_open = false;
    m_lines.Clear();
    m_unanswered.clear();
}

bool CRshSession::Open(const LinuxCncConfig& config) {
    Close();
    if (!m_link->Connect(config.host, config.port)) {
        LogMessage("cannot reach linuxcncrsh at " + config.host + ":" +
                   std::to_string(config.port));
        return false;
    }
    m_open = true;
    RshReply reply;
    const char* failed = nullptr;
    if (!Request("hello " + config.connectPassword + " pitchwise 1.0", reply) || !reply.acked) {
        failed = "hello (connect password?)";
    } else if (!SendUnanswered("set echo off")) {
        // A new session echoes every line; with echo on it answers this one
        // with its echo alone, so there is no answer to wait for.
        failed = "set echo off";
    } else if (!Request("set verbose on", reply) || !reply.acked) {
        // Without verbose, an accepted SET has no answer at all.
        failed = "set verbose on";
    } else if (!Request("set enable " + config.enablePassword, reply) || !reply.acked) {
        failed = "set enable (enable password?)";
    } else if (!Request("set wait_mode received", reply)) {
        // The rewritten shell would otherwise hold each MDI ACK until the
        // motion ends. LinuxCNC 2.9 answers NAK: it acknowledges on receipt.
        failed = "set wait_mode received";
    }
    if (failed != nullptr) {
        LogMessage(std::string("linuxcncrsh refused the session at ") + failed + ", last reply \"" +
                   reply.answer + "\"" + (m_refusal.empty() ? "" : "; " + m_refusal));
        Close();
        return false;
    }
    return true;
}

bool CRshSession::Send(const std::string& request) {
    if (!m_open) return false;
    if (!m_link->Send(request + "\r\n")) return Lost(request, "the connection failed");
    return true;
}

bool CRshSession::SendUnanswered(const std::string& request) {
    if (!Send(request)) return false;
    m_unanswered = request;
    return true;
}

bool CRshSession::Request(const std::string& request, RshReply& reply, double motionSeconds) {
    reply = RshReply();
    m_refusal.clear();
    if (!Send(request)) return false;
    if (!ReadReply(request, reply, RshReplyLimitMs(motionSeconds))) return false;
    m_unanswered.clear();
    for (const std::string& warning : reply.warnings) LogMessage("linuxcncrsh: " + warning);
    if (reply.refused) {
        m_refusal = Join(reply.errors);
    } else {
        for (const std::string& error : reply.errors)
            LogMessage("linuxcncrsh accepted \"" + request + "\" with " + error);
    }
    return true;
}

bool CRshSession::ReadReply(const std::string& request, RshReply& reply, int limitMs) {
    int strays = 0;
    for (;;) {
        std::string line;
        while (m_lines.Next(line)) {
            switch (ClassifyRshLine(request, line)) {
                case RshLineKind::ERROR_NOTE:
                    reply.errors.push_back(line);
                    break;
                case RshLineKind::WARNING_NOTE:
                    reply.warnings.push_back(line);
                    break;
                case RshLineKind::BUSY:
                    reply.errors.push_back(line);
                    reply.answer = line;
                    reply.refused = true;
                    return true;
                case RshLineKind::ANSWER:
                    reply.answer = line;
                    reply.acked = RshVerdict(line) == "ACK";
                    reply.refused = RshVerdict(line) == "NAK";
                    return true;
                case RshLineKind::STRAY:
                    if (++strays > STRAY_LINES_MAX) return Lost(request, "too many stray lines");
                    // Echoes of our own requests are expected until echo is off.
                    if (line != request && line != m_unanswered &&
                        (m_unanswered.empty() ||
                         ClassifyRshLine(m_unanswered, line) != RshLineKind::ANSWER)) {
                        LogMessage("linuxcncrsh: ignored \"" + line +
                                   "\" while waiting for the reply to \"" + request + "\"");
                    }
                    break;
            }
        }
        std::string bytes;
        switch (m_link->Receive(bytes, limitMs)) {
            case RshReceive::DATA:
                m_lines.Append(bytes.data(), bytes.size());
                break;
            case RshReceive::TIMEOUT:
                return Lost(request, "no reply within " + std::to_string(limitMs / 1000) + " s");
            case RshReceive::CLOSED:
                return Lost(request, "the connection ended");
        }
    }
}

bool CRshSession::Lost(const std::string& request, const std::string& why) {
    LogMessage("lost linuxcncrsh at \"" + request + "\": " + why);
    Close();
    return false;
}

}  // namespace pitchwise
