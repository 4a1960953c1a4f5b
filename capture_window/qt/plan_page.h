// The plan step: the cycle's fields, each refusal beside its field, and
// "Save program…", which writes the part program and its plan.
#pragma once

#include <QtWidgets/QWidget>
#include <map>

#include "cycle_plan.h"
#include "plan_form.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace pitchwise {

class CPlanPage final : public QWidget {
    Q_OBJECT
  public:
    explicit CPlanPage(QWidget* parent = nullptr);

    // The plan as it stands; valid only while SoundPlan().
    const CapturePlan& Plan() const { return m_plan; }
    bool SoundPlan() const { return m_sound; }
    // The plan file last saved for the plan as it stands, empty if none.
    const QString& SavedPlanPath() const { return m_savedPlan; }

  signals:
    void CaptureAsked();

  private:
    void Check();
    void SaveProgram();
    QLineEdit* AddField(QGridLayout* grid, int row, const QString& label, PlanField field,
                        const QString& text);

    QComboBox* m_axis = nullptr;
    QComboBox* m_unit = nullptr;
    QComboBox* m_dialect = nullptr;
    QCheckBox* m_random = nullptr;
    std::map<PlanField, QLineEdit*> m_fields;
    std::map<PlanField, QLabel*> m_refusals;
    QLabel* m_general = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_capture = nullptr;
    CapturePlan m_plan;
    bool m_sound = false;
    std::uint32_t m_seed = 0;
    QString m_savedPlan;
};

}  // namespace pitchwise
