#include "axis_chart.h"

#include <QtCharts/QAreaSeries>
#include <QtCharts/QChart>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <QtCore/QBuffer>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtSvg/QSvgGenerator>
#include <QtWidgets/QGraphicsScene>
#include <algorithm>
#include <cmath>
#include <functional>

#include "before_after.h"
#include "qsb.h"
#include "text.h"

namespace pitchwise {

namespace {

constexpr int kWidth = 1200;
constexpr int kHeight = 720;

const QColor kUp(31, 119, 180);
const QColor kDown(214, 95, 14);
const QColor kReversal(90, 90, 90);
const QColor kAfterUp(44, 160, 44);
const QColor kAfterDown(148, 103, 189);

double Counts(double length) {
    return length * QSB_COUNTS_PER_UNIT;
}

QString Figure1(const char* name, const Figure& value) {
    return value ? QString("%1 %2").arg(name).arg(Counts(*value), 0, 'f', 1)
                 : QString("%1 n/a").arg(name);
}

QLineSeries* Line(QChart* chart, const QString& name, const QColor& color, qreal width,
                  Qt::PenStyle style = Qt::SolidLine) {
    auto* series = new QLineSeries(chart);
    series->setName(name);
    QPen pen(color);
    pen.setWidthF(width);
    pen.setStyle(style);
    series->setPen(pen);
    return series;
}

// A curve over the targets where `value` gives a number; empty when none does.
QLineSeries* Curve(QChart* chart, const QString& name, const QColor& color, qreal width,
                   const std::vector<TargetFigures>& targets,
                   const std::function<Figure(const TargetFigures&)>& value,
                   Qt::PenStyle style = Qt::SolidLine) {
    QLineSeries* series = Line(chart, name, color, width, style);
    for (const TargetFigures& t : targets) {
        Figure v = value(t);
        if (v) series->append(t.target, Counts(*v));
    }
    return series;
}

void HideFromLegend(QChart* chart, QAbstractSeries* series) {
    for (QLegendMarker* marker : chart->legend()->markers(series)) marker->setVisible(false);
}

// The mean ± 2s as translucent bands over every stretch of targets that
// has an s (two runs or more that way); where s is missing no band is drawn
// rather than a narrow one.
void AddBands(QChart* chart, const std::vector<TargetFigures>& targets, bool up,
              const QColor& color, const QString& name) {
    QColor fill = color;
    fill.setAlpha(50);
    bool named = false;
    std::size_t i = 0;
    while (i < targets.size()) {
        auto* upper = new QLineSeries(chart);
        auto* lower = new QLineSeries(chart);
        for (; i < targets.size(); ++i) {
            const TargetFigures& t = targets[i];
            const Figure& mean = up ? t.meanUp : t.meanDown;
            const Figure& s = up ? t.sUp : t.sDown;
            if (!mean) continue;  // not measured that way: the stretch goes on
            if (!s) break;
            upper->append(t.target, Counts(*mean + 2 * *s));
            lower->append(t.target, Counts(*mean - 2 * *s));
        }
        ++i;
        if (upper->count() == 0) {
            delete upper;
            delete lower;
            continue;
        }
        auto* band = new QAreaSeries(upper, lower);
        band->setName(name);
        band->setBrush(fill);
        band->setPen(Qt::NoPen);
        chart->addSeries(band);
        if (named) HideFromLegend(chart, band);
        named = true;
    }
}

QString Removed(const char* name, const Figure& before, const Figure& after) {
    const Figure removed = PercentRemoved(before, after);
    return removed ? QString("%1 removed %2 %").arg(name).arg(*removed, 0, 'f', 1)
                   : QString("%1 removed n/a").arg(name);
}

QChart* BuildChart(const AxisReport& report) {
    auto* chart = new QChart();
    chart->setAnimationOptions(QChart::NoAnimation);
    const AxisFigures& f = report.figures;
    chart->setTitle(QString("Axis %1: %2 — %3, %4, %5, %6, %7 (QSB counts)")
                        .arg(QChar(report.axis))
                        .arg(QString::fromStdString(Counted(report.runs.size(), "run", "runs")))
                        .arg(Figure1("E", f.systematic), Figure1("M", f.meanDeviation),
                             Figure1("B", f.reversal), Figure1("R", f.repeat),
                             Figure1("A", f.accuracy)));
    QFont title = chart->titleFont();
    title.setPointSize(12);
    title.setBold(true);
    chart->setTitleFont(title);

    bool namedUp = false;
    bool namedDown = false;
    for (const LoggedRun& run : report.runs) {
        const bool up = run.direction == Direction::UP;
        QColor color = up ? kUp : kDown;
        color.setAlpha(110);
        QLineSeries* series = Line(chart, up ? "runs up" : "runs down", color, 1.0);
        // Point 0 is the run's tie, the zero the QSB was just given, not a
        // reading: drawn, it would show the tie's value as measured there.
        for (std::size_t i = 1; i < run.points.size(); ++i)
            series->append(run.points[i].target, Counts(run.points[i].deviation));
        chart->addSeries(series);
        bool& named = up ? namedUp : namedDown;
        if (named) HideFromLegend(chart, series);
        named = true;
    }
    AddBands(chart, f.targets, true, kUp, "mean up ±2s");
    AddBands(chart, f.targets, false, kDown, "mean down ±2s");
    chart->addSeries(Curve(chart, "mean up", kUp, 3, f.targets,
                           [](const TargetFigures& t) { return t.meanUp; }));
    chart->addSeries(Curve(chart, "mean down", kDown, 3, f.targets,
                           [](const TargetFigures& t) { return t.meanDown; }));
    chart->addSeries(Curve(
        chart, "reversal B_i", kReversal, 2, f.targets,
        [](const TargetFigures& t) { return t.reversal; }, Qt::DashLine));
    if (!report.verification.empty()) {
        // After: what is left with the table in force, on the same axes as
        // what the table was made to remove.
        const AxisFigures& after = report.residual;
        AddBands(chart, after.targets, true, kAfterUp, "after: up ±2s");
        AddBands(chart, after.targets, false, kAfterDown, "after: down ±2s");
        chart->addSeries(Curve(chart, "after: mean up", kAfterUp, 3, after.targets,
                               [](const TargetFigures& t) { return t.meanUp; }));
        chart->addSeries(Curve(chart, "after: mean down", kAfterDown, 3, after.targets,
                               [](const TargetFigures& t) { return t.meanDown; }));
        chart->setTitle(
            chart->title() +
            QString("<br>with the table in force, %1: %2, %3; %4, %5")
                .arg(QString::fromStdString(Counted(report.verification.size(), "run", "runs")))
                .arg(Figure1("E", after.systematic), Figure1("M", after.meanDeviation),
                     Removed("E", f.systematic, after.systematic),
                     Removed("M", f.meanDeviation, after.meanDeviation)));
        // Called out by name, as the text does in full.
        QStringList larger;
        for (const std::string& said : ResidualsLargerThanBefore(f, after))
            larger << QString::fromStdString(said.substr(0, said.find(' ')));
        if (!larger.isEmpty())
            chart->setTitle(chart->title() + "<br>WARNING: " + larger.join(", ") +
                            " larger with the table in force than before it");
    }
    // A name in the legend promises a line in the picture.
    for (QAbstractSeries* series : chart->series()) {
        auto* line = qobject_cast<QXYSeries*>(series);
        if (line && line->count() == 0) HideFromLegend(chart, series);
        // A line of one point draws nothing: its point is marked instead.
        if (line && line->count() == 1) line->setPointsVisible(true);
    }
    chart->legend()->setAlignment(Qt::AlignBottom);
    QFont legend = chart->legend()->font();
    legend.setPointSize(9);
    chart->legend()->setFont(legend);

    auto* x = new QValueAxis(chart);
    x->setTitleText("target (machine position, length unit)");
    x->setLabelFormat("%.4g");
    auto* y = new QValueAxis(chart);
    y->setTitleText("deviation, actual - target (QSB counts)");
    y->setLabelFormat("%.1f");
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
    // The range of everything drawn, so no curve is cut off at an edge.
    QRectF bounds;
    auto include = [&bounds](const QList<QPointF>& points) {
        for (const QPointF& p : points) bounds |= QRectF(p, QSizeF(1e-9, 1e-9));
    };
    for (QAbstractSeries* series : chart->series()) {
        if (auto* area = qobject_cast<QAreaSeries*>(series)) {
            include(area->upperSeries()->points());
            include(area->lowerSeries()->points());
        } else if (auto* line = qobject_cast<QLineSeries*>(series)) {
            include(line->points());
        }
    }
    const double margin = std::max(bounds.height() * 0.05, 1.0);
    x->setRange(bounds.left(), bounds.right());
    // Ticks at a round step from the first target, about ten of them.
    const double span = std::max(bounds.width(), 1e-4);
    double step = std::pow(10.0, std::floor(std::log10(span / 10)));
    for (double factor : {2.0, 5.0, 10.0})
        if (span / step > 12) step = std::pow(10.0, std::floor(std::log10(span / 10))) * factor;
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(bounds.left());
    x->setTickInterval(step);
    y->setRange(bounds.top() - margin, bounds.bottom() + margin);
    y->applyNiceNumbers();
    chart->resize(kWidth, kHeight);
    return chart;
}

}  // namespace

QChart* BuildAxisChart(const AxisReport& report) {
    return BuildChart(report);
}

bool DrawAxisChart(const AxisReport& report, std::string& png, std::string& svg,
                   std::string& error) {
    QGraphicsScene scene;
    QChart* chart = BuildChart(report);
    scene.addItem(chart);  // the scene owns it from here
    scene.setSceneRect(0, 0, kWidth, kHeight);

    QImage image(kWidth, kHeight, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        scene.render(&painter);
    }
    // Light compression: the picture is written in a fraction of the time,
    // a little larger.
    QByteArray pngBytes;
    QBuffer pngBuffer(&pngBytes);
    if (!pngBuffer.open(QIODevice::WriteOnly) || !image.save(&pngBuffer, "PNG", 80)) {
        error = "cannot draw the PNG picture";
        return false;
    }

    QByteArray svgBytes;
    QBuffer svgBuffer(&svgBytes);
    svgBuffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&svgBuffer);
    generator.setSize(QSize(kWidth, kHeight));
    generator.setViewBox(QRect(0, 0, kWidth, kHeight));
    generator.setTitle(chart->title().replace("<br>", " / "));
    QPainter painter;
    if (!painter.begin(&generator)) {
        error = "cannot draw the SVG picture";
        return false;
    }
    scene.render(&painter);
    painter.end();
    png.assign(pngBytes.constData(), static_cast<std::size_t>(pngBytes.size()));
    svg.assign(svgBytes.constData(), static_cast<std::size_t>(svgBytes.size()));
    return true;
}

}  // namespace pitchwise
