// Driving modal windows from a test: each modal run blocks, so the steps of
// a test run from timers inside the running window's event loop.
#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "dialog.h"

class QDialog;
class QTimer;
class QWidget;

namespace pitchwise {

// Runs `script` inside the dialog's modal loop once its window is up and
// returns what DoModal returned. A dialog still up 20 s later fails the test
// and is ended with -2.
int RunModal(CDialog& dialog, const std::function<void(QDialog& window)>& script);

// Sends a key press and release to the widget with the keyboard focus, as a
// keyboard would.
void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void Type(const QString& text);

// The widget with the keyboard focus, or nullptr.
QWidget* FocusWidget();
// The number of the control with the focus; 0 when it is none of ours.
int FocusId();

struct SeenMessageBox {
    QString title;
    QString text;
    bool noIcon;
    bool onlyOk;
    bool modal;
    QWidget* owner;
    int width;       // of the box, in pixels
    int titleNeeds;  // the width its whole title needs (bold, with the frame's buttons)
    QString copied;  // the clipboard after Ctrl+C on the box
};

// Answers every message box that comes up with Enter, after noting it.
class CMessageBoxCatcher {
  public:
    CMessageBoxCatcher();
    ~CMessageBoxCatcher();
    const std::vector<SeenMessageBox>& Seen() const { return m_seen; }

  private:
    std::vector<SeenMessageBox> m_seen;
    QTimer* m_timer;
};

// Runs `action` once, as soon as `find` returns a widget that is shown and
// active (polled from the event loop, so it also fires inside nested modal
// loops and menus).
void WhenShown(const std::function<QWidget*()>& find, const std::function<void(QWidget&)>& action);

// The modal window titled `title`, or nullptr.
QWidget* ModalWindowTitled(const QString& title);

}  // namespace pitchwise
