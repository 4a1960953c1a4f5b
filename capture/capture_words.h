// The capture's codes and numbers in the terminal's words: the plan's
// refusals, the live line and what ended a capture. The window words the
// plan's refusals for its fields itself, and takes the rest from here.
#pragma once

#include <cstddef>
#include <string>

#include "capture_progress.h"
#include "capture_session.h"
#include "cycle_plan.h"

namespace pitchwise {

// Naming the command line's options: for pitchwise-capture.
std::string PlanRefusalText(const PlanStatus& status);

// "run 2 of 5, down, target 3 of 9, last deviation 12 counts, 4:10 left".
std::string StandingText(const CapturePlan& plan, const CaptureStanding& standing);

// "run 2 up, target 2 of 3 (X 10.0000)".
std::string StopText(const CapturePlan& plan, std::size_t stop);

// "M:SS".
std::string DurationText(double seconds);

// What ended the capture, without the runs kept (the caller adds where).
std::string CaptureEndText(const CapturePlan& plan, const CaptureReport& report);

}  // namespace pitchwise
