// The room a control needs to show its whole text on one line, with the
// chrome its style draws around the text.
#pragma once

#include <QSize>
#include <QStyleOptionButton>

class QCheckBox;
class QPushButton;
class QWidget;

namespace pitchwise {

// The smallest size at which the control's text lies within the style's
// content area: for static texts, push buttons and check boxes the width and
// the height, for edit boxes the height of one line. 0 in a dimension that
// needs nothing (an icon, a drop-down list, an empty text's width).
QSize RoomForText(const QWidget& control);

// The style option the button paints itself with.
QStyleOptionButton PaintOptionOf(const QPushButton& button);
QStyleOptionButton PaintOptionOf(const QCheckBox& box);

}  // namespace pitchwise
