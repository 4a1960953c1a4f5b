// "Export table…": every format of pitchwise-export with its options, then
// where to write the table. The export's own rules decide; its refusals
// and notes are shown as it words them.
#pragma once

#include <QtWidgets/QDialog>

#include "result_model.h"

class QComboBox;
class QLineEdit;

namespace pitchwise {

class CExportDialog final : public QDialog {
    Q_OBJECT
  public:
    CExportDialog(const CaptureResult& result, QWidget* parent);

  private:
    void ExportAsked();

    const CaptureResult& m_result;
    QComboBox* m_axis = nullptr;
    QComboBox* m_format = nullptr;
    QComboBox* m_unit = nullptr;
    QLineEdit* m_zeroAt = nullptr;
    QLineEdit* m_spacing = nullptr;
    QLineEdit* m_more = nullptr;
};

}  // namespace pitchwise
