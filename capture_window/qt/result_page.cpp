#include "result_page.h"

#include <QtGui/QFontDatabase>
#include <QtGui/QPixmap>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>

#include "active_dialogs.h"
#include "axis_chart.h"
#include "export_dialog.h"
#include "text_file.h"

namespace pitchwise {

CResultPage::CResultPage(QWidget* parent) : QWidget(parent) {
    m_text = new QPlainTextEdit;
    m_text->setReadOnly(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_picture = new QLabel;
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setMinimumSize(480, 288);
    auto* open = new QPushButton("&Open run log\u2026");
    m_export = new QPushButton("E&xport table\u2026");
    m_save = new QPushButton("Save &report\u2026");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(open);
    buttons->addStretch();
    buttons->addWidget(m_export);
    buttons->addWidget(m_save);
    auto* panes = new QHBoxLayout;
    panes->addWidget(m_text, 1);
    panes->addWidget(m_picture, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(panes, 1);
    layout->addLayout(buttons);
    m_export->setEnabled(false);
    m_save->setEnabled(false);
    connect(open, &QPushButton::clicked, this, [this] { OpenAsked(); });
    connect(m_export, &QPushButton::clicked, this, [this] { ExportAsked(); });
    connect(m_save, &QPushButton::clicked, this, [this] { SaveAsked(); });
}

void CResultPage::FocusFigures() {
    m_text->setFocus();
}

bool CResultPage::Open(const QString& logPath) {
    std::string error;
    CaptureResult result;
    if (!ReadCaptureResult(logPath.toStdString(), TemperatureOptions(), result, error)) {
        Say(this, "Pitchwise Capture", QString::fromStdString(error));
        return false;
    }
    m_result = result;
    m_loaded = !m_result.reports.empty();
    m_text->setPlainText(QString::fromStdString(m_result.text) +
                         (m_loaded ? QString() : QString("The log holds no complete run.\n")));
    m_export->setEnabled(m_loaded);
    m_save->setEnabled(m_loaded);
    m_picture->clear();
    if (!m_loaded) return true;
    std::string png, svg;
    QString drawError;
    if (DrawPicture(png, svg, drawError)) {
        QPixmap picture;
        picture.loadFromData(reinterpret_cast<const uchar*>(png.data()),
                             static_cast<uint>(png.size()), "PNG");
        m_picture->setPixmap(
            picture.scaled(m_picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    } else {
        m_picture->setText(drawError);
    }
    return true;
}

bool CResultPage::DrawPicture(std::string& png, std::string& svg, QString& error) {
    std::string reason;
    if (DrawAxisChart(m_result.reports.front(), png, svg, reason)) return true;
    error = QString::fromStdString(reason);
    return false;
}

void CResultPage::OpenAsked() {
    const QString path = AskFileToOpen(this, "Open run log", "Run logs (*.csv);;All files (*)");
    if (!path.isEmpty()) Open(path);
}

void CResultPage::ExportAsked() {
    CExportDialog dialog(m_result, this);
    ExecActive(dialog);
}

void CResultPage::SaveAsked() {
    QString filter;
    const QString path = AskFileToSave(
        this, "Save report", "Text (*.txt);;PNG picture (*.png);;SVG picture (*.svg)", &filter);
    if (path.isEmpty()) return;
    QString error;
    const std::string target = path.toStdString();
    std::string png, svg;
    const bool picture =
        path.endsWith(".png", Qt::CaseInsensitive) || path.endsWith(".svg", Qt::CaseInsensitive);
    if (!picture || DrawPicture(png, svg, error)) {
        const std::string& contents = !picture                                     ? m_result.text
                                      : path.endsWith(".png", Qt::CaseInsensitive) ? png
                                                                                   : svg;
        const FileStatus written = WriteFileAtomically(target, contents);
        if (!written) error = QString::fromStdString(FileStatusText(written));
    }
    if (!error.isEmpty()) Say(this, "Pitchwise Capture", error);
}

}  // namespace pitchwise
