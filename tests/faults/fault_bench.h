// The operator's side and the controller's side of one faulty session.
//
// The real main dialog's handlers run against the recording dialog, the
// simulated QSB answers on a real pty during each recorded pause, and the
// controller library forwards every call here, where the test decides the
// answer and may make the QSB misbehave at a chosen command line.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pitchwise_dlg.h"
#include "qsb_simulator.h"
#include "recording_clock.h"
#include "recording_dialog.h"

namespace pitchwise {

class CFaultBench {
  public:
    CFaultBench();
    ~CFaultBench();
    CFaultBench(const CFaultBench&) = delete;
    CFaultBench& operator=(const CFaultBench&) = delete;

    // --- the operator ------------------------------------------------------
    void FindQsb() { m_dialog.OnFindQsb(); }
    void SetZero() { m_dialog.OnSetZero(); }
    // Create with the given field texts (the defaults after Find QSB are
    // X, 0.000, 1.000, 1.000, box checked).
    void Create();
    void SetField(int id, const char* text) { m_dialog.SetDlgItemText(id, text); }
    std::string Text(int id) { return Recorded(m_dialog).controls[id].text; }
    bool Enabled(int id) { return Recorded(m_dialog).controls[id].enabled; }
    // Every message box shown so far, in order.
    const std::vector<std::string>& Messages() { return Recorded(m_dialog).messages; }

    // --- the controller ----------------------------------------------------
    // Lines passed to Tvx_GCodeLine since the last Create began, refused
    // ones included.
    const std::vector<std::string>& Lines() const { return m_lines; }
    // Entries called since the last Create began, in order.
    const std::vector<std::string>& Calls() const { return m_calls; }
    int CallsOf(const std::string& entry) const;

    // What Tvx_Init returns (1 by default).
    void SetInitResult(int result) { m_initResult = result; }
    // Refuses every line for which the predicate is true; nullptr accepts all.
    void RefuseLines(std::function<bool(const std::string&)> refuse) {
        m_refuse = std::move(refuse);
    }
    // Runs `action` once, when the controller receives the n-th (1-based)
    // line equal to `line` within a Create, before the line is answered.
    void AtLine(const std::string& line, int n, std::function<void()> action);

    // --- the QSB -----------------------------------------------------------
    CQsbSimulator& Qsb() { return m_qsb; }
    CRecordingClock& Clock() { return m_clock; }

    // Called by the library's forwarder.
    int Answer(const char* entry, const char* line);

  private:
    struct Trigger {
        std::string line;
        int n;
        std::function<void()> action;
    };

    CQsbSimulator m_qsb;
    CRecordingClock m_clock;
    CPitchwiseDlg m_dialog;
    std::vector<std::string> m_lines;
    std::vector<std::string> m_calls;
    int m_initResult = 1;
    std::function<bool(const std::string&)> m_refuse;
    std::vector<Trigger> m_triggers;
};

// The QSB's count after `travel` units from its zero: the nearest count.
std::int64_t CountsAt(float travel);

// The entry for `point` of a default run (increment 1).
std::string EntryLine(int point);

// The lines of a complete default run (X, 0 to `end` by 1, box checked) when
// the QSB reads exactly the commanded travel at every point.
std::vector<std::string> DefaultRunLines(int end);

// The lines from `lines` up to and including the first equal to `last`.
std::vector<std::string> LinesUpTo(const std::vector<std::string>& lines, const std::string& last);

}  // namespace pitchwise
