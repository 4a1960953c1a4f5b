// The Qt front end's state behind CDialog, for the front end's own files and
// the GUI tests.
#pragma once

#include <QString>
#include <utility>
#include <vector>

#include "dialog.h"
#include "dialog_units.h"

class QDialog;
class QWidget;

namespace pitchwise {

class CDialogWindow;

struct DialogItem {
    int id;  // IDC_STATIC (-1) for the texts and the icon
    QWidget* widget;
};

struct CDialogImpl {
    CDialogWindow* window = nullptr;                       // exists while DoModal runs
    std::vector<DialogItem> items;                         // in the template's (tab) order
    std::vector<std::pair<unsigned, QString>> systemMenu;  // appended commands
    DialogBaseUnits baseUnits{0, 0};
    int defaultCommand = 0;  // the default push button's number; 0 when none
    int result = 0;
    bool endedEarly = false;  // EndDialog before the modal run began
};

// The running dialog's window; nullptr outside DoModal.
QDialog* DialogWindow(const CDialog& dialog);

// The first control with this number; nullptr when there is none.
QWidget* DialogItemWidget(const CDialog& dialog, int id);

}  // namespace pitchwise
