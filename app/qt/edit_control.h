// An edit box. Without automatic horizontal scrolling it takes no more text
// than its box shows, as a Windows edit control does: typing and pasting
// stop at the box width.
#pragma once

#include <QLineEdit>

namespace pitchwise {

class CEditControl : public QLineEdit {
  public:
    CEditControl(bool scrollsHorizontally, QWidget* parent);

    // Whether `text` fits the visible text area of the box.
    bool TextFits(const QString& text) const;

    // The width in pixels that text may occupy.
    int TextAreaWidth() const;
};

}  // namespace pitchwise
