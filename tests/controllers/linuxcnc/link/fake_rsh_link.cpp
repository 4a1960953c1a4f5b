#include "fake_rsh_link.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace pitchwise {

namespace {

// The rewritten shell answers a state-changing SET once the state has
// changed; this is how long the fake machine takes for that.
constexpr double STATE_CHANGE_SECONDS = 0.3;

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Splits "verb rest of line" at the first blank.
void Split(const std::string& text, std::string& head, std::string& rest) {
    std::size_t space = text.find(' ');
    head = text.substr(0, space);
    rest = space == std::string::npos ? std::string() : text.substr(space + 1);
}

std::string Fixed(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

// The words of an MDI line that set its motion: "G53 G1 X5.000000 F300.000".
struct MdiMotion {
    int g = -1;  // 0, 1 or 4
    bool hasTarget = false;
    double target = 0.0;
    double feedPerMinute = 0.0;
    double dwellSeconds = 0.0;
};

MdiMotion ParseMdi(const std::string& code) {
    MdiMotion motion;
    std::istringstream words(code);
    std::string word;
    while (words >> word) {
        const double value = std::strtod(word.c_str() + 1, nullptr);
        switch (word[0]) {
            case 'G':
                if (value == 0.0 || value == 1.0 || value == 4.0)
                    motion.g = static_cast<int>(value);
                break;
            case 'X':
            case 'Y':
            case 'Z':
                motion.hasTarget = true;
                motion.target = value;
                break;
            case 'F':
                motion.feedPerMinute = value;
                break;
            case 'P':
                motion.dwellSeconds = value;
                break;
        }
    }
    return motion;
}

bool IsStateChange(const std::string& what) {
    return what == "mode" || what == "estop" || what == "machine" || what == "home";
}

}  // namespace

void FakeMachine::MoveJoint(double target) {
    if (target > jointPos) lastDirection = 1;
    if (target < jointPos) lastDirection = -1;
    jointPos = target;
}

bool CFakeRshLink::Connect(const std::string&, int) {
    Close();
    m_open = m_machine.reachable;
    m_broken = m_silent = m_verbose = m_enabled = m_ackOnReceipt = false;
    m_echo = true;
    m_received.clear();
    return m_open;
}

void CFakeRshLink::Close() {
    m_open = false;
    m_out.clear();
    if (m_machine.enabledSession == this) m_machine.enabledSession = nullptr;
}

bool CFakeRshLink::Send(const std::string& bytes) {
    if (!m_open || m_broken) return false;
    m_received += bytes;
    for (std::size_t end; (end = m_received.find('\n')) != std::string::npos;) {
        std::string request = m_received.substr(0, end);
        m_received.erase(0, end + 1);
        if (!request.empty() && request.back() == '\r') request.pop_back();
        m_machine.requests.push_back(request);
        Answer(request);
    }
    return true;
}

RshReceive CFakeRshLink::Receive(std::string& bytes, int timeoutMs) {
    if (!m_open) return RshReceive::CLOSED;
    const double limit = m_machine.now + timeoutMs / 1000.0;
    if (m_out.empty() && m_broken) {
        m_open = false;
        return RshReceive::CLOSED;
    }
    if (m_out.empty() || m_out.front().readyAt > limit) {
        m_machine.now = limit;
        return RshReceive::TIMEOUT;
    }
    m_machine.now = std::max(m_machine.now, m_out.front().readyAt);
    // Everything that is ready, as one read of the socket would return it.
    std::size_t room = m_machine.chunkBytes > 0 ? m_machine.chunkBytes : std::string::npos;
    while (!m_out.empty() && m_out.front().readyAt <= m_machine.now && room > 0) {
        std::string& next = m_out.front().bytes;
        std::size_t take = std::min(room, next.size());
        bytes.append(next, 0, take);
        next.erase(0, take);
        if (room != std::string::npos) room -= take;
        if (next.empty()) m_out.pop_front();
    }
    return RshReceive::DATA;
}

void CFakeRshLink::Say(const std::string& line, double at, bool setReply) {
    // LinuxCNC 2.9 ends SET answers with "\n\r"; the rewritten shell always
    // with "\r\n".
    const bool reversed = setReply && !Rewritten();
    if (!m_out.empty()) at = std::max(at, m_out.back().readyAt);
    m_out.push_back(Output{at, line + (reversed ? "\n\r" : "\r\n")});
}

void CFakeRshLink::SetVerdict(const std::string& word, bool ack, double at,
                              const std::string& error) {
    if (Rewritten() && !error.empty()) Say("error: " + error, at);
    // Without verbose, an accepted SET is not answered at all.
    if (ack && !m_verbose) return;
    Say("SET " + word + (ack ? " ACK" : " NAK"), at, true);
    // 2.9 sends the terminating zero byte of some answers along.
    if (!Rewritten() && word == "MDI") m_out.back().bytes.push_back('\0');
}

void CFakeRshLink::Answer(const std::string& request) {
    if (m_silent) return;
    const double now = m_machine.now;
    if (m_echo) Say(request, now);
    std::string verb, rest;
    Split(request, verb, rest);
    if (verb == "hello") {
        std::istringstream words(rest);
        std::string password, client, version;
        words >> password >> client >> version;
        if (!m_machine.helloAccepted) {
            Say("HELLO NAK", now);
            return;
        }
        // The rewritten shell compares the versions as strings.
        if (Rewritten() && version > m_machine.iniVersion) {
            Say("warning: client version " + version + " is newer than the INI's " +
                    m_machine.iniVersion,
                now);
        }
        Say("HELLO ACK EMCNETSVR 1.1", now);
        if (!Rewritten()) m_out.back().bytes.push_back('\0');
    } else if (verb == "get") {
        AnswerGet(rest);
    } else if (verb == "set") {
        std::string word, ignored;
        Split(rest, word, ignored);
        AnswerSet(rest, word);
    } else if (verb == "shutdown") {
        // 2.9 closes without a word; the rewritten shell says so first.
        if (Rewritten()) Say("SHUTDOWN ACK", now);
        m_broken = true;
    } else {
        Say(Upper(verb) + " NAK", now);
    }
}

void CFakeRshLink::AnswerGet(const std::string& what) {
    const double now = m_machine.now;
    std::string word, argument;
    Split(what, word, argument);
    const bool hasJoint = !argument.empty();
    const int joint = hasJoint ? std::atoi(argument.c_str()) : -1;
    const bool jointExists = joint >= 0 && joint < m_machine.joints;
    if ((word == "joint_homed" || word == "joint_pos") && hasJoint && !jointExists && Rewritten()) {
        Say("error: joint " + argument + " out of range", now);
        Say(Upper(word) + " NAK", now);
        return;
    }
    if (word == "machine") {
        Say(m_machine.machineOn ? "MACHINE ON" : "MACHINE OFF", now);
    } else if (word == "mode") {
        Say("MODE " + m_machine.mode, now);
    } else if (word == "inifile") {
        Say("INIFILE " + (m_machine.iniFile.empty() ? "emc.ini" : m_machine.iniFile), now);
    } else if (word == "program_codes") {
        Say("PROGRAM_CODES " + m_machine.programCodes, now);
    } else if (word == "feed_override") {
        Say("FEED_OVERRIDE " + std::to_string(m_machine.feedOverride), now);
    } else if (word == "joint_homed" && hasJoint) {
        Say("JOINT_HOMED " + argument + (m_machine.homed && jointExists ? " YES" : " NO"), now);
    } else if (word == "joint_homed") {
        // 2.9 lists six joints whatever the machine has.
        const int fields = Rewritten() ? m_machine.joints : 6;
        std::string line = "JOINT_HOMED";
        for (int j = 0; j < fields; ++j)
            line += m_machine.homed && j < m_machine.joints ? " YES" : " NO";
        Say(line, now);
    } else if (word == "joint_pos" && hasJoint) {
        Say("JOINT_POS " + argument + " " + Fixed(jointExists ? m_machine.jointPos : 0.0), now);
    } else if (word == "program_status") {
        m_machine.now += FAKE_POLL_SECONDS;
        bool busy = m_machine.now < m_machine.motionEnd;
        if (!busy && m_busyLeft > 0) {
            busy = true;
            --m_busyLeft;
        }
        Say("PROGRAM_STATUS " + (busy ? m_machine.busyStatus : m_machine.idleStatus),
            m_machine.now);
    } else if (word == "error") {
        Say("ERROR OK", now);
    } else {
        if (Rewritten()) Say("error: unknown command " + word, now);
        Say("GET " + Upper(word) + " NAK", now);
        if (!Rewritten()) Say("", now);  // 2.9 adds an empty line here
    }
}

void CFakeRshLink::AnswerSet(const std::string& what, const std::string& word) {
    const double now = m_machine.now;
    const std::string upper = Upper(word);
    std::string ignored, value;
    Split(what, ignored, value);
    if (word == "echo" || word == "verbose") {
        const bool on = value == "on";
        if (word == "echo" && (on || value == "off")) m_echo = on;
        if (word == "verbose" && (on || value == "off")) m_verbose = on;
        SetVerdict(upper, on || value == "off", now);
        return;
    }
    if (word == "enable") {
        const bool off = value == "off";
        const bool ok = off || value == "EMCTOO";
        if (ok) {
            // 2.9 has one enable for all sessions: the last to ask takes it.
            if (Rewritten()) m_enabled = !off;
            if (!Rewritten()) m_machine.enabledSession = off ? nullptr : this;
            m_machine.enabled = !off;
        }
        SetVerdict(upper, ok, now, ok ? "" : "wrong enable password");
        return;
    }
    if (word == "wait_mode") {
        if (!Rewritten()) {
            SetVerdict(upper, false, now);
            return;
        }
        const bool known = value == "received" || value == "done";
        if (known) m_ackOnReceipt = value == "received" && m_machine.waitModeTakesEffect;
        SetVerdict(upper, known, now, known ? "" : "unknown wait mode " + value);
        return;
    }
    // Everything else commands LinuxCNC.
    if (Rewritten() && m_machine.otherSessionMdiActive) {
        Say("error: Cannot issue SET " + upper + " while SET MDI G0 X100 is still active", now);
        return;
    }
    const bool enabled = Rewritten() ? m_enabled : m_machine.enabledSession == this;
    if (!enabled) {
        SetVerdict(upper, false, now, "this session is not enabled");
        return;
    }
    if (word == "mdi") {
        AnswerMdi(value);
    } else if (word == "mode") {
        // 2.9 acknowledges a switch it then does not make (a paused program);
        // the rewritten shell answers once the mode has changed, NAK if it does not.
        if (m_machine.modeAccepted) m_machine.mode = Upper(value);
        const bool ack = m_machine.modeAccepted || !Rewritten();
        SetVerdict(upper, ack, Rewritten() ? now + STATE_CHANGE_SECONDS : now,
                   ack ? "" : "mode did not change");
    } else {
        SetVerdict(upper, true,
                   Rewritten() && IsStateChange(word) ? now + STATE_CHANGE_SECONDS : now);
    }
}

void CFakeRshLink::AnswerMdi(const std::string& code) {
    const double now = m_machine.now;
    if (!m_machine.mdiAccepted || m_machine.mode != "MDI") {
        SetVerdict("MDI", false, now,
                   m_machine.mode != "MDI" ? "not in MDI mode" : "MDI command failed");
        return;
    }
    const MdiMotion motion = ParseMdi(code);
    double seconds = 0.0;
    if (motion.g == 4) seconds = motion.dwellSeconds;
    if ((motion.g == 0 || motion.g == 1) && motion.hasTarget) {
        const double speed =
            motion.g == 0 ? m_machine.rapidUnitsPerSecond : motion.feedPerMinute / 60.0;
        seconds = std::fabs(motion.target - m_machine.jointPos) / speed;
        if (m_machine.followTargets) m_machine.MoveJoint(motion.target);
    }
    m_machine.motionEnd = now + seconds;
    m_busyLeft = m_machine.busyPolls;
    if (m_machine.silentAfterMdi) {
        m_silent = true;
        return;
    }
    // The rewritten shell holds the ACK until the motion ends, unless the
    // session asked for it on receipt.
    const bool late = Rewritten() && !m_ackOnReceipt;
    SetVerdict("MDI", true, late ? m_machine.motionEnd : now);
    if (m_machine.dropAfterMdi) m_broken = true;
}

}  // namespace pitchwise
