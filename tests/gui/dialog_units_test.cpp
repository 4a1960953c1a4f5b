// The choice of base units: the font's own, grown just enough for the room
// the controls' texts need, measured through the real corner-by-corner
// conversion.
#include "dialog_units.h"

#include <gtest/gtest.h>

#include <QRect>
#include <QSize>
#include <vector>

#include "dialog_template.h"

namespace pitchwise {

namespace {

// A static 42 units wide and 8 high, and an edit 48 by 14 beside it.
const DialogControl CONTROLS[] = {
    {-1, "Static", "End Position:", 7, 126, 42, 8, 0},
    {1004, "Edit", "", 77, 124, 48, 14, 0},
};
const DialogTemplate LAYOUT = {102, "t", 163, 201, 0, 0, "f", 8, CONTROLS, 2};

TEST(DialogUnits, GrowJustEnoughForTheRoomNeeded) {
    struct Row {
        const char* what;
        DialogBaseUnits font;
        std::vector<QSize> needs;
        DialogBaseUnits expected;
    };
    const Row rows[] = {
        {"nothing needed", {6, 12}, {QSize(0, 0), QSize(0, 0)}, {6, 12}},
        {"no needs given", {6, 12}, {}, {6, 12}},
        // 42 units at 6: 74 - 11 = 63 px; at 7: 86 - 12 = 74 px.
        {"63 px fit at the font's units", {6, 12}, {QSize(63, 0), QSize(0, 0)}, {6, 12}},
        {"64 px need one more", {6, 12}, {QSize(64, 0), QSize(0, 0)}, {7, 12}},
        {"74 px fit at 7", {6, 12}, {QSize(74, 0), QSize(0, 0)}, {7, 12}},
        {"75 px need 8", {6, 12}, {QSize(75, 0), QSize(0, 0)}, {8, 12}},
        // 8 units are one base height; 14 units at 12 are 207 - 186 = 21 px.
        {"a 15 px line in the static", {6, 12}, {QSize(0, 15), QSize(0, 0)}, {6, 15}},
        {"a 22 px edit", {6, 12}, {QSize(0, 0), QSize(0, 22)}, {6, 13}},
        {"the larger of two needs", {6, 12}, {QSize(0, 15), QSize(70, 22)}, {6, 15}},
        {"width and height apart", {6, 12}, {QSize(64, 13), QSize(0, 0)}, {7, 13}},
        {"beyond reach: given up at four times", {6, 12}, {QSize(10000, 10000)}, {24, 48}},
    };
    for (const Row& row : rows) {
        const DialogBaseUnits got = FitBaseUnits(LAYOUT, row.font, row.needs);
        EXPECT_EQ(got.x, row.expected.x) << row.what;
        EXPECT_EQ(got.y, row.expected.y) << row.what;
    }
}

}  // namespace

}  // namespace pitchwise
