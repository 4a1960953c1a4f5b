#include "active_dialogs.h"

#include <QtCore/QTimer>
#include <QtGui/QClipboard>
#include <QtGui/QGuiApplication>
#include <QtGui/QShortcut>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QWidget>

namespace pitchwise {

int ExecActive(QDialog& dialog) {
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.activateWindow(); });
    const int result = dialog.exec();
    // And back to the window it came from.
    if (QWidget* owner = dialog.parentWidget()) owner->window()->activateWindow();
    return result;
}

void Say(QWidget* parent, const QString& title, const QString& text, QMessageBox::Icon icon) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    // Ctrl+C copies the box as a Windows message box copies itself, so a
    // message can be pasted into a report or read by a script.
    const QString copied = QStringLiteral(
                               "---------------------------\n%1\n"
                               "---------------------------\n%2\n"
                               "---------------------------\nOK\n"
                               "---------------------------\n")
                               .arg(title, text);
    auto* copy = new QShortcut(QKeySequence::Copy, &box);
    QObject::connect(copy, &QShortcut::activated,
                     [copied] { QGuiApplication::clipboard()->setText(copied); });
    ExecActive(box);
}

namespace {

QString AskFile(QWidget* parent, const QString& title, const QString& filters,
                QFileDialog::AcceptMode mode, QString* chosenFilter) {
    QFileDialog dialog(parent, title, QString(), filters);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    if (ExecActive(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    if (chosenFilter) *chosenFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().front();
}

}  // namespace

QString AskFileToSave(QWidget* parent, const QString& title, const QString& filters,
                      QString* chosenFilter) {
    return AskFile(parent, title, filters, QFileDialog::AcceptSave, chosenFilter);
}

QString AskFileToOpen(QWidget* parent, const QString& title, const QString& filters) {
    return AskFile(parent, title, filters, QFileDialog::AcceptOpen, nullptr);
}

}  // namespace pitchwise
