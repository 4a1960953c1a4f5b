// One mapping run watched from both sides: the fake controller library's
// calls and the simulated QSB's traffic, interleaved with the pauses in one
// log through the recording clock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qsb_simulator.h"
#include "recording_clock.h"

namespace pitchwise {

// How a reading can go wrong at a chosen point.
enum class ReadFault { NONE, GARBLED, SHORT_REPLY, UNPLUGGED };

class CRunRecorder {
  public:
    // Plugs the simulated QSB in as COM1 and opens thePort on it.
    CRunRecorder();
    ~CRunRecorder();
    CRunRecorder(const CRunRecorder&) = delete;
    CRunRecorder& operator=(const CRunRecorder&) = delete;

    // Absolute counts the QSB sees at the readings of points 0, 1, ... (set
    // when the run sends each point's "G4D1", counted on across runs);
    // points beyond read 0. The zeroing takes whatever it sees before.
    void SetCountsAtPoints(std::vector<std::int64_t> counts);
    // The simulated QSB itself, for device behaviour beyond the counts.
    CQsbSimulator& Qsb() { return m_qsb; }
    // The reading at `point` fails in the given way.
    void FailReadingAt(int point, ReadFault fault);

    // Lines passed to Tvx_GCodeLine, refused ones included, in order.
    std::vector<std::string> Lines() const { return m_lines; }
    // Entry names in the order they were called.
    std::vector<std::string> Calls() const { return m_calls; }
    int CallsOf(const std::string& entry) const;
    // The Tvx_Init count the library itself reported last.
    int LibraryInitCount() const { return m_libraryInitCount; }
    // Calls, QSB commands and pauses interleaved: "line G4D1", "poll 0",
    // "qsb R0E0", "pause 500", ...
    std::vector<std::string> Log() const { return m_clock.Log(); }
    // QSB commands the device received, in order.
    std::vector<std::string> QsbCommands() const { return m_qsb.Commands(); }

    void Record(const char* entry, const char* line, int result, int initCount);

  private:
    CQsbSimulator m_qsb;
    CRecordingClock m_clock;
    std::vector<std::int64_t> m_counts;
    int m_faultPoint = -1;
    ReadFault m_fault = ReadFault::NONE;
    int m_point = 0;
    std::vector<std::string> m_lines;
    std::vector<std::string> m_calls;
    int m_libraryInitCount = 0;
};

// The counter value that reads as `position` (nearest count).
std::int64_t CountsFor(double position);

}  // namespace pitchwise
