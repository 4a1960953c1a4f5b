#include "program_models.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace pitchwise {

namespace {

struct Word {
    std::string name;  // "G", "X", "F" ...; a keyword (SUPA) whole
    std::string text;  // the number as written
    double value = 0;
    bool point = false;  // written with a decimal point
};

// The block's words with its comments taken out: "(...)" anywhere, or on
// Siemens from ";" to the line's end. False when a comment is left open.
bool Words(Dialect dialect, std::string line, std::vector<Word>& words) {
    if (dialect == Dialect::SIEMENS) {
        line = line.substr(0, line.find(';'));
    } else {
        for (std::size_t open; (open = line.find('(')) != std::string::npos;) {
            const std::size_t close = line.find(')', open);
            if (close == std::string::npos) return false;
            line.erase(open, close - open + 1);
        }
    }
    words.clear();
    std::size_t at = 0;
    while (at < line.size()) {
        if (line[at] == ' ') {
            ++at;
            continue;
        }
        std::size_t end = line.find(' ', at);
        if (end == std::string::npos) end = line.size();
        const std::string token = line.substr(at, end - at);
        at = end;
        Word word;
        std::size_t letters = 0;
        while (letters < token.size() && std::isalpha(static_cast<unsigned char>(token[letters])))
            ++letters;
        if (letters == 0) return false;
        word.name = token.substr(0, letters);
        word.text = token.substr(letters);
        if (!word.text.empty()) {
            char* stop = nullptr;
            word.value = std::strtod(word.text.c_str(), &stop);
            if (*stop != '\0') return false;
            word.point = word.text.find('.') != std::string::npos;
        }
        words.push_back(word);
    }
    return true;
}

struct State {
    LengthUnit unit = LengthUnit::MM;      // of the geometry
    LengthUnit feedUnit = LengthUnit::MM;  // of F
    bool unitSet = false;
    bool absolute = false;   // until G90: a program left G91 in force
    bool perMinute = false;  // until G94: a program left feed per revolution in force
    int motion = -1;         // G0 or G1 once programmed
    double feed = 0;         // per minute, in feedUnit
    bool anyBlock = false;
    bool ended = false;
};

class CModel {
  public:
    CModel(Dialect dialect, char axis, const ControlSetup& setup)
        : m_dialect(dialect), m_axis(axis), m_setup(setup) {
        m_state.unit = m_state.feedUnit = setup.basic;
    }
    // Empty when the block is taken, otherwise why not.
    std::string Block(const std::vector<Word>& words, std::vector<MachineStep>& steps);
    bool Ended() const { return m_state.ended; }

  private:
    std::string Unit(const std::vector<Word>& words);
    std::string Dwell(const std::vector<Word>& words, std::vector<MachineStep>& steps);

    Dialect m_dialect;
    char m_axis;
    ControlSetup m_setup;
    State m_state;
};

bool Is(const Word& w, const char* name, int number) {
    return w.name == name && !w.text.empty() && !w.point && std::atoi(w.text.c_str()) == number;
}

std::string CModel::Unit(const std::vector<Word>& words) {
    const bool fanuc = m_dialect == Dialect::FANUC;
    for (const Word& w : words) {
        const bool g2x = Is(w, "G", 20) || Is(w, "G", 21);
        if (m_dialect != Dialect::SIEMENS && g2x) {
            // Fanuc: G20/G21 alone, in the first block.
            if (fanuc && (words.size() != 1 || m_state.anyBlock))
                return "G20/G21 must stand alone in the program's first block";
            m_state.unit = m_state.feedUnit = Is(w, "G", 20) ? LengthUnit::INCH : LengthUnit::MM;
            m_state.unitSet = true;
        }
        if (m_dialect == Dialect::SIEMENS) {
            // G70/G71 switch the geometry only; F stays in the basic system.
            if (Is(w, "G", 70) || Is(w, "G", 71))
                m_state.unit = Is(w, "G", 70) ? LengthUnit::INCH : LengthUnit::MM;
            if (Is(w, "G", 700) || Is(w, "G", 710)) {
                m_state.unit = m_state.feedUnit =
                    Is(w, "G", 700) ? LengthUnit::INCH : LengthUnit::MM;
            }
        }
    }
    if (fanuc && !m_state.unitSet) return "a block before G20/G21";
    return std::string();
}

std::string CModel::Dwell(const std::vector<Word>& words, std::vector<MachineStep>& steps) {
    double seconds = -1;
    for (const Word& w : words) {
        if (w.name == "G") continue;
        if (m_dialect == Dialect::FANUC && w.name == "X") {
            // Seconds under feed per minute, and only with the point.
            if (!m_state.perMinute) return "G04 X without G94 in force";
            seconds = w.point ? w.value : w.value / 1000.0;
        } else if ((m_dialect == Dialect::LINUXCNC || m_dialect == Dialect::GRBL) &&
                   w.name == "P") {
            seconds = w.value;
        } else if (m_dialect == Dialect::SIEMENS && w.name == "F") {
            seconds = w.value;
        } else {
            return "the dwell's block holds " + w.name + w.text;
        }
    }
    if (words.size() != 2 || seconds < 0) return "a dwell needs its time, alone in its block";
    if (steps.empty()) return "a dwell before any move";
    steps.back().dwellSeconds += seconds;
    return std::string();
}

std::string CModel::Block(const std::vector<Word>& words, std::vector<MachineStep>& steps) {
    if (m_state.ended) return "a block after the end";
    const std::string unit = Unit(words);
    if (!unit.empty()) return unit;
    m_state.anyBlock = true;
    bool machine = false, dwell = false;
    const Word* target = nullptr;
    for (const Word& w : words) {
        if (Is(w, "G", 0) || Is(w, "G", 1)) {
            m_state.motion = static_cast<int>(w.value);
        } else if (Is(w, "G", 4)) {
            dwell = true;
        } else if (Is(w, "G", 90) || Is(w, "G", 91)) {
            m_state.absolute = Is(w, "G", 90);
        } else if (Is(w, "G", 94) || Is(w, "G", 95)) {
            m_state.perMinute = Is(w, "G", 94);
        } else if (Is(w, "G", 53) && m_dialect != Dialect::SIEMENS) {
            machine = true;
        } else if (w.name == "SUPA" && w.text.empty() && m_dialect == Dialect::SIEMENS) {
            machine = true;
        } else if (Is(w, "M", 2) || Is(w, "M", 30)) {
            m_state.ended = true;
        } else if (w.name == std::string(1, m_axis)) {
            target = &w;
        }
    }
    if (dwell) return Dwell(words, steps);
    for (const Word& w : words) {
        const bool unitCode =
            (w.name == "G" && (w.value == 20 || w.value == 21)) ||
            (m_dialect == Dialect::SIEMENS && w.name == "G" &&
             (w.value == 70 || w.value == 71 || w.value == 700 || w.value == 710));
        const bool known =
            unitCode || w.name == "SUPA" || w.name == "M" ||
            (w.name == "G" && (w.value == 0 || w.value == 1 || w.value == 53 || w.value == 90 ||
                               w.value == 91 || w.value == 94 || w.value == 95)) ||
            w.name == std::string(1, m_axis);
        if (w.name == "F") {
            m_state.feed = w.value;
        } else if (!known) {
            return "the control does not take " + w.name + w.text + " here";
        }
    }
    if (target == nullptr) return machine ? "machine coordinates without a move" : std::string();
    // Without G90 the position would be read as a distance from the last.
    if (!m_state.absolute) return "a move without G90 in force";
    double value = target->value;
    if (m_dialect == Dialect::FANUC && !target->point)
        value *= m_state.unit == LengthUnit::MM ? 0.001 : 0.0001;  // least input increments
    MachineStep step;
    step.positionMm =
        value * MillimetresPerUnit(m_state.unit) + (machine ? 0 : m_setup.workOffsetMm);
    if (m_dialect == Dialect::FANUC && machine) {
        step.feedMmPerMinute = 0;  // G53 positions at rapid traverse
    } else if (machine && m_state.motion != 0 && m_state.motion != 1) {
        return "machine coordinates only with G0 or G1";
    } else if (m_state.motion == 1) {
        if (!m_state.perMinute) return "a feed move without G94 in force";
        if (!(m_state.feed > 0)) return "a feed move without F";
        step.feedMmPerMinute = m_state.feed * MillimetresPerUnit(m_state.feedUnit);
    } else if (m_state.motion != 0) {
        return "a move without G0 or G1";
    }
    steps.push_back(step);
    return std::string();
}

}  // namespace

bool RunProgram(Dialect dialect, const std::string& program, char axis, const ControlSetup& setup,
                std::vector<MachineStep>& steps, std::string& why) {
    steps.clear();
    CModel model(dialect, axis, setup);
    std::size_t number = 0;
    bool closed = false;  // Fanuc: the closing "%" seen
    for (std::size_t begin = 0; begin < program.size();) {
        std::size_t end = program.find('\n', begin);
        if (end == std::string::npos) end = program.size();
        std::string line = program.substr(begin, end - begin);
        begin = end + 1;
        ++number;
        auto refuse = [&](const std::string& reason) {
            why = "line " + std::to_string(number) + " (" + line + "): " + reason;
            return false;
        };
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (closed) return refuse("after the closing %");
        if (dialect == Dialect::FANUC) {
            if (number == 1) {
                if (line != "%") return refuse("a tape starts with %");
                continue;
            }
            if (number == 2) {
                if (line.size() != 5 || line[0] != 'O') return refuse("no program number");
                continue;
            }
            if (line == "%") {
                closed = true;
                continue;
            }
        }
        std::vector<Word> words;
        if (!Words(dialect, line, words)) return refuse("not a block");
        if (words.empty()) continue;
        const std::string reason = model.Block(words, steps);
        if (!reason.empty()) return refuse(reason);
    }
    if (!model.Ended()) {
        why = "no end of program";
        return false;
    }
    if (dialect == Dialect::FANUC && !closed) {
        why = "no closing %";
        return false;
    }
    return true;
}

bool FollowsPlan(const std::string& program, const CapturePlan& plan, const ControlSetup& setup,
                 std::string& why) {
    std::vector<MachineStep> steps;
    if (!RunProgram(plan.dialect, program, plan.axis, setup, steps, why)) return false;
    const std::vector<CycleWaypoint> path = CycleWaypoints(plan);
    if (steps.size() != path.size()) {
        why = std::to_string(steps.size()) + " moves, not " + std::to_string(path.size());
        return false;
    }
    const double mm = MillimetresPerUnit(plan.unit);
    const double feed = plan.dialect == Dialect::FANUC ? 0 : plan.feed * mm;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const MachineStep& s = steps[i];
        const std::string at = "move " + std::to_string(i + 1) + ": ";
        if (std::fabs(s.positionMm - path[i].position * mm) > 1e-6) {
            why = at + "at " + std::to_string(s.positionMm) + " mm, not " +
                  std::to_string(path[i].position * mm);
            return false;
        }
        if (std::fabs(s.feedMmPerMinute - feed) > 1e-6 * feed) {
            why = at + "at " + std::to_string(s.feedMmPerMinute) + " mm/min, not " +
                  std::to_string(feed);
            return false;
        }
        if (std::fabs(s.dwellSeconds - path[i].dwellSeconds) > 1e-9) {
            why = at + "dwells " + std::to_string(s.dwellSeconds) + " s, not " +
                  std::to_string(path[i].dwellSeconds);
            return false;
        }
    }
    return true;
}

}  // namespace pitchwise
