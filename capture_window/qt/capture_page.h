// The capture step: finds the QSB (or takes the port chosen), shows the
// live reading, the state in words, the progress and the time left, and
// draws each deviation as it is measured. The capture itself runs on the
// worker's thread; this page only takes its events, ten times a second.
#pragma once

#include <QtWidgets/QWidget>
#include <memory>

#include "capture_worker.h"
#include "cycle_plan.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QScatterSeries;
class QValueAxis;

namespace pitchwise {

class CCapturePage final : public QWidget {
    Q_OBJECT
  public:
    explicit CCapturePage(QWidget* parent = nullptr);
    ~CCapturePage() override;

    // Starts capturing `plan` into `logPath`.
    void Start(const CapturePlan& plan, const QString& logPath);
    bool Running() const { return m_worker.Running(); }

  signals:
    // The capture is over; `words` say why and what was kept.
    void Ended(const QString& logPath, const QString& words, int runsLogged);

  private:
    void Poll();
    void Show(const CaptureEvent& event);

    CapturePlan m_plan;
    QString m_logPath;
    CCaptureWorker m_worker;
    QTimer* m_timer = nullptr;
    QComboBox* m_port = nullptr;
    QPushButton* m_stop = nullptr;
    QLabel* m_identity = nullptr;
    QLabel* m_reading = nullptr;
    QLabel* m_state = nullptr;
    QLabel* m_left = nullptr;
    QProgressBar* m_progress = nullptr;
    QScatterSeries* m_up = nullptr;
    QScatterSeries* m_down = nullptr;
    QValueAxis* m_x = nullptr;
    QValueAxis* m_y = nullptr;
    double m_lowest = 0, m_highest = 0;
};

}  // namespace pitchwise
