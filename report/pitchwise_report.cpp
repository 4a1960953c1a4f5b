// pitchwise-report: reads a run log and writes, for each axis in it, the
// figures of its latest measurement as text and as a picture (PNG and SVG).
#include <QtCore/QDir>
#include <QtWidgets/QApplication>
#include <clocale>
#include <cstdio>
#include <string>
#include <utility>

#include "axis_chart.h"
#include "axis_report.h"
#include "report_options.h"
#include "run_log_file.h"
#include "runtime_dir.h"
#include "temperature.h"
#include "text_file.h"

using namespace pitchwise;

int main(int argc, char** argv) {
    ReportCommandLine options;
    TemperatureOptions temperature;
    std::string error;
    // The temperature options are taken out first; the rest is the report's.
    if (!TakeTemperatureArguments(argc, argv, temperature, error) ||
        !ParseReportCommandLine(argc, argv, options, error)) {
        std::fprintf(stderr, "pitchwise-report: %s\n%s", error.c_str(), REPORT_USAGE_LINE);
        return 2;
    }
    if (options.help) {
        std::fputs(REPORT_USAGE, stdout);
        std::fputs(TEMPERATURE_USAGE, stdout);
        std::fputs(REPORT_EXITS, stdout);
        return 0;
    }
    const std::string& logPath = options.runLog;
    const std::string& dir = options.dir;
    if (!CheckRunLogReadable(logPath, error)) {
        std::fprintf(stderr, "pitchwise-report: %s\n", error.c_str());
        return 1;
    }
    ProvideRuntimeDir();
    // A report draws into files only: it never needs a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The figures are written with a decimal point whatever the locale.
    std::setlocale(LC_NUMERIC, "C");

    RunLogReading reading;
    if (!ReadRunLogFile(logPath, reading, error)) {
        std::fprintf(stderr, "pitchwise-report: %s\n", error.c_str());
        return 1;
    }
    NormaliseRuns(reading.runs, temperature);
    std::string text = "run log " + logPath + ", " + TemperatureText(temperature) + "\n";
    for (const std::string& warning : reading.warnings) text += "warning: " + warning + "\n";
    std::vector<AxisReport> reports = BuildAxisReports(reading.runs);
    if (reports.empty()) {
        std::fprintf(stderr, "%spitchwise-report: %s holds no complete run\n", text.c_str(),
                     logPath.c_str());
        return 1;
    }
    if (!QDir().mkpath(QString::fromStdString(dir))) {
        std::fprintf(stderr, "pitchwise-report: cannot make %s\n", dir.c_str());
        return 1;
    }
    std::string base = dir.back() == '/' ? dir : dir + "/";
    for (const AxisReport& report : reports) {
        text += AxisReportText(report);
        std::string name = base + "axis-" + static_cast<char>(report.axis - 'X' + 'x');
        std::string png;
        std::string svg;
        if (!DrawAxisChart(report, png, svg, error)) {
            std::fprintf(stderr, "pitchwise-report: %s\n", error.c_str());
            return 1;
        }
        for (const auto& picture :
             {std::make_pair(name + ".png", &png), std::make_pair(name + ".svg", &svg)}) {
            const FileStatus written = WriteFileAtomically(picture.first, *picture.second);
            if (!written) {
                std::fprintf(stderr, "pitchwise-report: %s\n", FileStatusText(written).c_str());
                return 1;
            }
        }
        text += "picture: " + name + ".png, " + name + ".svg\n";
    }
    const FileStatus written = WriteFileAtomically(base + "report.txt", text);
    if (!written) {
        std::fprintf(stderr, "pitchwise-report: %s\n", FileStatusText(written).c_str());
        return 1;
    }
    std::fputs(text.c_str(), stdout);
    return 0;
}
