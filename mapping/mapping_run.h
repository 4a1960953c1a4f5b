// One mapping run through the controller's motion-control library.
#pragma once

namespace pitchwise {

enum MapResult {
    MAP_DONE = 0,            // the run completed
    MAP_NO_LIBRARY = 1,      // the motion-control library failed to load
    MAP_NO_ENTRY = 2,        // at least one of its five entries is missing
    MAP_INIT_FAILED = 3,     // its initialisation entry reported failure
    MAP_COMMAND_FAILED = 4,  // the controller refused a command line
    MAP_READ_FAILED = 5,     // the QSB gave no valid reading: nothing is written for it
    MAP_ZERO_FAILED = 6,     // the QSB did not read zero just after zeroing
};

constexpr unsigned MOTION_POLL_MS = 100;

// How far, in QSB counts, the reading just after zeroing may lie from zero.
constexpr int QSB_ZERO_TOLERANCE_COUNTS = 10;

// Moves the axis to start, zeroes the QSB, then steps towards end by
// increment (> 0), sending one mapping entry per point. Blocks until done.
MapResult RunMapping(char axis, float start, float end, float increment, bool disableFirst);

// Number of steps after the first point: |end - start| / increment truncated
// towards zero; -1 when the quotient is not a number or exceeds an int32.
int MappingStepCount(float start, float end, float increment);

// True when a reading taken at rest just after zeroing shows the zero took.
bool ZeroReadingAccepted(float position);

}  // namespace pitchwise
