// Where a run's start is reached from, and how its readings become one
// column of the table.
//
// On an axis with backlash the carriage stands at a different place for
// the same nominal depending on the direction it last moved. The QSB is
// zeroed at the start, so every reading of a run is relative to the
// carriage at the start in the direction the start was reached from: the
// run's readings tie to that direction's column there, and the start's own
// reading belongs to that direction only.
#pragma once

#include <vector>

#include "comp_table.h"

// One accepted "L606" line: the point's nominal position and its correction
// (commanded minus measured travel since the start).
struct MapEntry {
    double nominal;
    double correction;
};

// A column that holds a measurement: one a run wrote. A column no run has
// measured holds the nominals themselves (no correction).
bool ColumnHoldsMeasurement(const std::vector<CompPoint>& table, bool positive);

// +1 to reach the start moving positive, -1 moving negative, 0 when the
// limits leave no room on either side. Without the table in force the
// start is reached in the direction of the one column that holds a
// measurement, so the run ties to it, and positive when none does (the
// first run of a table goes positive); otherwise from the side the axis
// stands on (positive when it stands at the start).
int ChooseApproachSide(const std::vector<CompPoint>& old, bool compensationInForce,
                       double standing, double start, double minLimit, double maxLimit);

// Whether a run stepping in `direction` from a start reached from
// `approach` can be tied to the table: in its own direction the start is
// its first point; across the reversal the old table must say where the
// approach direction's column puts the start, or the backlash taken up in
// the first step could not be told from the screw's error.
bool RunCanBeTied(const std::vector<CompPoint>& old, bool compensationInForce, int approach,
                  int direction);

// The point passed just before the start: `distance` beyond it on the side
// it is reached from, clamped to the limits.
double ApproachPoint(int side, double start, double distance, double minLimit, double maxLimit);

struct RunReadings {
    double start = 0.0;
    int approach = 1;   // side the start was reached from
    int direction = 1;  // side the run steps to
    bool compensationInForce = false;
    std::vector<MapEntry> entries;  // in run order; entry 0 is the start
};

// The run's column (its direction's), ascending by nominal. Readings are
// actual = base - correction + tie, where the base is the nominal, or the
// table in force when the run refines it, and the tie is where the
// approach direction's column of the old table puts the start. When the
// start was reached from the other side its reading belongs to that side
// only: the run's column at the start lies the first point's distance from
// the approach column there, the backlash between two neighbouring points
// being the same while the screw's error is shared by both columns.
std::vector<RunPoint> RunColumn(const std::vector<CompPoint>& old, const RunReadings& run);
