// The window of one running dialog. It does what the Windows dialog manager
// does for a dialog: Enter on a focused push button presses it, Enter
// anywhere else is the default command (OK when there is no default push
// button), Escape and the close box are IDCANCEL, and the system menu opens
// as a context menu (right button, the menu key, Shift+F10 or Alt+Space).
#pragma once

#include <QDialog>

namespace pitchwise {

class CDialog;
struct CDialogImpl;

class CDialogWindow : public QDialog {
  public:
    CDialogWindow(CDialog& owner, CDialogImpl& impl, QWidget* parent, Qt::WindowFlags flags);

    // Routes the control's keys through the dialog's keyboard handling.
    void WatchKeys(QWidget& control);

    void ShowSystemMenu(const QPoint& globalPosition);

    // Escape and the close box arrive here.
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    bool HandleKey(const QKeyEvent& key);

    CDialog& m_owner;
    CDialogImpl& m_impl;
};

}  // namespace pitchwise
