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

namespace pitchwise {

// One accepted "L606" line: the point's nominal position and its correction
// (commanded minus measured travel since the start).
struct MapEntry {
    double nominal;
    double correction;
};

// +1 to reach the start moving positive, -1 moving negative, 0 when the
// limits leave no room on either side. Always positive where the limits
// allow: the first run of a table then goes positive and every later run
// ties to the positive column it measured, whichever way it steps.
int ChooseApproachSide(double start, double minLimit, double maxLimit);

// Whether a run stepping from a start reached from `approach` to its
// first point `firstPoint` can be tied to the table. In the approach's own
// direction the start is the run's first point. Across the reversal the
// old table must hold the approach direction's column at the start and the
// first point, or the backlash taken up in the first step could not be
// told from the screw's error; a table in force holds it.
bool RunCanBeTied(const std::vector<CompPoint>& old, bool compensationInForce, int approach,
                  double start, double firstPoint);

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

}  // namespace pitchwise
