// The toolkit's life and the application-wide resources of the Qt front end.
#pragma once

#include <QIcon>
#include <QString>

namespace pitchwise {

// False, after saying so in one line on standard error, when nothing tells
// the toolkit where to open windows: no X display, no Wayland display and no
// platform chosen by hand.
bool HaveDisplay();

// Ends what InitUserInterface started; call after the main dialog ended.
void EndUserInterface();

// The executable's file name without folder and extension.
QString ApplicationName();

// Icon resource `iconId` in all its sizes; a null icon for unknown numbers.
QIcon ResourceIcon(int iconId);

}  // namespace pitchwise
