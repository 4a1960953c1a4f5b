// The run log: every completed mapping run's points, one CSV line each,
// appended run by run and never rewritten. This file holds the records and
// their text form only; run_log_file.h appends them to disk.
//
//   run,measurement,time,axis,direction,table_in_force,points,point,target,
//   correction,approach,deviation,unit      (one line)
//
// `unit` is "mm" or "inch", empty for runs that were logged before the log
// said it. Logs written before it existed have the header without it and
// are read alike, every run's unit unknown; the first append upgrades them.
// One header line first; lines starting with '#' are comments. A run is the
// lines with one run number, `points` of them, numbered 0 to points - 1. The
// runs of one measurement share one reference (run_tie.h).
#pragma once

#include <string>
#include <vector>

#include "length_unit.h"
#include "status.h"

namespace pitchwise {

enum class Direction { UP, DOWN };  // moving positive, moving negative

struct LoggedPoint {
    int point = 0;
    std::string time;       // when it was read, UTC, "YYYY-MM-DDTHH:MM:SSZ"
    double target = 0;      // machine position, length unit
    double correction = 0;  // as sent: commanded minus measured travel from the run's start
    Direction approach = Direction::UP;  // how the axis reached it
    double deviation = 0;                // actual minus target, on the measurement's one reference
};

struct LoggedRun {
    int run = 0;          // 1, 2, ... in the order measured
    int measurement = 0;  // 1, 2, ...: runs on one reference share it
    char axis = 'X';
    Direction direction = Direction::UP;    // of the run's steps
    bool tableInForce = false;              // a verification run, measured through a table
    LengthUnit unit = LengthUnit::UNKNOWN;  // of its lengths; unknown in logs that did not say
    std::vector<LoggedPoint> points;        // point 0 is the start
};

extern const char* const RUN_LOG_HEADER;  // without the line end
// The header of logs written before the unit was: read, never written.
extern const char* const RUN_LOG_HEADER_WITHOUT_UNIT;

// The lines of one run, each ending in '\n'.
std::string FormatRun(const LoggedRun& run);

struct RunLogReading {
    std::vector<LoggedRun> runs;
    std::vector<std::string> warnings;  // what was skipped, and why
    bool withoutUnit = false;           // the older header: no unit column
};

enum class RunLogCode {
#define PITCHWISE_RUN_LOG_CODE(name) name,
#include "run_log_codes.def"
#undef PITCHWISE_RUN_LOG_CODE
};
using RunLogStatus = Status<RunLogCode>;

// The code's name, as in the code ("BAD_AXIS"), for tests and notes.
const char* RunLogCodeName(RunLogCode code);
// The refusal in words, for a program's message or a library's log.
std::string RunLogMessage(const RunLogStatus& status);

// Reads a whole log. A last line cut short (no line end) and a run with
// fewer points than it declares are skipped with a warning, as a crash in
// the middle of an append leaves them; anything else malformed refuses the
// log, with the line number as the status's first number.
RunLogStatus ParseRunLog(const std::string& text, RunLogReading& reading);
// The same, with the refusal in words in `error`.
bool ParseRunLog(const std::string& text, RunLogReading& reading, std::string& error);

// A log without the unit column, of whole lines, in the present form: the
// header replaced, every run's unit empty (unknown), comments kept.
std::string WithUnitColumn(const std::string& text);

// "up" / "down".
const char* DirectionName(Direction direction);

}  // namespace pitchwise
