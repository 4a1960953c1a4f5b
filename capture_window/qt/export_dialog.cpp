#include "export_dialog.h"

#include <QtWidgets/QComboBox>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include "active_dialogs.h"
#include "table_formats.h"
#include "text_file.h"

namespace pitchwise {

CExportDialog::CExportDialog(const CaptureResult& result, QWidget* parent)
    : QDialog(parent), m_result(result) {
    setWindowTitle("Export table");
    m_axis = new QComboBox;
    for (const AxisReport& report : result.reports) m_axis->addItem(QString(QChar(report.axis)));
    m_format = new QComboBox;
    for (const TableFormat& format : TableFormats()) m_format->addItem(format.name);
    m_unit = new QComboBox;
    m_unit->addItems({"", "mm", "inch"});
    m_unit->setItemText(0, "as the run log says");
    m_zeroAt = new QLineEdit;
    m_zeroAt->setPlaceholderText("the first target");
    m_spacing = new QLineEdit;
    m_spacing->setPlaceholderText("the measured targets");
    m_more = new QLineEdit;
    m_more->setPlaceholderText("e.g. --basic-system metric --machine-axis X1");
    auto* form = new QFormLayout(this);
    form->addRow("&Axis", m_axis);
    form->addRow("&Format", m_format);
    form->addRow("&Unit", m_unit);
    form->addRow("&Zero at", m_zeroAt);
    form->addRow("&Spacing", m_spacing);
    form->addRow("&More options", m_more);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    QPushButton* go = buttons->addButton("&Export\u2026", QDialogButtonBox::AcceptRole);
    go->setDefault(true);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(go, &QPushButton::clicked, this, [this] { ExportAsked(); });
}

void CExportDialog::ExportAsked() {
    ExportChoice choice;
    choice.format = m_format->currentText().toStdString();
    choice.unit = m_unit->currentIndex() == 0 ? std::string() : m_unit->currentText().toStdString();
    choice.zeroAt = m_zeroAt->text().trimmed().toStdString();
    choice.spacing = m_spacing->text().trimmed().toStdString();
    choice.more = m_more->text().toStdString();
    const char axis = m_axis->currentText().isEmpty() ? 'X' : m_axis->currentText()[0].toLatin1();
    std::string text, error;
    std::vector<std::string> notes;
    if (!ExportResultTable(m_result, axis, choice, text, notes, error)) {
        Say(this, "Export table", QString::fromStdString(error));
        return;
    }
    const TableFormat* format = FindTableFormat(choice.format);
    const QString path = AskFileToSave(
        this, "Export table",
        QString("Tables (*.%1);;All files (*)").arg(format ? format->extension : "txt"));
    if (path.isEmpty()) return;
    const FileStatus written = WriteFileAtomically(path.toStdString(), text);
    if (!written) {
        Say(this, "Export table", QString::fromStdString(FileStatusText(written)));
        return;
    }
    QString said = "Wrote " + path + ".";
    for (const std::string& note : notes) said += "\n" + QString::fromStdString(note);
    Say(this, "Export table", said);
    accept();
}

}  // namespace pitchwise
