#include "capture_page.h"

#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <QtCore/QTimer>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>
#include <algorithm>

#include "capture_words.h"
#include "qsb.h"
#include "text.h"

namespace pitchwise {

namespace {

constexpr int kPollMilliseconds = 100;

}  // namespace

CCapturePage::CCapturePage(QWidget* parent) : QWidget(parent) {
    m_port = new QComboBox;
    m_port->addItem("Find QSB");
    for (int n = 1; n <= 7; ++n) m_port->addItem(QString("COM%1").arg(n));
    m_stop = new QPushButton("S&top");
    m_stop->setEnabled(false);
    m_identity = new QLabel("-");
    m_reading = new QLabel("-");
    m_state = new QLabel("-");
    m_state->setWordWrap(true);
    m_left = new QLabel("-");
    m_progress = new QProgressBar;
    m_progress->setRange(0, 1000);
    m_progress->setTextVisible(false);
    auto* form = new QFormLayout;
    form->addRow("&QSB port", m_port);
    form->addRow("QSB", m_identity);
    form->addRow("Reading", m_reading);
    form->addRow("State", m_state);
    form->addRow("Progress", m_progress);
    form->addRow("Time left", m_left);

    auto* chart = new QChart;
    m_up = new QScatterSeries;
    m_up->setName("moving up");
    m_down = new QScatterSeries;
    m_down->setName("moving down");
    for (QScatterSeries* s : {m_up, m_down}) {
        s->setMarkerSize(8);
        chart->addSeries(s);
    }
    m_x = new QValueAxis;
    m_y = new QValueAxis;
    chart->addAxis(m_x, Qt::AlignBottom);
    chart->addAxis(m_y, Qt::AlignLeft);
    for (QScatterSeries* s : {m_up, m_down}) {
        s->attachAxis(m_x);
        s->attachAxis(m_y);
    }
    chart->setTitle("Deviation as measured");
    auto* view = new QChartView(chart);
    view->setMinimumHeight(260);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(view, 1);
    layout->addWidget(m_stop, 0, Qt::AlignRight);

    m_timer = new QTimer(this);
    m_timer->setInterval(kPollMilliseconds);
    connect(m_timer, &QTimer::timeout, this, [this] { Poll(); });
    connect(m_stop, &QPushButton::clicked, this, [this] {
        m_worker.RequestStop();
        m_state->setText("stopping at the next reading\u2026");
    });
}

CCapturePage::~CCapturePage() = default;

void CCapturePage::Start(const CapturePlan& plan, const QString& logPath) {
    m_plan = plan;
    m_logPath = logPath;
    CaptureSettings settings;
    settings.port = m_port->currentIndex();  // 0: Find QSB
    settings.logPath = logPath.toStdString();
    settings.window = plan.window;
    m_up->clear();
    m_down->clear();
    const double unit = m_plan.unit == LengthUnit::INCH ? 25.4 : 1;
    m_x->setRange(plan.targets.front() - plan.overrun, plan.targets.back() + plan.overrun);
    m_x->setTitleText(QString("position (%1)").arg(unit == 1 ? "mm" : "inch"));
    m_y->setTitleText("deviation (counts)");
    m_lowest = -10;
    m_highest = 10;
    m_y->setRange(m_lowest, m_highest);
    m_progress->setValue(0);
    m_identity->setText(m_port->currentIndex() == 0
                            ? "looking for the QSB on COM1 to COM7\u2026"
                            : "opening " + m_port->currentText() + "\u2026");
    if (!m_worker.Start(plan, settings)) return;
    m_port->setEnabled(false);
    m_stop->setEnabled(true);
    m_stop->setFocus();
    m_timer->start();
}

void CCapturePage::Poll() {
    for (const CaptureEvent& event : m_worker.TakeEvents()) Show(event);
}

void CCapturePage::Show(const CaptureEvent& e) {
    switch (e.kind) {
        case CaptureEvent::FOUND:
            m_identity->setText(QString("COM%1, serial number %2, device %3, revision %4")
                                    .arg(e.port)
                                    .arg(e.identity.serialNumber)
                                    .arg(e.identity.device)
                                    .arg(e.identity.revision));
            break;
        case CaptureEvent::READING:
            m_reading->setText(e.reading.zeroed
                                   ? QString("%1 %2 (%3 counts)")
                                         .arg(m_plan.axis)
                                         .arg(e.reading.position, 0, 'f', 4)
                                         .arg(e.reading.counts)
                                   : QString("%1 counts, not zeroed yet").arg(e.reading.counts));
            m_state->setText(QString::fromStdString(StandingText(m_plan, e.standing)));
            m_progress->setValue(static_cast<int>(e.standing.fractionDone * 1000));
            m_left->setText(QString::fromStdString(DurationText(e.standing.secondsLeft)));
            break;
        case CaptureEvent::ZEROED:
            m_state->setText(
                QString("zeroed at %1 %2").arg(m_plan.axis).arg(m_plan.targets.front(), 0, 'f', 4));
            break;
        case CaptureEvent::CAPTURED: {
            const double y = static_cast<double>(e.deviation.deviationCounts);
            (e.deviation.direction == Direction::UP ? m_up : m_down)
                ->append(e.deviation.targetPosition, y);
            m_lowest = std::min(m_lowest, y - 5);
            m_highest = std::max(m_highest, y + 5);
            m_y->setRange(m_lowest, m_highest);
            break;
        }
        case CaptureEvent::RUN_LOGGED:
            break;
        case CaptureEvent::ENDED: {
            m_timer->stop();
            m_stop->setEnabled(false);
            m_port->setEnabled(true);
            const int runs = e.report.runsLogged;
            // The QSB's silence is most often its cable.
            const bool silent = e.report.status.code() == CaptureEnd::QSB_SILENT;
            const QString words =
                QString::fromStdString(CaptureEndText(m_plan, e.report)) +
                (silent ? QString(": it was unplugged or stopped answering") : QString()) + ".\n" +
                (runs == 0
                     ? QString("No run was completed.")
                     : QString::fromStdString(Counted(runs, "completed run", "completed runs")) +
                           " kept in " + m_logPath + ".");
            m_state->setText(words);
            if (e.report.status.ok()) {
                m_progress->setValue(1000);
                m_left->setText(QString::fromStdString(DurationText(0)));
            }
            emit Ended(m_logPath, words, runs);
            break;
        }
    }
}

}  // namespace pitchwise
