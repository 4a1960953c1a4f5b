#include "plan_page.h"

#include <QtCore/QDateTime>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>
#include <cmath>

#include "active_dialogs.h"
#include "capture_options.h"
#include "capture_words.h"
#include "part_program.h"
#include "plan_file.h"
#include "text_file.h"

namespace pitchwise {

CPlanPage::CPlanPage(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout;
    m_axis = new QComboBox;
    m_axis->addItems({"X", "Y", "Z"});
    grid->addWidget(new QLabel("&Axis"), 0, 0);
    grid->addWidget(m_axis, 0, 1);
    static_cast<QLabel*>(grid->itemAtPosition(0, 0)->widget())->setBuddy(m_axis);
    AddField(grid, 1, "&First target", PlanField::FROM, "0");
    AddField(grid, 2, "&Last target", PlanField::TO, "400");
    AddField(grid, 3, "&Targets", PlanField::TARGETS, "");
    AddField(grid, 4, "S&pacing", PlanField::SPACING, "50");
    AddField(grid, 5, "&Runs each way", PlanField::RUNS, "5");
    AddField(grid, 6, "&Dwell (s)", PlanField::DWELL, "5");
    AddField(grid, 7, "F&eed per minute", PlanField::FEED, "")
        ->setPlaceholderText("the unit's default");
    m_unit = new QComboBox;
    m_unit->addItems({"mm", "inch"});
    grid->addWidget(new QLabel("&Unit"), 8, 0);
    grid->addWidget(m_unit, 8, 1);
    static_cast<QLabel*>(grid->itemAtPosition(8, 0)->widget())->setBuddy(m_unit);
    m_dialect = new QComboBox;
    m_dialect->addItems({"linuxcnc", "grbl", "fanuc", "siemens"});
    grid->addWidget(new QLabel("D&ialect"), 9, 0);
    grid->addWidget(m_dialect, 9, 1);
    static_cast<QLabel*>(grid->itemAtPosition(9, 0)->widget())->setBuddy(m_dialect);
    m_random = new QCheckBox("Random &offsets at the inner targets");
    grid->addWidget(m_random, 10, 1, 1, 2);
    m_refusals[PlanField::AXIS] = new QLabel;
    grid->addWidget(m_refusals[PlanField::AXIS], 0, 2);

    m_general = new QLabel;
    m_summary = new QLabel;
    for (QLabel* label : {m_general}) label->setStyleSheet("color: #b00000");
    m_save = new QPushButton("&Save program\u2026");
    m_capture = new QPushButton("&Capture \u2192");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_save);
    buttons->addStretch();
    buttons->addWidget(m_capture);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_general);
    layout->addWidget(m_summary);
    layout->addStretch();
    layout->addLayout(buttons);

    for (QComboBox* box : {m_axis, m_unit, m_dialect})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { Check(); });
    connect(m_random, &QCheckBox::toggled, this, [this](bool on) {
        // A new seed each time they are asked for; it is written into the plan.
        if (on) m_seed = static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch());
        Check();
    });
    connect(m_save, &QPushButton::clicked, this, [this] { SaveProgram(); });
    connect(m_capture, &QPushButton::clicked, this, [this] {
        if (m_sound) emit CaptureAsked();
    });
    Check();
}

QLineEdit* CPlanPage::AddField(QGridLayout* grid, int row, const QString& label, PlanField field,
                               const QString& text) {
    auto* edit = new QLineEdit(text);
    auto* name = new QLabel(label);
    name->setBuddy(edit);
    auto* refusal = new QLabel;
    refusal->setStyleSheet("color: #b00000");
    grid->addWidget(name, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(refusal, row, 2);
    m_fields[field] = edit;
    m_refusals[field] = refusal;
    connect(edit, &QLineEdit::textChanged, this, [this] { Check(); });
    return edit;
}

void CPlanPage::Check() {
    if (!m_general) return;  // still being built
    PlanForm form;
    form.axis = m_axis->currentText().toStdString();
    auto text = [this](PlanField f) { return m_fields.at(f)->text().toStdString(); };
    form.from = text(PlanField::FROM);
    form.to = text(PlanField::TO);
    form.targets = text(PlanField::TARGETS);
    form.spacing = text(PlanField::SPACING);
    form.runs = text(PlanField::RUNS);
    form.dwell = text(PlanField::DWELL);
    form.feed = text(PlanField::FEED);
    form.unit = m_unit->currentText().toStdString();
    form.dialect = m_dialect->currentText().toStdString();
    form.randomOffsets = m_random->isChecked();
    form.seed = m_seed;
    const PlanFormCheck check = ReadPlanForm(form, m_plan);
    m_sound = check.words.empty();
    for (auto& refusal : m_refusals) refusal.second->clear();
    m_general->clear();
    const QString words = QString::fromStdString(check.words);
    if (!m_sound)
        (check.field == PlanField::NONE ? m_general : m_refusals.at(check.field))->setText(words);
    m_savedPlan.clear();
    m_save->setEnabled(m_sound);
    m_capture->setEnabled(m_sound);
    if (!m_sound) {
        m_summary->clear();
        return;
    }
    const std::vector<CycleWaypoint> path = CycleWaypoints(m_plan);
    const double seconds = CycleSeconds(m_plan, path, std::nullopt, path.size() - 1);
    m_summary->setText(QString("%1 targets, %2 runs each way: the program takes about %3.")
                           .arg(m_plan.targets.size())
                           .arg(m_plan.runs)
                           .arg(QString::fromStdString(DurationText(seconds))));
}

void CPlanPage::SaveProgram() {
    if (!m_sound) return;
    const QString path = AskFileToSave(this, "Save program",
                                       "Part programs (*.ngc *.nc *.mpf *.gcode);;All files (*)");
    if (path.isEmpty()) return;
    const std::string program = path.toStdString();
    const std::string planPath = PlanPathFor(program);
    if (planPath == program) {
        Say(this, "Pitchwise Capture", "The program cannot be named *.plan.");
        return;
    }
    std::string programText;
    if (!PartProgram(m_plan, programText)) {
        Say(this, "Pitchwise Capture", "The plan makes no program: check its settings.");
        return;
    }
    const std::size_t slash = program.rfind('/');
    const std::pair<std::string, std::string> files[] = {
        {program, programText},
        {planPath,
         FormatPlan(m_plan, slash == std::string::npos ? program : program.substr(slash + 1))}};
    for (const auto& file : files) {
        const FileStatus written = WriteFileAtomically(file.first, file.second);
        if (!written) {
            Say(this, "Pitchwise Capture", QString::fromStdString(FileStatusText(written)));
            return;
        }
    }
    m_savedPlan = QString::fromStdString(planPath);
    m_summary->setText(m_summary->text() + "\nSaved " + path + " and its plan.");
}

}  // namespace pitchwise
