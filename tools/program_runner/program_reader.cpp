#include "program_reader.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace pitchwise {

namespace {

constexpr double kMmPerInch = 25.4;

struct Word {
    std::string letters;  // "G", "X", or a keyword such as "SUPA"
    std::string number;   // as written, sign and point included
};

// A comment in parentheses anywhere, or everything after ';'.
std::string WithoutComments(const std::string& line) {
    std::string out;
    int depth = 0;
    for (char c : line) {
        if (c == ';' && depth == 0) break;
        if (c == '(') ++depth;
        if (depth == 0) out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (c == ')' && depth > 0) --depth;
    }
    return out;
}

bool SplitWords(const std::string& block, std::vector<Word>& words, std::string& bad) {
    std::size_t i = 0;
    while (i < block.size()) {
        if (std::isspace(static_cast<unsigned char>(block[i]))) {
            ++i;
            continue;
        }
        Word w;
        while (i < block.size() && std::isalpha(static_cast<unsigned char>(block[i])))
            w.letters += block[i++];
        while (i < block.size() && (std::isdigit(static_cast<unsigned char>(block[i])) ||
                                    block[i] == '.' || block[i] == '-' || block[i] == '+'))
            w.number += block[i++];
        if (w.letters.empty()) {
            bad = block.substr(i == 0 ? 0 : i - w.number.size());
            return false;
        }
        words.push_back(w);
    }
    return true;
}

std::optional<double> NumberOf(const Word& w) {
    if (w.number.empty()) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(w.number.c_str(), &end);
    if (end != w.number.c_str() + w.number.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

bool HasPoint(const Word& w) {
    return w.number.find('.') != std::string::npos;
}

class CReader {
  public:
    CReader(ProgramFamily family, char axis) : m_family(family), m_axis(axis) {}

    // False when the program is refused; `ended` once its end is read.
    bool Block(const std::string& block, std::size_t line, ProgramReading& out);
    bool Ended() const { return m_ended; }

  private:
    bool Refuse(ProgramCode code, const std::string& subject, std::size_t line,
                ProgramReading& out) {
        out.status = Status<ProgramCode>(code, {}, subject);
        out.line = line;
        return false;
    }
    bool UnitWord(int g);
    // Fanuc reads a length or a time without a point in its least increment.
    double Scaled(const Word& w, double value, double leastIncrement) const {
        return m_family == ProgramFamily::FANUC && !HasPoint(w) ? value * leastIncrement : value;
    }

    ProgramFamily m_family;
    char m_axis;
    bool m_geometryInch = false;
    bool m_feedInch = false;
    int m_motion = -1;  // 0 rapid, 1 linear, -1 none yet
    std::optional<double> m_feedMm;
    bool m_ended = false;
};

bool CReader::UnitWord(int g) {
    const bool siemens = m_family == ProgramFamily::SIEMENS;
    if (!siemens && (g == 20 || g == 21)) {
        m_geometryInch = m_feedInch = g == 20;
        return true;
    }
    if (siemens && (g == 70 || g == 71)) {
        m_geometryInch = g == 70;  // the feed stays in the basic system
        return true;
    }
    if (siemens && (g == 700 || g == 710)) {
        m_geometryInch = m_feedInch = g == 700;
        return true;
    }
    return false;
}

bool CReader::Block(const std::string& block, std::size_t line, ProgramReading& out) {
    std::vector<Word> words;
    std::string bad;
    if (!SplitWords(block, words, bad)) return Refuse(ProgramCode::BAD_NUMBER, bad, line, out);
    bool dwell = false;
    bool machineCoordinates = false;
    int motion = -1;
    std::optional<double> target, seconds;
    for (const Word& w : words) {
        const std::optional<double> value = NumberOf(w);
        const std::string text = w.letters + w.number;
        if (w.letters == "SUPA" && w.number.empty() && m_family == ProgramFamily::SIEMENS)
            continue;  // machine coordinates: the simulated machine has no offsets
        if (w.letters.size() != 1 || !value)
            return Refuse(value || w.letters.size() != 1 ? ProgramCode::UNKNOWN_WORD
                                                         : ProgramCode::BAD_NUMBER,
                          text, line, out);
        const char letter = w.letters[0];
        const int whole = static_cast<int>(*value);
        const bool integral = *value == whole && !HasPoint(w);
        if (letter == 'N' || (letter == 'O' && m_family == ProgramFamily::FANUC)) continue;
        if (letter == 'G' && integral) {
            if (whole == 0 || whole == 1) {
                motion = whole;
            } else if (whole == 4) {
                dwell = true;
            } else if (whole == 53) {
                machineCoordinates = true;
            } else if (whole == 91) {
                return Refuse(ProgramCode::RELATIVE, text, line, out);
            } else if (whole != 53 && whole != 90 && whole != 94 && !UnitWord(whole)) {
                return Refuse(ProgramCode::UNKNOWN_WORD, text, line, out);
            }
        } else if (letter == 'M' && integral && (whole == 2 || whole == 30)) {
            m_ended = true;
        } else if (dwell && letter == 'P') {
            // LinuxCNC and grbl: seconds; Fanuc: milliseconds.
            seconds = m_family == ProgramFamily::FANUC ? *value / 1000 : *value;
        } else if (dwell && letter == 'X' && m_family == ProgramFamily::FANUC) {
            seconds = Scaled(w, *value, 0.001);
        } else if (dwell && letter == 'F' && m_family == ProgramFamily::SIEMENS) {
            seconds = *value;
        } else if (dwell && letter == 'S' && m_family == ProgramFamily::SIEMENS) {
            return Refuse(ProgramCode::SPINDLE_DWELL, text, line, out);
        } else if (letter == 'F') {
            m_feedMm = *value * (m_feedInch ? kMmPerInch : 1);
        } else if (letter == m_axis) {
            const double length = Scaled(w, *value, m_geometryInch ? 0.0001 : 0.001);
            target = length * (m_geometryInch ? kMmPerInch : 1);
        } else if (std::string("XYZABCUVW").find(letter) != std::string::npos) {
            return Refuse(ProgramCode::OTHER_AXIS, text, line, out);
        } else {
            return Refuse(ProgramCode::UNKNOWN_WORD, text, line, out);
        }
    }
    if (dwell) {
        if (!seconds) return Refuse(ProgramCode::UNKNOWN_WORD, "G4", line, out);
        ProgramStep step;
        step.kind = ProgramStep::DWELL;
        step.seconds = *seconds;
        step.line = line;
        out.steps.push_back(step);
        return true;
    }
    if (motion >= 0) m_motion = motion;
    if (!target) return true;
    // Fanuc's G53 positions at rapid traverse by itself, whatever the modal
    // motion, and leaves that motion as it was.
    if (m_family == ProgramFamily::FANUC && machineCoordinates && motion < 0) {
        ProgramStep rapid;
        rapid.positionMm = *target;
        rapid.line = line;
        out.steps.push_back(rapid);
        return true;
    }
    if (m_motion < 0) return Refuse(ProgramCode::UNKNOWN_WORD, std::string(1, m_axis), line, out);
    if (m_motion == 1 && !m_feedMm) return Refuse(ProgramCode::NO_FEED, "", line, out);
    ProgramStep step;
    step.positionMm = *target;
    step.feedMmPerMin = m_motion == 1 ? *m_feedMm : 0;
    step.line = line;
    out.steps.push_back(step);
    return true;
}

}  // namespace

ProgramReading ReadProgram(const std::string& text, ProgramFamily family, char axis) {
    ProgramReading out;
    CReader reader(family, axis);
    std::size_t line = 0, from = 0;
    while (from <= text.size() && !reader.Ended()) {
        std::size_t to = text.find('\n', from);
        if (to == std::string::npos) to = text.size();
        ++line;
        std::string block = WithoutComments(text.substr(from, to - from));
        if (!block.empty() && block.back() == '\r') block.pop_back();
        from = to + 1;
        if (block == "%") continue;
        if (!reader.Block(block, line, out)) return out;
    }
    if (!reader.Ended()) {
        out.status = Status<ProgramCode>(ProgramCode::NO_END);
        out.line = line;
    }
    return out;
}

bool ProgramFamilyFromName(const std::string& name, ProgramFamily& family) {
    const struct {
        const char* name;
        ProgramFamily family;
    } kFamilies[] = {{"linuxcnc", ProgramFamily::LINUXCNC},
                     {"grbl", ProgramFamily::GRBL},
                     {"fanuc", ProgramFamily::FANUC},
                     {"siemens", ProgramFamily::SIEMENS}};
    for (const auto& f : kFamilies) {
        if (name == f.name) {
            family = f.family;
            return true;
        }
    }
    return false;
}

}  // namespace pitchwise
