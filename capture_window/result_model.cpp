#include "result_model.h"

#include <sstream>

#include "export_options.h"
#include "export_table.h"
#include "export_words.h"
#include "report_text.h"
#include "run_log_file.h"

namespace pitchwise {

bool ReadCaptureResult(const std::string& logPath, const TemperatureOptions& temperature,
                       CaptureResult& result, std::string& error) {
    RunLogReading reading;
    if (!ReadRunLogFile(logPath, reading, error)) return false;
    result = CaptureResult();
    result.logPath = logPath;
    result.runs = reading.runs;
    // The export normalises by itself; the figures shown are normalised here.
    std::vector<LoggedRun> normalised = reading.runs;
    NormaliseRuns(normalised, temperature);
    result.reports = BuildAxisReports(normalised);
    result.text = ReportText(logPath, temperature, reading.warnings, result.reports);
    return true;
}

std::vector<std::string> ExportArguments(const std::string& logPath, char axis,
                                         const ExportChoice& choice) {
    std::vector<std::string> args = {logPath, "--axis", std::string(1, axis), "--to",
                                     choice.format};
    const std::pair<const char*, const std::string*> options[] = {
        {"--unit", &choice.unit}, {"--zero-at", &choice.zeroAt}, {"--spacing", &choice.spacing}};
    for (const auto& option : options) {
        if (option.second->empty()) continue;
        args.push_back(option.first);
        args.push_back(*option.second);
    }
    std::istringstream more(choice.more);
    for (std::string word; more >> word;) args.push_back(word);
    return args;
}

bool ExportResultTable(const CaptureResult& result, char axis, const ExportChoice& choice,
                       std::string& text, std::vector<std::string>& notes, std::string& error) {
    ExportOptions options;
    if (!ParseExportOptions(ExportArguments(result.logPath, axis, choice), options, error))
        return false;
    ExportResult exported;
    const ExportStatus made = ExportTable(result.runs, options, exported);
    if (!made) {
        error = ExportWords(made);
        return false;
    }
    text = exported.text;
    notes.clear();
    for (const ExportStatus& note : exported.notes) notes.push_back(ExportWords(note));
    return true;
}

}  // namespace pitchwise
