// One capture: find the QSB, wait for the cycle's start, zero at the first
// target, then read one exchange after another and feed the trigger until
// the plan is done, a target is missed or the operator stops it. Each
// completed run (up and down) is appended to the run log at once, so what
// was completed stays whatever ends the capture.
#pragma once

#include <csignal>
#include <functional>
#include <string>

#include "cycle_plan.h"

namespace pitchwise {

struct CaptureSettings {
    int port = 0;  // 0: scan COM1 to COM7
    std::string logPath;
    double window = 1;
    int bandCounts = 3;
    bool tableInForce = false;
};

enum class CaptureOutcome { FINISHED, STOPPED, MISSED, NO_QSB, QSB_SILENT, LOG_REFUSED };

struct CaptureReport {
    CaptureOutcome outcome = CaptureOutcome::FINISHED;
    int runsLogged = 0;   // cycle runs, each one up and one down
    std::string message;  // what ended it, for the operator
};

// `progress` receives the live line after every reading, `note` each line
// worth keeping (the QSB found, the zero, each run logged). The capture
// stops at the next reading once `stopRequested` is set.
CaptureReport RunCapture(const CapturePlan& plan, const CaptureSettings& settings,
                         const std::function<void(const std::string&)>& progress,
                         const std::function<void(const std::string&)>& note,
                         const volatile std::sig_atomic_t& stopRequested);

}  // namespace pitchwise
