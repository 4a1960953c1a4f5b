// Reads a part program of the linear test cycle as a machine would: its
// moves and dwells, for the simulated machine that runs it. Only what such
// a program says is understood (units, absolute coordinates, machine
// coordinates, linear and rapid moves on one axis, dwells, the end);
// anything else is refused with its line, so a program the simulator runs
// is one a machine would run the same way. Pure: text in, steps out.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "status.h"

namespace pitchwise {

enum class ProgramFamily { LINUXCNC, GRBL, FANUC, SIEMENS };

struct ProgramStep {
    enum Kind { MOVE, DWELL } kind = MOVE;
    double positionMm = 0;    // MOVE: where the axis goes, in millimetres
    double feedMmPerMin = 0;  // MOVE: 0 for a rapid move
    double seconds = 0;       // DWELL
    std::size_t line = 0;     // 1-based, for what the runner prints
};

enum class ProgramCode {
    OK,
    UNKNOWN_WORD,   // subject: the word
    OTHER_AXIS,     // subject: the axis letter
    NO_FEED,        // a linear move before any feed
    RELATIVE,       // incremental coordinates
    SPINDLE_DWELL,  // a dwell counted in spindle turns
    BAD_NUMBER,     // subject: the word
    NO_END,         // the program never ends
};

struct ProgramReading {
    Status<ProgramCode> status;
    std::size_t line = 0;  // where it was refused
    std::vector<ProgramStep> steps;
};

// The program of `axis` ('X', 'Y' or 'Z') as `family` reads it. Inch
// programs are converted to millimetres, the feed as the family's unit
// words switch it (a Siemens G70 switches the geometry only, so its feed
// stays in the control's metric basic system).
ProgramReading ReadProgram(const std::string& text, ProgramFamily family, char axis);

bool ProgramFamilyFromName(const std::string& name, ProgramFamily& family);

}  // namespace pitchwise
