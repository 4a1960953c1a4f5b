// Dialog units to pixels. The horizontal base unit is taken as the Windows
// dialog manager takes it (the average width of the alphabet); the vertical
// one is the font's full line spacing, so an 8-unit static holds a whole
// line. Both grow where a control's text would not fit, so a layout drawn in
// dialog units for one font never clips its texts in another.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <vector>

namespace pitchwise {

struct DialogTemplate;

struct DialogBaseUnits {
    int x;  // pixels per 4 horizontal dialog units
    int y;  // pixels per 8 vertical dialog units
};

DialogBaseUnits BaseUnitsOf(const QFont& font);

// The rectangle's corners converted one by one, as MapDialogRect does.
QRect DialogUnitsToPixels(const QRect& units, DialogBaseUnits base);

// The smallest base units, from `fontBase` up, at which every control of the
// template is at least as large as `needs` says: needs[i] for control i, 0 in
// a dimension that needs nothing. Scaling the whole layout keeps the
// controls' order, alignment and spacing; a need beyond reach (more than
// four times the font's units) is given up rather than looped on.
DialogBaseUnits FitBaseUnits(const DialogTemplate& dialogTemplate, DialogBaseUnits fontBase,
                             const std::vector<QSize>& needs);

// The narrowest a message box may be for a window manager to show its whole
// title: the title's advance in the (bold) title font plus room for the
// frame's icon and its three buttons, taken as six line heights.
int MessageBoxMinimumWidth(int titleAdvance, int lineHeight);

// a * b / c rounded to the nearest integer, as the Windows MulDiv.
int MulDiv(int a, int b, int c);

}  // namespace pitchwise
