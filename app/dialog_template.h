// The dialog layout as data, for front ends that build their windows
// themselves instead of loading a resource template.
#pragma once

#include <cstddef>

namespace pitchwise {

struct DialogControl {
    int id;
    const char* windowClass;  // "Button", "Edit", "ComboBox" or "Static"
    const char* text;
    int x, y, width, height;  // dialog units
    unsigned long style;
};

struct DialogTemplate {
    int id;
    const char* title;
    int width, height;  // dialog units
    unsigned long style;
    unsigned long exStyle;
    const char* fontName;
    int fontPoints;
    const DialogControl* controls;  // in tab order
    std::size_t controlCount;
};

// nullptr for an unknown template number.
const DialogTemplate* FindDialogTemplate(int templateId);

}  // namespace pitchwise
