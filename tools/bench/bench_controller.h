// The bench's controller: the command language a mapping run speaks, the
// axis it moves, and a record of every run with the truth beside it.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "axis_model.h"
#include "run_log.h"

namespace pitchwise {

struct BenchBehaviour {
    int refuseLine = 0;                   // refuse the n-th line since Tvx_Init (1-based; 0: none)
    bool failInit = false;                // Tvx_Init reports failure
    std::chrono::milliseconds dwell{20};  // what "G4D1" waits
    std::string runLog;                   // every closed run is appended here (none: empty)
};

// One mapping entry as received, with what it should have been.
struct BenchEntry {
    int point;
    double received;         // the correction the controller was sent
    double commandedTravel;  // axis position less the start, when it arrived
    double axisError;        // real - commanded there, less the same at the start
    double expected;         // the correction that undoes it: -axisError
    double target;           // the machine position commanded
    int approach;            // +1 / -1: how the axis reached it
    std::string time;        // when it was received, UTC
};

struct BenchRun {
    bool initialised = false;      // Tvx_Init reported success
    bool mappingDisabled = false;  // "L600" came first
    bool closed = false;           // "L601" accepted
    bool finished = false;         // Tvx_Finish called
    char axis = 0;
    bool started = false;  // the "G0" move to the start arrived
    double start = 0;
    double startError = 0;  // real - commanded at the start
    int direction = 0;      // of the steps, +1 / -1, from the first step
    std::vector<BenchEntry> entries;
    std::vector<std::string> lines;  // every line received, refused ones marked "!"
    std::string refusal;             // the first refused line and why
};

class CBenchController {
  public:
    using Clock = CAxisModel::Clock;

    CBenchController(CAxisModel& axis, const BenchBehaviour& behaviour);

    // The five entries' answers, as the simulated library returns them.
    int Init();
    int Line(const std::string& line, Clock::time_point now);
    int InMotion(Clock::time_point now) const;
    int Position(Clock::time_point now) const;  // ten-thousandths of a unit
    int Finish();

    const std::vector<BenchRun>& Runs() const { return m_runs; }
    // The runs as appended to the run log, tied, oldest first.
    const std::vector<LoggedRun>& LoggedRuns() const { return m_logged; }

  private:
    enum class Stage { NONE, OPEN, MAPPING, AT_START, CLOSED };

    // Empty when accepted, otherwise why not.
    std::string Accept(const std::string& line, Clock::time_point now);
    std::string AcceptEntry(const std::string& line, Clock::time_point now);
    std::string AcceptMove(const std::string& line, bool rapid, Clock::time_point now);
    // Empty when the closed run is in the run log (or none is kept).
    std::string KeepRun(const BenchRun& run);

    CAxisModel& m_axis;
    BenchBehaviour m_behaviour;
    std::vector<BenchRun> m_runs;
    std::vector<LoggedRun> m_logged;
    Stage m_stage = Stage::NONE;
    int m_linesSinceInit = 0;
};

// Strict readers of the numbers in command lines: an optional minus, digits,
// a point and exactly four decimals; and a plain non-negative integer.
bool ParseFixed4(const std::string& text, double& value);
bool ParseIndex(const std::string& text, int& value);

}  // namespace pitchwise
