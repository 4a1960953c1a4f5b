// Builds a dialog's controls from its template, in tab order, and places
// them.
#pragma once

#include <functional>

#include "dialog_qt.h"
#include "dialog_template.h"

namespace pitchwise {

// Creates the template's controls on `window` and records them in `impl`.
// Push buttons report their number through `onCommand`.
void BuildDialogControls(const DialogTemplate& dialogTemplate, QWidget& window, CDialogImpl& impl,
                         const std::function<void(int)>& onCommand);

// Chooses the base units, from the font's own up to those at which every
// control's text fits, keeps them in `impl` and places the controls there.
void PlaceDialogControls(const DialogTemplate& dialogTemplate, DialogBaseUnits fontBase,
                         CDialogImpl& impl);

}  // namespace pitchwise
