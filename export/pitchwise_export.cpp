// pitchwise-export: one axis's compensation table, from a run log, in a
// controller's format, to a file or standard output.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "export_table.h"
#include "run_log_file.h"
#include "text_file.h"

using namespace pitchwise;

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    ExportOptions options;
    std::string error;
    if (!ParseExportOptions(args, options, error)) {
        std::fprintf(stderr, "pitchwise-export: %s\n%s", error.c_str(), EXPORT_USAGE_LINE);
        return 2;
    }
    if (options.help) {
        std::printf("%s%s", EXPORT_USAGE, TEMPERATURE_USAGE);
        return 0;
    }
    // The reader takes a missing log for an empty one, as an append must;
    // here it is a mistyped name.
    struct stat status;
    if (stat(options.runLog.c_str(), &status) != 0) {
        std::fprintf(stderr, "pitchwise-export: cannot read %s: %s\n", options.runLog.c_str(),
                     std::strerror(errno));
        return 1;
    }
    RunLogReading reading;
    if (!ReadRunLogFile(options.runLog, reading, error)) {
        // The reader's reason names the file already.
        std::fprintf(stderr, "pitchwise-export: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& warning : reading.warnings)
        std::fprintf(stderr, "pitchwise-export: warning: %s\n", warning.c_str());
    ExportResult result;
    if (!ExportTable(reading.runs, options, result, error)) {
        std::fprintf(stderr, "pitchwise-export: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& note : result.notes)
        std::fprintf(stderr, "pitchwise-export: note: %s\n", note.c_str());
    // "-" names standard output, as elsewhere.
    if (options.output.empty() || options.output == "-") {
        std::fputs(result.text.c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    const FileStatus written = WriteFileAtomically(options.output, result.text);
    if (!written) {
        std::fprintf(stderr, "pitchwise-export: %s\n", FileStatusText(written).c_str());
        return 1;
    }
    return 0;
}
