// The words of pitchwise-capture for what its layers report: here, and
// only here, the options are named, since the words are the command line's.
#pragma once

#include <string>
#include <vector>

#include "capture_status.h"

namespace pitchwise {

// `arguments` are the command line's (after the program's name), for the
// value a usage error refused.
std::string CaptureMessage(const CaptureStatus& status,
                           const std::vector<std::string>& arguments = {});

}  // namespace pitchwise
