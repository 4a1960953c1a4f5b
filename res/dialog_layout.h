// The one description of both dialogs, read by the Qt front end through
// app/dialog_template.h and by the resource compiler for the Windows build.
//
// Each control row: ROW(id, class, text, x, y, width, height, style), in tab
// order, positions in dialog units. `class` is the Windows window class; the
// style holds every bit beyond WS_CHILD | WS_VISIBLE.
#ifndef PITCHWISE_DIALOG_LAYOUT_H
#define PITCHWISE_DIALOG_LAYOUT_H

#include "dialog_styles.h"
#include "resource.h"

#define PW_MAIN_TITLE "Pitchwise v2.2"
#define PW_MAIN_WIDTH 163
#define PW_MAIN_HEIGHT 201
#define PW_MAIN_STYLE                                                                  \
    (PW_DS_SETFONT | PW_DS_MODALFRAME | PW_DS_FIXEDSYS | PW_WS_POPUP | PW_WS_VISIBLE | \
     PW_WS_CAPTION | PW_WS_SYSMENU)
#define PW_MAIN_EXSTYLE PW_WS_EX_APPWINDOW

#define PW_READONLY_BOX \
    (PW_WS_BORDER | PW_ES_AUTOHSCROLL | PW_ES_READONLY | PW_WS_DISABLED | PW_WS_TABSTOP)
#define PW_ENTRY_BOX (PW_WS_BORDER | PW_WS_DISABLED | PW_WS_TABSTOP)

#define PW_MAIN_CONTROLS(ROW)                                                               \
    ROW(IDC_FIND_QSB, "Button", "Find QSB", 7, 7, 50, 14, PW_BS_PUSHBUTTON | PW_WS_TABSTOP) \
    ROW(IDC_QSB_INFO, "Edit", "", 7, 27, 149, 14, PW_READONLY_BOX)                          \
    ROW(IDC_SET_ZERO, "Button", "Set Zero", 7, 47, 50, 14,                                  \
        PW_BS_PUSHBUTTON | PW_WS_DISABLED | PW_WS_TABSTOP)                                  \
    ROW(IDC_TEST_READING, "Button", "Test Reading", 61, 47, 50, 14,                         \
        PW_BS_PUSHBUTTON | PW_WS_DISABLED | PW_WS_TABSTOP)                                  \
    ROW(IDC_READING, "Edit", "", 7, 67, 149, 14, PW_READONLY_BOX)                           \
    ROW(IDC_STATIC, "Static", "Mapping Axis:", 7, 90, 46, 8, PW_SS_LEFT)                    \
    ROW(IDC_AXIS, "ComboBox", "", 78, 88, 48, 46,                                           \
        PW_CBS_DROPDOWNLIST | PW_WS_VSCROLL | PW_WS_DISABLED | PW_WS_TABSTOP)               \
    ROW(IDC_STATIC, "Static", "Start Position:", 7, 108, 46, 8, PW_SS_LEFT)                 \
    ROW(IDC_STATIC, "Static", "End Position:", 7, 126, 42, 8, PW_SS_LEFT)                   \
    ROW(IDC_STATIC, "Static", "Map Increment:", 7, 144, 52, 8, PW_SS_LEFT)                  \
    ROW(IDC_START_POS, "Edit", "", 77, 106, 48, 14, PW_ENTRY_BOX)                           \
    ROW(IDC_END_POS, "Edit", "", 77, 124, 48, 14, PW_ENTRY_BOX)                             \
    ROW(IDC_MAP_INC, "Edit", "", 77, 142, 48, 14, PW_ENTRY_BOX)                             \
    ROW(IDC_CREATE, "Button", "Create", 49, 180, 50, 14,                                    \
        PW_BS_PUSHBUTTON | PW_WS_DISABLED | PW_WS_TABSTOP)                                  \
    ROW(IDCANCEL, "Button", "Done", 106, 180, 50, 14, PW_BS_PUSHBUTTON | PW_WS_TABSTOP)     \
    ROW(IDC_DISABLE_MAPPING, "Button", "Disable Mapping", 7, 162, 67, 10,                   \
        PW_BS_AUTOCHECKBOX | PW_WS_DISABLED | PW_WS_TABSTOP)

#define PW_ABOUT_TITLE "About Pitchwise"
#define PW_ABOUT_WIDTH 170
#define PW_ABOUT_HEIGHT 62
#define PW_ABOUT_STYLE                                                                 \
    (PW_DS_SETFONT | PW_DS_MODALFRAME | PW_DS_FIXEDSYS | PW_WS_POPUP | PW_WS_CAPTION | \
     PW_WS_SYSMENU)
#define PW_ABOUT_EXSTYLE 0

// The icon row's text is the icon resource's number, as the resource
// compiler writes it.
#define PW_ABOUT_CONTROLS(ROW)                                                             \
    ROW(IDC_STATIC, "Static", "#128", 14, 14, 21, 20, PW_SS_ICON)                          \
    ROW(IDC_STATIC, "Static", "Pitchwise, Version 1.0", 42, 14, 114, 8,                    \
        PW_SS_LEFT | PW_SS_NOPREFIX)                                                       \
    ROW(IDC_STATIC, "Static", "(C) 2026 Pitchwise developers", 42, 26, 114, 8, PW_SS_LEFT) \
    ROW(IDOK, "Button", "OK", 113, 41, 50, 14, PW_BS_DEFPUSHBUTTON | PW_WS_GROUP | PW_WS_TABSTOP)

#define PW_FONT_NAME "MS Shell Dlg"
#define PW_FONT_POINTS 8
#define PW_ABOUT_STRING "&About Pitchwise..."

#endif
