// The window's dialogs, each taking the keyboard as it opens: without a
// window manager (a kiosk, a virtual display) nothing else would give it.
#pragma once

#include <QtCore/QString>
#include <QtWidgets/QMessageBox>

class QWidget;

namespace pitchwise {

// A message box with only an OK button.
void Say(QWidget* parent, const QString& title, const QString& text,
         QMessageBox::Icon icon = QMessageBox::Information);

// The file to save to or to open; empty when the operator cancels.
QString AskFileToSave(QWidget* parent, const QString& title, const QString& filters,
                      QString* chosenFilter = nullptr);
QString AskFileToOpen(QWidget* parent, const QString& title, const QString& filters);

// Runs a modal dialog, giving it the keyboard once it shows.
int ExecActive(class QDialog& dialog);

}  // namespace pitchwise
