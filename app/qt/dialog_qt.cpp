// CDialog on Qt Widgets: the window is built from the dialog's template when
// DoModal starts and destroyed when it returns, as a Windows modal dialog.
#include "dialog_qt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <QSpacerItem>
#include <QTimer>
#include <cstring>

#include "dialog.h"
#include "dialog_controls.h"
#include "dialog_layout.h"
#include "dialog_styles.h"
#include "dialog_template.h"
#include "dialog_units.h"
#include "dialog_window.h"
#include "resource.h"
#include "user_interface.h"

namespace pitchwise {

namespace {

Qt::WindowFlags WindowFlagsOf(const DialogTemplate& t) {
    // Only the buttons asked for: a dialog has a fixed size, so never a
    // maximise button.
    Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (t.exStyle & PW_WS_EX_APPWINDOW) {
        // An application window has a task-bar button of its own, through
        // which Windows minimises it; here a minimise button stands in.
        flags |= Qt::Window | Qt::WindowMinimizeButtonHint;
    } else {
        flags |= Qt::Dialog;  // an owned dialog stays with its owner
    }
    if (t.style & PW_WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    return flags;
}

QScreen* ScreenFor(const QWidget* owner) {
    if (owner && owner->screen()) return owner->screen();
    return QGuiApplication::primaryScreen();
}

// Centred over the owner, or in the screen's work area when there is none.
void Centre(QWidget& window, const QWidget* owner) {
    QRect area;
    if (owner) {
        area = owner->frameGeometry();
    } else if (QScreen* screen = ScreenFor(owner)) {
        area = screen->availableGeometry();
    }
    if (area.isEmpty()) return;
    // The client area is centred: the frame is not known before the window
    // manager has drawn it.
    QRect client(QPoint(0, 0), window.size());
    client.moveCenter(area.center());
    window.setGeometry(client);
}

// The owner gets the keyboard back, with the focus where it was, also where
// no window manager hands it back.
void ReturnKeyboardTo(QWidget* owner) {
    if (owner) owner->activateWindow();
}

QWidget* FirstEnabledTabStop(const CDialogImpl& impl) {
    for (const DialogItem& item : impl.items) {
        if (item.widget->focusPolicy() == Qt::StrongFocus && item.widget->isEnabled()) {
            return item.widget;
        }
    }
    return nullptr;
}

int CopyText(const QString& value, char* text, int maxCount) {
    if (maxCount <= 0) return 0;
    // Narrow 8-bit text: what Latin-1 cannot hold arrives as '?'.
    const QByteArray bytes = value.toLatin1();
    const int n = qMin(static_cast<int>(bytes.size()), maxCount - 1);
    std::memcpy(text, bytes.constData(), static_cast<std::size_t>(n));
    text[n] = '\0';
    return n;
}

template <typename Widget>
Widget* Item(const CDialog& dialog, int id) {
    return qobject_cast<Widget*>(DialogItemWidget(dialog, id));
}

}  // namespace

QDialog* DialogWindow(const CDialog& dialog) {
    return dialog.Impl()->window;
}

QWidget* DialogItemWidget(const CDialog& dialog, int id) {
    for (const DialogItem& item : dialog.Impl()->items) {
        if (item.id == id) return item.widget;
    }
    return nullptr;
}

CDialog::CDialog(int templateId, CDialog* parent)
    : m_templateId(templateId), m_parent(parent), m_impl(new CDialogImpl) {}

CDialog::~CDialog() {
    delete m_impl->window;
    delete m_impl;
}

int CDialog::DoModal() {
    const DialogTemplate* t = FindDialogTemplate(m_templateId);
    if (!t) return -1;
    CDialogImpl& impl = *m_impl;
    QWidget* owner = m_parent ? m_parent->m_impl->window : nullptr;

    impl.window = new CDialogWindow(*this, impl, owner, WindowFlagsOf(*t));
    CDialogWindow& window = *impl.window;
    window.setWindowTitle(QString::fromLatin1(t->title));
    window.setModal(true);
    // The window keeps the application's font, which is the desktop's: it
    // stands in for the shell dialog font that the template names.
    BuildDialogControls(*t, window, impl, [this](int id) { OnCommand(id); });
    PlaceDialogControls(*t, BaseUnitsOf(window.font()), impl);
    window.setFixedSize(
        DialogUnitsToPixels(QRect(0, 0, t->width, t->height), impl.baseUnits).size());
    window.WatchKeys(window);
    for (const DialogItem& item : impl.items) window.WatchKeys(*item.widget);
    Centre(window, owner);

    impl.endedEarly = false;
    if (OnInitDialog()) {
        if (QWidget* first = FirstEnabledTabStop(impl)) first->setFocus(Qt::TabFocusReason);
    }
    const int result = impl.endedEarly ? impl.result : window.exec();

    impl.items.clear();
    impl.systemMenu.clear();
    impl.window = nullptr;
    delete &window;
    ReturnKeyboardTo(owner);
    return result;
}

void CDialog::EndDialog(int result) {
    m_impl->result = result;
    if (m_impl->window && m_impl->window->isVisible()) {
        m_impl->window->done(result);
    } else {
        m_impl->endedEarly = true;
    }
}

void CDialog::SetDlgItemText(int id, const char* text) {
    const QString value = QString::fromLatin1(text);
    if (auto* edit = Item<QLineEdit>(*this, id)) {
        edit->setText(value);
        edit->setCursorPosition(0);  // show the beginning of a long line
    } else if (auto* button = Item<QAbstractButton>(*this, id)) {
        button->setText(value);
    } else if (auto* label = Item<QLabel>(*this, id)) {
        label->setText(value);
    }
}

int CDialog::GetDlgItemText(int id, char* text, int maxCount) const {
    QString value;
    if (auto* edit = Item<QLineEdit>(*this, id)) {
        value = edit->text();
    } else if (auto* combo = Item<QComboBox>(*this, id)) {
        value = combo->currentText();
    } else if (auto* button = Item<QAbstractButton>(*this, id)) {
        value = button->text();
    } else if (auto* label = Item<QLabel>(*this, id)) {
        value = label->text();
    }
    return CopyText(value, text, maxCount);
}

void CDialog::EnableDlgItem(int id, bool enable) {
    if (QWidget* widget = DialogItemWidget(*this, id)) widget->setEnabled(enable);
}

void CDialog::ResetComboContent(int id) {
    if (auto* combo = Item<QComboBox>(*this, id)) combo->clear();
}

int CDialog::AddComboString(int id, const char* text) {
    auto* combo = Item<QComboBox>(*this, id);
    if (!combo) return -1;
    combo->addItem(QString::fromLatin1(text));
    return combo->count() - 1;
}

void CDialog::SetComboCurSel(int id, int index) {
    if (auto* combo = Item<QComboBox>(*this, id)) combo->setCurrentIndex(index);
}

void CDialog::CheckDlgButton(int id, bool checked) {
    if (auto* button = Item<QAbstractButton>(*this, id)) button->setChecked(checked);
}

bool CDialog::IsDlgButtonChecked(int id) const {
    auto* button = Item<QAbstractButton>(*this, id);
    return button && button->isChecked();
}

void CDialog::MessageBox(const char* text) {
    QMessageBox box(QMessageBox::NoIcon, ApplicationName(), QString::fromLatin1(text),
                    QMessageBox::Ok, m_impl->window);
    box.setTextFormat(Qt::PlainText);
    // A short text makes a box narrower than its title, which the window
    // manager then cuts; the box sizes itself, so the room goes into its grid.
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    const QFontMetrics title(titleFont);
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int wide =
            MessageBoxMinimumWidth(title.horizontalAdvance(box.windowTitle()), title.height());
        grid->addItem(new QSpacerItem(wide, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    // Ctrl+C copies the box as a Windows message box copies itself, so a
    // message can be pasted into a report or read by a script.
    const QString copied = QStringLiteral(
                               "---------------------------\n%1\n"
                               "---------------------------\n%2\n"
                               "---------------------------\nOK\n"
                               "---------------------------\n")
                               .arg(box.windowTitle(), box.text());
    auto* copy = new QShortcut(QKeySequence::Copy, &box);
    QObject::connect(copy, &QShortcut::activated,
                     [copied] { QGuiApplication::clipboard()->setText(copied); });
    // The box takes the keyboard when it comes up, as a dialog does.
    QTimer::singleShot(0, &box, [&box] { box.activateWindow(); });
    box.exec();
    ReturnKeyboardTo(m_impl->window);
}

void CDialog::BeginWaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CDialog::EndWaitCursor() {
    QApplication::restoreOverrideCursor();
}

bool CDialog::AppendSystemMenuItem(unsigned id, const char* text) {
    if (!m_impl->window) return false;
    m_impl->systemMenu.emplace_back(id, QString::fromLatin1(text));
    return true;
}

int CDialog::LoadResourceString(int id, char* text, int maxCount) const {
    return CopyText(id == IDS_ABOUTBOX ? QStringLiteral(PW_ABOUT_STRING) : QString(), text,
                    maxCount);
}

void CDialog::SetWindowIcon(int iconId) {
    if (m_impl->window) m_impl->window->setWindowIcon(ResourceIcon(iconId));
}

}  // namespace pitchwise
