#include "map_command.h"

#include <gtest/gtest.h>

namespace pitchwise {

namespace {

struct Row {
    const char* line;
    MapCommandKind kind;
    char axis;
    double value;
    int index;
};

TEST(MapCommandTest, TakesOnlyTheFormsPitchwiseSends) {
    const Row rows[] = {
        {"L600", MapCommandKind::DISABLE_COMPENSATION, 0, 0, 0},
        {"L601", MapCommandKind::END_MAPPING, 0, 0, 0},
        {"L602XX", MapCommandKind::BEGIN_MAPPING, 'X', 0, 0},
        {"L602ZZ", MapCommandKind::BEGIN_MAPPING, 'Z', 0, 0},
        {"L602XY", MapCommandKind::UNKNOWN, 0, 0, 0},   // letters differ
        {"L602AA", MapCommandKind::UNKNOWN, 0, 0, 0},   // not an axis
        {"L602XXX", MapCommandKind::UNKNOWN, 0, 0, 0},  // trailing text
        {"L602X", MapCommandKind::UNKNOWN, 0, 0, 0},
        {"G0X0.0000", MapCommandKind::MOVE_TO_START, 'X', 0.0, 0},
        {"G0Y-12.5000", MapCommandKind::MOVE_TO_START, 'Y', -12.5, 0},
        {"G1X-2.0000", MapCommandKind::STEP, 'X', -2.0, 0},
        {"G1Z7", MapCommandKind::STEP, 'Z', 7.0, 0},
        {"G1X", MapCommandKind::UNKNOWN, 0, 0, 0},
        {"G1X1.", MapCommandKind::UNKNOWN, 0, 0, 0},
        {"G1X1e3", MapCommandKind::UNKNOWN, 0, 0, 0},  // no exponents
        {"G1Xinf", MapCommandKind::UNKNOWN, 0, 0, 0},
        {"G1X1,5000", MapCommandKind::UNKNOWN, 0, 0, 0},  // a locale's comma
        {"G1 X1.0000", MapCommandKind::UNKNOWN, 0, 0, 0},
        {"G2X1.0000", MapCommandKind::UNKNOWN, 0, 0, 0},
        {"G4D1", MapCommandKind::DWELL, 0, 0, 0},
        {"G4D2", MapCommandKind::UNKNOWN, 0, 0, 0},
        {"L606 N0 V0", MapCommandKind::ENTRY, 0, 0.0, 0},
        {"L606 N12 V-0.0031", MapCommandKind::ENTRY, 0, -0.0031, 12},
        {"L606 N-1 V0", MapCommandKind::UNKNOWN, 0, 0, 0},
        {"L606 N3V0", MapCommandKind::UNKNOWN, 0, 0, 0},
        {"L606 N3 V", MapCommandKind::UNKNOWN, 0, 0, 0},
        {"L606 N1234567890 V0", MapCommandKind::UNKNOWN, 0, 0, 0},  // index overflow
        {"", MapCommandKind::UNKNOWN, 0, 0, 0},
        {"l600", MapCommandKind::UNKNOWN, 0, 0, 0},
        {"M2", MapCommandKind::UNKNOWN, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        MapCommand command = ParseMapCommand(row.line);
        EXPECT_EQ(command.kind, row.kind);
        if (row.kind == MapCommandKind::UNKNOWN) continue;
        EXPECT_EQ(command.axis, row.axis);
        EXPECT_DOUBLE_EQ(command.value, row.value);
        EXPECT_EQ(command.index, row.index);
    }
}

TEST(MapCommandTest, NullLineIsUnknown) {
    EXPECT_EQ(ParseMapCommand(nullptr).kind, MapCommandKind::UNKNOWN);
}

}  // namespace

}  // namespace pitchwise
