#include "part_program.h"

#include <charconv>
#include <cmath>

#include "number_text.h"
#include "text.h"

namespace pitchwise {

namespace {

struct DialectWords {
    const char* move;    // linear move at feed
    const char* dwell;   // the dwell word, seconds follow
    bool dwellPoint;     // the seconds need a decimal point
    const char* metric;  // unit codes
    const char* inch;
    const char* modes;        // absolute coordinates, feed per minute
    const char* end;          // end of program
    const char* commentOpen;  // a comment's delimiters
    const char* commentClose;
};

DialectWords WordsOf(Dialect dialect) {
    switch (dialect) {
        case Dialect::GRBL:
            return {"G1", "G4 P", false, "G21", "G20", "G90 G94", "M2", "(", ")"};
        case Dialect::FANUC:
            // G94 is left out: on a lathe it is a cycle, not a feed mode; the
            // dwell's X with a decimal point is in seconds.
            return {"G01", "G04 X", true, "G21", "G20", "G90", "M30", "(", ")"};
        case Dialect::SIEMENS:
            // G4 F is seconds; G4 S would count spindle turns.
            return {"G1", "G4 F", false, "G71", "G70", "G90 G94", "M30", "; ", ""};
        case Dialect::LINUXCNC:
            break;
    }
    return {"G1", "G4 P", false, "G21", "G20", "G90 G94", "M2", "(", ")"};
}

int Decimals(LengthUnit unit) {
    return unit == LengthUnit::MM ? 3 : 4;
}

// A number as short as it can be written, with a point where the dialect
// would otherwise read milliseconds.
std::string ShortNumber(double value, bool point) {
    std::string text = FixedText(value, 3);
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.' && !point) text.pop_back();
    return text;
}

}  // namespace

std::string PartProgram(const CapturePlan& plan) {
    const DialectWords w = WordsOf(plan.dialect);
    const int decimals = Decimals(plan.unit);
    const std::string axis(1, plan.axis);
    std::string text;
    auto line = [&text](const std::string& block) { text += block + "\n"; };
    auto comment = [&](const std::string& what) {
        line(std::string(w.commentOpen) + what + w.commentClose);
    };

    if (plan.dialect == Dialect::FANUC) {
        line("%");
        line("O1000");
    }
    comment("PITCHWISE-CAPTURE TEST CYCLE " + axis + " " +
            FixedText(plan.targets.front(), decimals) + " TO " +
            FixedText(plan.targets.back(), decimals) + ", " + std::to_string(plan.targets.size()) +
            " TARGETS, " + Upper(Counted(plan.runs, "run", "runs")));
    // No ";" inside: some controls read it as the end of a block.
    comment("START PITCHWISE-CAPTURE RUN FIRST, EVERY STOP DWELLS " +
            ShortNumber(plan.dwell, false) + " S");
    line(std::string(plan.unit == LengthUnit::MM ? w.metric : w.inch) + " " + w.modes);
    bool first = true;
    for (const CycleWaypoint& p : CycleWaypoints(plan)) {
        std::string move = std::string(w.move) + " " + axis + FixedText(p.position, decimals);
        if (first) {
            move += " F" + ShortNumber(plan.feed, w.dwellPoint);
            first = false;
        }
        line(move);
        line(w.dwell + ShortNumber(p.dwellSeconds, w.dwellPoint));
    }
    line(w.end);
    if (plan.dialect == Dialect::FANUC) line("%");
    return text;
}

}  // namespace pitchwise
