// "Pitchwise Capture": one measurement from plan to table, in three steps.
#pragma once

#include <QtWidgets/QMainWindow>

class QTabWidget;

namespace pitchwise {

class CPlanPage;
class CCapturePage;
class CResultPage;

class CCaptureMainWindow final : public QMainWindow {
    Q_OBJECT
  public:
    CCaptureMainWindow();

  private:
    void CaptureAsked();
    void CaptureEnded(const QString& logPath, const QString& words, int runsLogged);

    QTabWidget* m_steps = nullptr;
    CPlanPage* m_plan = nullptr;
    CCapturePage* m_capture = nullptr;
    CResultPage* m_result = nullptr;
};

}  // namespace pitchwise
