// The capture's progress and end in the terminal's words: the live line and
// what ended a capture (the plan's refusals are worded in capture_messages).
// The window takes these from here too.
#pragma once

#include <cstddef>
#include <string>

#include "capture_progress.h"
#include "capture_session.h"
#include "cycle_plan.h"

namespace pitchwise {

// "run 2 of 5, down, target 3 of 9, last deviation 12 counts, 4:10 left".
std::string StandingText(const CapturePlan& plan, const CaptureStanding& standing);

// "run 2 up, target 2 of 3 (X 10.0000)".
std::string StopText(const CapturePlan& plan, std::size_t stop);

// "M:SS".
std::string DurationText(double seconds);

// What ended the capture, without the runs kept (the caller adds where).
std::string CaptureEndText(const CapturePlan& plan, const CaptureReport& report);

}  // namespace pitchwise
