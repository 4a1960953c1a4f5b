#include "dialog_template.h"

#include "dialog_layout.h"

namespace pitchwise {

namespace {

#define PW_CONTROL_ROW(id, cls, text, x, y, w, h, style) \
    {id, cls, text, x, y, w, h, static_cast<unsigned long>(style)},

const DialogControl theMainControls[] = {PW_MAIN_CONTROLS(PW_CONTROL_ROW)};
const DialogControl theAboutControls[] = {PW_ABOUT_CONTROLS(PW_CONTROL_ROW)};

#undef PW_CONTROL_ROW

const DialogTemplate theTemplates[] = {
    {IDD_MAIN, PW_MAIN_TITLE, PW_MAIN_WIDTH, PW_MAIN_HEIGHT,
     static_cast<unsigned long>(PW_MAIN_STYLE), static_cast<unsigned long>(PW_MAIN_EXSTYLE),
     PW_FONT_NAME, PW_FONT_POINTS, theMainControls,
     sizeof theMainControls / sizeof theMainControls[0]},
    {IDD_ABOUTBOX, PW_ABOUT_TITLE, PW_ABOUT_WIDTH, PW_ABOUT_HEIGHT,
     static_cast<unsigned long>(PW_ABOUT_STYLE), static_cast<unsigned long>(PW_ABOUT_EXSTYLE),
     PW_FONT_NAME, PW_FONT_POINTS, theAboutControls,
     sizeof theAboutControls / sizeof theAboutControls[0]},
};

}  // namespace

const DialogTemplate* FindDialogTemplate(int templateId) {
    for (const DialogTemplate& t : theTemplates) {
        if (t.id == templateId) return &t;
    }
    return nullptr;
}

}  // namespace pitchwise
