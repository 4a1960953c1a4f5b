// Dialog units to pixels, as the Windows dialog manager converts them: the
// base units come from the dialog font actually used (the average width of
// the alphabet and the character height), so a layout drawn in dialog units
// keeps its proportions whatever font stands in.
#pragma once

#include <QFont>
#include <QRect>

struct DialogBaseUnits {
    int x;  // pixels per 4 horizontal dialog units
    int y;  // pixels per 8 vertical dialog units
};

DialogBaseUnits BaseUnitsOf(const QFont& font);

// The rectangle's corners converted one by one, as MapDialogRect does.
QRect DialogUnitsToPixels(const QRect& units, DialogBaseUnits base);

// The font that stands in for the templates' dialog font at `points`, sized
// for the given vertical resolution.
QFont DialogFont(int points, int dotsPerInch);

// a * b / c rounded to the nearest integer, as the Windows MulDiv.
int MulDiv(int a, int b, int c);
