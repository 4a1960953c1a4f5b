#include "axis_report.h"

#include <cstdio>

#include "before_after.h"
#include "qsb.h"
#include "run_tie.h"
#include "text.h"

namespace pitchwise {

namespace {

std::string Cell(const Figure& value) {
    return value ? Format(" %10.6f", *value) : std::string("         --");
}

std::string FigureLine(const char* name, const char* meaning, const Figure& value) {
    if (!value) return Format("  %-3s %-44s %13s\n", name, meaning, "not available");
    return Format("  %-3s %-44s %11.6f  %9.1f counts\n", name, meaning, *value,
                  *value * QSB_COUNTS_PER_UNIT);
}

std::size_t Count(const std::vector<LoggedRun>& runs, Direction direction) {
    std::size_t n = 0;
    for (const LoggedRun& run : runs) n += run.direction == direction ? 1 : 0;
    return n;
}

std::string Figures(const AxisFigures& f) {
    std::string text;
    text += "  moving up\n";
    text += FigureLine("E+", "systematic deviation", f.systematicUp);
    text += FigureLine("R+", "repeatability (largest 4s)", f.repeatUp);
    text += FigureLine("A+", "accuracy", f.accuracyUp);
    text += "  moving down\n";
    text += FigureLine("E-", "systematic deviation", f.systematicDown);
    text += FigureLine("R-", "repeatability (largest 4s)", f.repeatDown);
    text += FigureLine("A-", "accuracy", f.accuracyDown);
    text += "  the axis, both directions\n";
    text += FigureLine("E", "systematic deviation", f.systematic);
    text += FigureLine("M", "mean bidirectional deviation", f.meanDeviation);
    text += FigureLine("B", "reversal (largest |B_i|)", f.reversal);
    text += FigureLine("B~", "mean reversal", f.meanReversal);
    text += FigureLine("R", "repeatability", f.repeat);
    text += FigureLine("A", "accuracy", f.accuracy);
    return text;
}

}  // namespace

std::vector<AxisReport> BuildAxisReports(const std::vector<LoggedRun>& log) {
    std::vector<AxisReport> reports;
    for (char axis : {'X', 'Y', 'Z'}) {
        AxisReport report;
        report.axis = axis;
        report.runs = LatestMeasurement(log, axis, false);
        report.verification = LatestMeasurement(log, axis, true);
        if (report.runs.empty() && report.verification.empty()) continue;
        report.figures = ComputeAxisFigures(CollectDeviations(report.runs));
        report.residual = ComputeAxisFigures(CollectDeviations(report.verification));
        reports.push_back(report);
    }
    return reports;
}

std::string AxisReportText(const AxisReport& report) {
    std::string text = Format("axis %c: %s moving up, %zu moving down", report.axis,
                              Counted(Count(report.runs, Direction::UP), "run", "runs").c_str(),
                              Count(report.runs, Direction::DOWN));
    if (!report.runs.empty()) {
        text += Format(" (runs %d to %d, measurement %d)", report.runs.front().run,
                       report.runs.back().run, report.runs.front().measurement);
    }
    text += "\n";
    text +=
        "  deviation = actual - target, in the length unit; a run's start is its tie,\n"
        "  never a sample; -- where the runs cannot give the figure\n";
    text +=
        "      target  n+  n-      mean+      mean-       mean        B_i         s+"
        "         s-        R_i\n";
    for (const TargetFigures& t : report.figures.targets) {
        text += Format("  %10.4f %3zu %3zu", t.target, t.runsUp, t.runsDown) + Cell(t.meanUp) +
                Cell(t.meanDown) + Cell(t.mean) + Cell(t.reversal) + Cell(t.sUp) + Cell(t.sDown) +
                Cell(t.repeat) + "\n";
    }
    text += Figures(report.figures);
    if (!report.verification.empty()) {
        text += Format(
            "axis %c with the table in force: %s (%zu up, %zu "
            "down; measurement %d), before and after\n",
            report.axis,
            Counted(report.verification.size(), "verification run", "verification runs").c_str(),
            Count(report.verification, Direction::UP), Count(report.verification, Direction::DOWN),
            report.verification.front().measurement);
        text += BeforeAfterText(report.figures, report.residual);
    }
    return text;
}

}  // namespace pitchwise
