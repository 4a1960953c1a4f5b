#include "rsh_reply.h"

#include <cctype>
#include <sstream>

#include "text.h"

namespace pitchwise {

namespace {

// True when `line` begins with the word(s) `head`, followed by a blank or the end.
bool BeginsWithWords(const std::string& line, const std::string& head) {
    return StartsWith(line, head) && (line.size() == head.size() || line[head.size()] == ' ');
}

std::string Word(const std::string& text, std::size_t index) {
    std::size_t begin = 0;
    for (;;) {
        begin = text.find_first_not_of(' ', begin);
        if (begin == std::string::npos) return std::string();
        std::size_t end = text.find(' ', begin);
        if (index == 0) return text.substr(begin, end == std::string::npos ? end : end - begin);
        if (end == std::string::npos) return std::string();
        begin = end;
        --index;
    }
}

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n' || c == '\0';
}

}  // namespace

void CRshLineSplitter::EndLine() {
    std::size_t first = m_partial.find_first_not_of(" \t");
    if (first != std::string::npos) {
        std::size_t last = m_partial.find_last_not_of(" \t");
        m_lines.push_back(m_partial.substr(first, last - first + 1));
    }
    m_partial.clear();
}

void CRshLineSplitter::Append(const char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (IsLineEnd(c)) {
            if (!m_discarding) EndLine();
            m_discarding = false;
        } else if (!m_discarding) {
            m_partial.push_back(c);
            if (m_partial.size() >= RSH_LINE_MAX) {
                EndLine();
                m_discarding = true;
            }
        }
    }
}

bool CRshLineSplitter::Next(std::string& line) {
    if (m_lines.empty()) return false;
    line = std::move(m_lines.front());
    m_lines.pop_front();
    return true;
}

void CRshLineSplitter::Clear() {
    m_lines.clear();
    m_partial.clear();
    m_discarding = false;
}

RshLineKind ClassifyRshLine(const std::string& request, const std::string& line) {
    if (StartsWith(line, "error:")) {
        // The rewritten shell answers a SET that clashes with another
        // session's pending MDI with this line alone; no NAK follows it.
        const bool busy = line.find("Cannot issue ") != std::string::npos &&
                          line.find("still active") != std::string::npos;
        return busy ? RshLineKind::BUSY : RshLineKind::ERROR_NOTE;
    }
    if (StartsWith(line, "warning:")) return RshLineKind::WARNING_NOTE;

    // Answers name their request: "get joint_pos 0" is answered by
    // "JOINT_POS 0 …" (or "GET JOINT_POS NAK"), "set mdi …" by "SET MDI ACK",
    // "hello …" by "HELLO ACK …". Requests are lower case and answers upper
    // case, so an echoed request never passes for its answer.
    const std::string verb = Word(request, 0);
    const std::string subject = Upper(Word(request, 1));
    if (verb == "get") {
        if (!subject.empty() &&
            (BeginsWithWords(line, subject) || BeginsWithWords(line, "GET " + subject)))
            return RshLineKind::ANSWER;
    } else if (verb == "set") {
        if (!subject.empty() && BeginsWithWords(line, "SET " + subject)) return RshLineKind::ANSWER;
    } else if (!verb.empty() && BeginsWithWords(line, Upper(verb))) {
        return RshLineKind::ANSWER;
    }
    return RshLineKind::STRAY;
}

std::string RshVerdict(const std::string& answer) {
    // Only hello puts words after its verdict: "HELLO ACK EMCNETSVR 1.1".
    if (BeginsWithWords(answer, "HELLO")) return Word(answer, 1);
    std::size_t space = answer.find_last_of(' ');
    return space == std::string::npos ? answer : answer.substr(space + 1);
}

bool ParseJointHomed(const std::string& answer, int joint, bool& homed) {
    static const std::string kPrefix = "JOINT_HOMED ";
    if (answer.compare(0, kPrefix.size(), kPrefix) != 0 || joint < 0) return false;
    std::istringstream words(answer.substr(kPrefix.size()));
    std::string word;
    std::vector<std::string> fields;
    while (words >> word) fields.push_back(word);
    std::string state;
    if (!fields.empty() && fields[0] != "YES" && fields[0] != "NO") {
        // The one-joint form names its joint: it must be the one asked about.
        if (fields.size() != 2 || fields[0] != std::to_string(joint)) return false;
        state = fields[1];
    } else if (static_cast<std::size_t>(joint) < fields.size()) {
        state = fields[static_cast<std::size_t>(joint)];
    }
    if (state != "YES" && state != "NO") return false;
    homed = state == "YES";
    return true;
}

}  // namespace pitchwise
