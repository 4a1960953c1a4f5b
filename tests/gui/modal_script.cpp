#include "modal_script.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "dialog_qt.h"

namespace pitchwise {

namespace {

// A limit only a stuck dialog reaches, even instrumented on a loaded machine.
constexpr int WATCHDOG_MS = 60000;
constexpr int POLL_MS = 5;

QWidget* KeyTarget() {
    if (QWidget* popup = QApplication::activePopupWidget()) return popup;
    if (QWidget* focus = QApplication::focusWidget()) return focus;
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

}  // namespace

int RunModal(CDialog& dialog, const std::function<void(QDialog& window)>& script) {
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&dialog] {
        ADD_FAILURE() << "the dialog was still up after " << WATCHDOG_MS << " ms";
        if (QWidget* modal = QApplication::activeModalWidget()) {
            if (auto* box = qobject_cast<QDialog*>(modal)) box->done(-2);
        }
        dialog.EndDialog(-2);
    });
    watchdog.start(WATCHDOG_MS);
    QTimer::singleShot(0, [&dialog, &script] {
        QDialog* window = DialogWindow(dialog);
        if (!window) {
            ADD_FAILURE() << "no window while the dialog runs";
            return;
        }
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window, 60000));
        script(*window);
    });
    return dialog.DoModal();
}

void Press(int key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = KeyTarget();
    ASSERT_NE(target, nullptr) << "no window takes keys";
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

void Type(const QString& text) {
    for (QChar c : text) {
        QWidget* target = KeyTarget();
        ASSERT_NE(target, nullptr);
        QTest::keyClicks(target, QString(c));
    }
}

QWidget* FocusWidget() {
    return QApplication::focusWidget();
}

int FocusId() {
    QWidget* focus = QApplication::focusWidget();
    return focus && focus->property("controlId").isValid() ? focus->property("controlId").toInt()
                                                           : 0;
}

namespace {

// The title in bold, plus six line heights for the frame's icon and buttons.
int TitleNeeds(const QWidget& box) {
    QFont font = QApplication::font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(box.windowTitle()) + 6 * metrics.height();
}

}  // namespace

CMessageBoxCatcher::CMessageBoxCatcher() : m_timer(new QTimer) {
    QObject::connect(m_timer, &QTimer::timeout, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        // Active first: Ctrl+C is a shortcut of the active window.
        if (!box || !box->isVisible() || !box->isActiveWindow()) return;
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
        m_seen.push_back({box->windowTitle(), box->text(), box->icon() == QMessageBox::NoIcon,
                          box->standardButtons() == QMessageBox::Ok && box->buttons().size() == 1,
                          box->isModal(), box->parentWidget(), box->width(), TitleNeeds(*box),
                          QGuiApplication::clipboard()->text()});
        QTest::keyClick(box, Qt::Key_Return);
    });
    m_timer->start(POLL_MS);
}

CMessageBoxCatcher::~CMessageBoxCatcher() {
    delete m_timer;
}

void WhenShown(const std::function<QWidget*()>& find, const std::function<void(QWidget&)>& action) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, find, action] {
        QWidget* widget = find();
        // Shown is not enough: until the window is active, the keys the
        // action presses still go to the window behind it.
        if (!widget || !widget->isVisible() || !widget->isActiveWindow()) return;
        timer->stop();
        timer->deleteLater();
        action(*widget);
    });
    timer->start(POLL_MS);
}

QWidget* ModalWindowTitled(const QString& title) {
    QWidget* modal = QApplication::activeModalWidget();
    return modal && modal->windowTitle() == title ? modal : nullptr;
}

}  // namespace pitchwise
