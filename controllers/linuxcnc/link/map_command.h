// The command lines Pitchwise sends, taken apart. Only the exact forms it
// formats are accepted; anything else is UNKNOWN and refused.
#pragma once

namespace pitchwise {

enum class MapCommandKind {
    UNKNOWN,
    DISABLE_COMPENSATION,  // "L600"
    BEGIN_MAPPING,         // "L602XX"
    MOVE_TO_START,         // "G0X12.3456"
    DWELL,                 // "G4D1"
    ENTRY,                 // "L606 N3 V0.0012"
    STEP,                  // "G1X-2.0000"
    END_MAPPING,           // "L601"
};

struct MapCommand {
    MapCommandKind kind = MapCommandKind::UNKNOWN;
    char axis = 0;       // BEGIN_MAPPING, MOVE_TO_START, STEP
    double value = 0.0;  // MOVE_TO_START, STEP: position; ENTRY: correction
    int index = 0;       // ENTRY
};

MapCommand ParseMapCommand(const char* line);

}  // namespace pitchwise
