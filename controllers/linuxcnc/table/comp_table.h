// LinuxCNC's compensation file of type 0: per line the nominal position,
// the actual position when moving positive and when moving negative.
#pragma once

#include <string>
#include <vector>

namespace pitchwise {

constexpr std::size_t COMP_TABLE_MAX = 256;  // LinuxCNC's limit per joint

struct CompPoint {
    double nominal;
    double positive;
    double negative;
};

// Reads lines of three numbers, stopping at the first line that is not, as
// LinuxCNC's loader does.
std::vector<CompPoint> ParseCompTable(const std::string& text);

// Whether LinuxCNC reads `text` as it stands: three finite numbers on every
// line, nominals ascending, at most 256 lines. Its loader stops quietly at
// the first other line (a header, a comment, a blank line before more
// points), so everything after it would be lost without a word. False with
// the line and the reason; blank lines at the end are harmless.
bool CheckCompTableText(const std::string& text, std::string& why);

// Numbers only, ascending nominals: a header line would end LinuxCNC's
// reading there.
std::string FormatCompTable(const std::vector<CompPoint>& table);

// The actual position of one direction's column at a nominal, linearly
// between points and held at the ends; the nominal itself for an empty table.
double ActualAt(const std::vector<CompPoint>& table, bool positive, double nominal);

// One run's measured actual positions, ascending by nominal.
struct RunPoint {
    double nominal;
    double actual;
};

// The table after a run in one direction. Nominals are the union of the old
// table's and the run's. The run's column takes the run's values inside the
// run's range and keeps the old ones outside it; the other column keeps its
// old values and is interpolated at nominals new to it (no correction when
// the old table is empty).
std::vector<CompPoint> MergeRun(const std::vector<CompPoint>& old, const std::vector<RunPoint>& run,
                                bool positive);

// Where the run's points meet old points kept beside them, the change of
// correction between the neighbours must stay within their spacing times
// `ratio`, as between the run's own points. False with the reason.
bool JunctionsWithinSlope(const std::vector<CompPoint>& table, const std::vector<RunPoint>& run,
                          bool positive, double ratio, std::string& why);

// Writes the table through a temporary file that takes the previous file's
// mode and owner (0644 for a first table), keeps the previous file as
// `path`.bak, and renames the new one into place, so a table exists at
// every moment. False with a reason on failure; the old file then stays.
bool WriteCompTable(const std::string& path, const std::vector<CompPoint>& table,
                    std::string& error);

}  // namespace pitchwise
