// Builds a dialog's controls from its template, in tab order.
#pragma once

#include <functional>

#include "dialog_qt.h"
#include "dialog_template.h"

// Creates the template's controls on `window`, placed by `base`, and records
// them in `impl`. Push buttons report their number through `onCommand`.
void BuildDialogControls(const DialogTemplate& dialogTemplate, QWidget& window,
                         DialogBaseUnits base, CDialogImpl& impl,
                         const std::function<void(int)>& onCommand);
