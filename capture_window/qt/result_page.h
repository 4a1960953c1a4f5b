// The result step: the figures as pitchwise-report prints them, the
// picture, "Export table…" and "Save report…"; any run log can be opened.
#pragma once

#include <QtCore/QTemporaryDir>
#include <QtWidgets/QWidget>

#include "result_model.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace pitchwise {

class CResultPage final : public QWidget {
    Q_OBJECT
  public:
    explicit CResultPage(QWidget* parent = nullptr);

    // Shows the figures of the log; false (and says why) when it cannot.
    bool Open(const QString& logPath);
    void FocusFigures();

  private:
    void OpenAsked();
    void ExportAsked();
    void SaveAsked();
    bool DrawPicture(std::string& png, std::string& svg, QString& error);

    CaptureResult m_result;
    bool m_loaded = false;
    QPlainTextEdit* m_text = nullptr;
    QLabel* m_picture = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_save = nullptr;
};

}  // namespace pitchwise
