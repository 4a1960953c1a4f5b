// Window style bits with the values the Windows dialog manager gives them,
// under names of our own so this file can be read where <windows.h> is not
// (the Qt front end) and next to it (the resource compiler).
#ifndef PITCHWISE_DIALOG_STYLES_H
#define PITCHWISE_DIALOG_STYLES_H

#define PW_WS_POPUP 0x80000000L
#define PW_WS_CHILD 0x40000000L
#define PW_WS_VISIBLE 0x10000000L
#define PW_WS_DISABLED 0x08000000L
#define PW_WS_CAPTION 0x00C00000L
#define PW_WS_BORDER 0x00800000L
#define PW_WS_VSCROLL 0x00200000L
#define PW_WS_SYSMENU 0x00080000L
#define PW_WS_GROUP 0x00020000L
#define PW_WS_TABSTOP 0x00010000L
#define PW_WS_EX_APPWINDOW 0x00040000L

#define PW_DS_SETFONT 0x40L
#define PW_DS_MODALFRAME 0x80L
#define PW_DS_FIXEDSYS 0x08L

#define PW_BS_PUSHBUTTON 0x0L
#define PW_BS_DEFPUSHBUTTON 0x1L
#define PW_BS_AUTOCHECKBOX 0x3L
#define PW_ES_AUTOHSCROLL 0x80L
#define PW_ES_READONLY 0x800L
#define PW_CBS_DROPDOWNLIST 0x3L
#define PW_SS_LEFT 0x0L
#define PW_SS_ICON 0x3L
#define PW_SS_NOPREFIX 0x80L

#endif
