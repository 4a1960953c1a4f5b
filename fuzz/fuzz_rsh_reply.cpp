// Any bytes linuxcncrsh could send. The line splitter gives the same lines
// however the bytes are cut into reads; no line is empty, holds a line end
// or NUL, has blanks at its ends or exceeds RSH_LINE_MAX, whatever the peer
// sends. The line's kind and the joint-homed reading agree with its text, so
// a stray or garbled line is never taken for the answer to a request.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "rsh_reply.h"

namespace pitchwise {

namespace {

const char* const REQUESTS[] = {"set mdi G4 P1.000", "get joint_homed 0",       "get joint_pos 0",
                                "set mode mdi",      "hello EMC pitchwise 1.0", "get error"};

std::vector<std::string> Lines(CRshLineSplitter& splitter) {
    std::vector<std::string> lines;
    for (std::string line; splitter.Next(line);) lines.push_back(line);
    return lines;
}

bool StartsWith(const std::string& text, const std::string& head) {
    return text.compare(0, head.size(), head) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return -1;
    const std::string request = REQUESTS[data[0] % (sizeof REQUESTS / sizeof REQUESTS[0])];
    const std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t cut = bytes.empty() ? 0 : data[1] % (bytes.size() + 1);

    CRshLineSplitter whole;
    whole.Append(bytes.data(), bytes.size());
    const std::vector<std::string> lines = Lines(whole);

    CRshLineSplitter split;
    split.Append(bytes.data(), cut);
    std::vector<std::string> splitLines = Lines(split);
    split.Append(bytes.data() + cut, bytes.size() - cut);
    for (const std::string& line : Lines(split)) splitLines.push_back(line);
    FUZZ_CHECK(splitLines == lines);

    for (const std::string& line : lines) {
        FUZZ_CHECK(!line.empty() && line.size() <= RSH_LINE_MAX);
        FUZZ_CHECK(line.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
        FUZZ_CHECK(line.front() != ' ' && line.front() != '\t');
        FUZZ_CHECK(line.back() != ' ' && line.back() != '\t');

        const RshLineKind kind = ClassifyRshLine(request, line);
        if (kind == RshLineKind::ERROR_NOTE || kind == RshLineKind::BUSY)
            FUZZ_CHECK(StartsWith(line, "error:"));
        if (kind == RshLineKind::WARNING_NOTE) FUZZ_CHECK(StartsWith(line, "warning:"));
        // An answer names the request: never a note, never an echo.
        if (kind == RshLineKind::ANSWER) {
            FUZZ_CHECK(!StartsWith(line, "error:") && !StartsWith(line, "warning:"));
            FUZZ_CHECK(line != request);
        }
        const std::string verdict = RshVerdict(line);
        FUZZ_CHECK(verdict.find(' ') == std::string::npos);

        bool homed = false;
        if (ParseJointHomed(line, 0, homed)) {
            FUZZ_CHECK(StartsWith(line, "JOINT_HOMED "));
            FUZZ_CHECK(line.find(homed ? "YES" : "NO") != std::string::npos);
        }
    }
    return 0;
}

}  // namespace pitchwise
