// One capture: find the QSB, wait for the cycle's start, zero at the first
// target, then read one exchange after another and feed the trigger until
// the plan is done, a target is missed or the operator stops it. Each
// completed run (up and down) is appended to the run log at once, so what
// was completed stays whatever ends the capture.
#pragma once

#include <string>

#include "capture_progress.h"
#include "cycle_plan.h"
#include "status.h"

namespace pitchwise {

struct CaptureSettings {
    int port = 0;  // 0: scan COM1 to COM7
    std::string logPath;
    double window = 1;
    int bandCounts = 3;
    bool tableInForce = false;
};

// What ended a capture, with its numbers:
enum class CaptureEnd {
    OK,           // every stop of every run captured
    STOPPED,      // by the operator
    MISSED,       // the stop's index, the MissedReason, the counts where the axis stood
    NO_QSB,       // the port asked for (0: COM1 to COM7 scanned)
    QSB_SILENT,   // readings missed in a row: the QSB stopped answering, or was unplugged
    LOG_REFUSED,  // the subject is the run log's reason
};

struct CaptureReport {
    Status<CaptureEnd> status;
    int runsLogged = 0;  // cycle runs, each one up and one down
};

// Runs one capture, telling `progress` as it goes; it stops at the next
// reading once `progress` asks it to.
CaptureReport RunCapture(const CapturePlan& plan, const CaptureSettings& settings,
                         CaptureProgress& progress);

}  // namespace pitchwise
