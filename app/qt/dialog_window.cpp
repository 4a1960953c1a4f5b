#include "dialog_window.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>

#include "dialog.h"
#include "dialog_qt.h"
#include "resource.h"

namespace pitchwise {

CDialogWindow::CDialogWindow(CDialog& owner, CDialogImpl& impl, QWidget* parent,
                             Qt::WindowFlags flags)
    : QDialog(parent, flags), m_owner(owner), m_impl(impl) {}

void CDialogWindow::WatchKeys(QWidget& control) {
    control.installEventFilter(this);
}

bool CDialogWindow::HandleKey(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    const QPoint menuAt = mapToGlobal(QPoint(0, 0));
    switch (key.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (modifiers != Qt::NoModifier) return false;
            if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
                button->click();
            } else {
                m_owner.OnCommand(m_impl.defaultCommand ? m_impl.defaultCommand : IDOK);
            }
            return true;
        case Qt::Key_Escape:
            if (modifiers != Qt::NoModifier) return false;
            m_owner.OnCommand(IDCANCEL);
            return true;
        case Qt::Key_Space:
            if (modifiers != Qt::AltModifier) return false;
            ShowSystemMenu(menuAt);
            return true;
        case Qt::Key_F10:
            if (modifiers != Qt::ShiftModifier) return false;
            ShowSystemMenu(menuAt);
            return true;
        case Qt::Key_Menu:
            ShowSystemMenu(menuAt);
            return true;
        default:
            return false;
    }
}

bool CDialogWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && HandleKey(*static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CDialogWindow::keyPressEvent(QKeyEvent* event) {
    if (!HandleKey(*event)) QDialog::keyPressEvent(event);
}

void CDialogWindow::contextMenuEvent(QContextMenuEvent* event) {
    ShowSystemMenu(event->globalPos());
}

void CDialogWindow::ShowSystemMenu(const QPoint& globalPosition) {
    QMenu menu(this);
    QAction* close = menu.addAction(QStringLiteral("&Close"));
    for (const auto& item : m_impl.systemMenu) {
        menu.addSeparator();
        menu.addAction(item.second)->setData(item.first);
    }
    QAction* chosen = menu.exec(globalPosition);
    if (chosen == close) {
        this->close();
    } else if (chosen) {
        m_owner.OnSysCommand(chosen->data().toUInt());
    }
}

void CDialogWindow::reject() {
    m_owner.OnCommand(IDCANCEL);
}

void CDialogWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A dialog comes up with the keyboard, also where no window manager
    // hands it over.
    activateWindow();
}

}  // namespace pitchwise
