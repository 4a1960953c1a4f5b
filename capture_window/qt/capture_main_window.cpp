#include "capture_main_window.h"

#include <QtWidgets/QTabWidget>

#include "active_dialogs.h"
#include "capture_options.h"
#include "capture_page.h"
#include "plan_page.h"
#include "result_page.h"

namespace pitchwise {

CCaptureMainWindow::CCaptureMainWindow() {
    setWindowTitle("Pitchwise Capture");
    m_steps = new QTabWidget;
    m_plan = new CPlanPage;
    m_capture = new CCapturePage;
    m_result = new CResultPage;
    m_steps->addTab(m_plan, "1 Plan");
    m_steps->addTab(m_capture, "2 Capture");
    m_steps->addTab(m_result, "3 Result");
    setCentralWidget(m_steps);
    resize(980, 640);
    connect(m_plan, &CPlanPage::CaptureAsked, this, [this] { CaptureAsked(); });
    connect(m_capture, &CCapturePage::Ended, this,
            [this](const QString& log, const QString& words, int runs) {
                CaptureEnded(log, words, runs);
            });
}

void CCaptureMainWindow::CaptureAsked() {
    if (m_capture->Running()) {
        m_steps->setCurrentWidget(m_capture);
        return;
    }
    if (m_plan->SavedPlanPath().isEmpty()) {
        Say(this, "Pitchwise Capture",
            "Save the program first: the controller runs it, and the run "
            "log goes beside its plan.");
        return;
    }
    const QString log =
        QString::fromStdString(RunLogPathFor(m_plan->SavedPlanPath().toStdString()));
    m_steps->setCurrentWidget(m_capture);
    m_capture->Start(m_plan->Plan(), log);
}

void CCaptureMainWindow::CaptureEnded(const QString& logPath, const QString& words,
                                      int runsLogged) {
    QString said = words;
    if (!said.isEmpty()) said[0] = said[0].toUpper();
    Say(this, "Capture ended", said);
    if (runsLogged == 0) return;
    m_steps->setCurrentWidget(m_result);
    if (m_result->Open(logPath)) m_result->FocusFigures();
}

}  // namespace pitchwise
