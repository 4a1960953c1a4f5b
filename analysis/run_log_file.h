// The run log on disk: read whole, appended to one run at a time.
#pragma once

#include <string>
#include <vector>

#include "run_log.h"

namespace pitchwise {

// Reads and parses the log at `path`; a missing file is an empty log.
bool ReadRunLogFile(const std::string& path, RunLogReading& reading, std::string& error);

// Ties `run` to the latest measurement of its axis in the log at `path`
// and fills its run and measurement numbers and its deviations. A run
// begins a new measurement, as its reference, when asked to (`fresh`: the
// machine lost its reference, as a restart does), when it has other targets
// or when there is none yet. The run is then appended whole; the log is created with its header
// when missing. Returns only once the run is on the disk (fsync), so a run acknowledged is a run
// kept. The bytes of a line a crash cut short are dropped first, so the new
// run begins on a line of its own. Refuses, and writes nothing, when the log
// cannot be read or the run cannot be tied. A `comment`, when given, goes
// on a line of its own ("# ...") just before the run, in the same append.
bool AppendRunToLog(const std::string& path, LoggedRun& run, bool fresh, std::string& error,
                    const std::string& comment = std::string());

// As above, with the choice of a new measurement made under the log's lock,
// on the runs the append follows: the run begins one when the latest
// measurement's last point was read before `referenceSince` (seconds since
// 1970; the machine lost its reference then, as a restart of its
// controller does). `runs` receives the log as it stands after the append,
// so the caller need not read it again.
bool AppendRunToLog(const std::string& path, LoggedRun& run, double referenceSince,
                    std::vector<LoggedRun>& runs, std::string& error);

// The present time in the log's form: UTC, to the second.
std::string RunLogTimeNow();

// Seconds since 1970 of a time in the log's form; -1 when it is not one.
double RunLogTimeSeconds(const std::string& text);

}  // namespace pitchwise
