// Reading linuxcncrsh's answers. LinuxCNC 2.9's shell ends lines with "\r\n"
// or "\n\r" and pads some with NUL bytes; the rewritten shell ends them with
// "\r\n" and may put "error:" or "warning:" lines before the answer. A reply
// is therefore never taken as "the next line": it is zero or more note lines,
// then the line that answers the request.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

namespace pitchwise {

// Cuts a byte stream into lines. CR, LF and NUL all end a line and empty
// lines are dropped, so every ending either shell uses, split across reads
// anywhere, yields the same lines.
class CRshLineSplitter {
  public:
    void Append(const char* bytes, std::size_t size);
    // The next complete line, without blanks at either end; false when none
    // has arrived yet.
    bool Next(std::string& line);
    void Clear();

  private:
    void EndLine();

    std::deque<std::string> m_lines;  // complete, oldest first
    std::string m_partial;
    bool m_discarding = false;  // the rest of an overlong line
};

// No answer linuxcncrsh gives is near this long; a longer line is cut here so
// a peer that never ends its line cannot grow the buffer without bound.
constexpr std::size_t RSH_LINE_MAX = 4096;

enum class RshLineKind {
    ERROR_NOTE,    // "error: …" before the answer
    WARNING_NOTE,  // "warning: …"
    BUSY,    // "error: Cannot issue SET … while SET MDI … is still active": the whole answer
    ANSWER,  // the ACK, NAK or value line of the request
    STRAY,   // anything else: an echo, or a line that answers some other request
};

// What `line` is while the reply to `request` is awaited.
RshLineKind ClassifyRshLine(const std::string& request, const std::string& line);

// One request's reply.
struct RshReply {
    std::string answer;               // the ACK, NAK or value line; or the BUSY line
    std::vector<std::string> errors;  // "error:" lines, in order
    std::vector<std::string> warnings;
    bool acked = false;    // the answer's verdict is ACK
    bool refused = false;  // NAK, or BUSY
};

// The verdict word of an answer: "ACK" or "NAK" for a SET or hello, the last
// word of a value otherwise.
std::string RshVerdict(const std::string& answer);

// Reads joint `joint`'s state from an answer to "get joint_homed": either
// "JOINT_HOMED <joint> YES|NO", or the list "JOINT_HOMED YES NO …" with one
// field per joint (always six on LinuxCNC 2.9, as many as the machine has on
// the rewritten shell). False when the answer says nothing about the joint.
bool ParseJointHomed(const std::string& answer, int joint, bool& homed);

}  // namespace pitchwise
