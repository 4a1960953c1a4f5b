#include "part_program.h"

#include "number_text.h"
#include "text.h"

namespace pitchwise {

namespace {

struct DialectWords {
    const char* move;    // a linear move in machine coordinates, the axis word follows
    bool feed;           // the move runs at the programmed feed (else at rapid)
    const char* dwell;   // the dwell word, seconds follow
    bool dwellPoint;     // the seconds need a decimal point
    const char* metric;  // unit codes, for the geometry and the feed alike
    const char* inch;
    bool unitAlone;           // the unit code stands in a block of its own
    const char* modes;        // absolute coordinates, feed per minute
    const char* end;          // end of program
    const char* commentOpen;  // a comment's delimiters
    const char* commentClose;
};

DialectWords WordsOf(Dialect dialect) {
    switch (dialect) {
        case Dialect::GRBL:
            return {"G53 G1", true, "G4 P", false, "G21", "G20", false, "G90 G94", "M2", "(", ")"};
        case Dialect::FANUC:
            // G53 is positioning at rapid traverse; the dwell's X with a
            // decimal point counts seconds under G94.
            return {"G53", false, "G04 X", true, "G21", "G20", true, "G90 G94", "M30", "(", ")"};
        case Dialect::SIEMENS:
            // SUPA suppresses every frame; G710/G700 switch the feed with the
            // geometry (G71/G70 would leave F in the control's basic system);
            // G4 F is seconds, G4 S would count spindle turns.
            return {"SUPA G1", true,      "G4 F", false, "G710", "G700",
                    false,     "G90 G94", "M30",  "; ",  ""};
        case Dialect::LINUXCNC:
            break;
    }
    return {"G53 G1", true, "G4 P", false, "G21", "G20", false, "G90 G94", "M2", "(", ")"};
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

CaptureStatus PartProgram(const CapturePlan& plan, std::string& program) {
    program.clear();
    const CaptureStatus sound = CheckPlan(plan);
    if (!sound) return sound;
    const DialectWords w = WordsOf(plan.dialect);
    const int decimals = Decimals(plan.unit);
    const std::string axis(1, plan.axis);
    std::string& text = program;
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
    comment(w.feed ? "IN MACHINE COORDINATES"
                   : "FOR MILLS, IN MACHINE COORDINATES, G53 MOVES AT RAPID TRAVERSE");
    // No ";" inside: some controls read it as the end of a block.
    comment("START PITCHWISE-CAPTURE RUN FIRST, EVERY STOP DWELLS " +
            ShortNumber(plan.dwell, false) + " S");
    const std::string unit = plan.unit == LengthUnit::MM ? w.metric : w.inch;
    if (w.unitAlone) {
        line(unit);
        line(w.modes);
    } else {
        line(unit + " " + w.modes);
    }
    bool first = true;
    for (const CycleWaypoint& p : CycleWaypoints(plan)) {
        std::string move = std::string(w.move) + " " + axis + FixedText(p.position, decimals);
        if (first && w.feed) move += " F" + ShortNumber(plan.feed, w.dwellPoint);
        first = false;
        line(move);
        line(w.dwell + ShortNumber(p.dwellSeconds, w.dwellPoint));
    }
    line(w.end);
    if (plan.dialect == Dialect::FANUC) line("%");
    return CaptureStatus();
}

}  // namespace pitchwise
