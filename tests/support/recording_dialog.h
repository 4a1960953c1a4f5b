// The tests' implementation of CDialog: it keeps every control's state in
// memory and records the message boxes, so handlers run with no window.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "dialog.h"

namespace pitchwise {

struct RecordedControl {
    std::string text;
    bool enabled = false;
    bool checked = false;
    std::vector<std::string> entries;  // combo box entries
    int selection = -1;
};

struct CDialogImpl {
    std::map<int, RecordedControl> controls;
    std::vector<std::string> messages;    // message boxes, in order
    std::vector<int> enableOrder;         // ids passed to EnableDlgItem(…, true)
    std::vector<int> textReads;           // ids passed to GetDlgItemText, in order
    std::vector<std::string> systemMenu;  // appended system-menu items
    int waitDepth = 0;                    // BeginWaitCursor calls not yet ended
    int waitBegins = 0;                   // BeginWaitCursor calls in all
    std::vector<int> messageWaitDepths;   // waitDepth as each message box came up
    int icon = 0;
    int result = 0;
    bool ended = false;
};

// The recorded state of a dialog built against the recording front end.
CDialogImpl& Recorded(CDialog& dialog);

}  // namespace pitchwise
