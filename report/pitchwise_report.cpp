// pitchwise-report: reads a run log and writes, for each axis in it, the
// figures of its latest measurement as text and as a picture (PNG and SVG).
#include <QtCore/QDir>
#include <QtWidgets/QApplication>
#include <clocale>
#include <cstdio>
#include <fstream>
#include <string>

#include "axis_chart.h"
#include "axis_report.h"
#include "run_log_file.h"
#include "temperature.h"

namespace {

const char* const kUsage =
    "usage: pitchwise-report RUNLOG [-o DIR]\n"
    "\n"
    "Reads the run log, prints the figures of each axis's latest measurement\n"
    "(per direction and for the axis) and writes into DIR (default: the run\n"
    "log's folder) report.txt and, per axis, axis-x.png and axis-x.svg.\n"
    "Exits 0 when written, 1 when the log cannot be read or holds no run,\n"
    "2 on a usage error.\n";

bool ParseArguments(int argc, char** argv, std::string& log, std::string& dir) {
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "-o" && i + 1 < argc) {
            dir = argv[++i];
        } else if (argument.empty() || argument[0] == '-' || !log.empty()) {
            return false;
        } else {
            log = argument;
        }
    }
    if (log.empty()) return false;
    if (dir.empty()) {
        std::size_t slash = log.rfind('/');
        dir = slash == std::string::npos ? "." : log.substr(0, slash + 1);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string logPath;
    std::string dir;
    TemperatureOptions temperature;
    std::string why;
    if (!TakeTemperatureArguments(argc, argv, temperature, why) ||
        !ParseArguments(argc, argv, logPath, dir)) {
        if (!why.empty()) std::fprintf(stderr, "pitchwise-report: %s\n", why.c_str());
        std::fputs(kUsage, stderr);
        std::fputs(TEMPERATURE_USAGE, stderr);
        return 2;
    }
    // A report draws into files only: it never needs a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The figures are written with a decimal point whatever the locale.
    std::setlocale(LC_NUMERIC, "C");

    RunLogReading reading;
    std::string error;
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
        if (!DrawAxisChart(report, name + ".png", name + ".svg", error)) {
            std::fprintf(stderr, "pitchwise-report: %s\n", error.c_str());
            return 1;
        }
        text += "picture: " + name + ".png, " + name + ".svg\n";
    }
    std::ofstream out(base + "report.txt", std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "pitchwise-report: cannot write %sreport.txt\n", base.c_str());
        return 1;
    }
    std::fputs(text.c_str(), stdout);
    return 0;
}
