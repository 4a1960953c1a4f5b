// pitchwise-bench: the simulated machine as a program, for running
// Pitchwise against it by hand, from the demo or from a script.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "bench_options.h"
#include "output_paths.h"
#include "text_file.h"

namespace pitchwise {

namespace {

volatile sig_atomic_t theStopRequested = 0;

void RequestStop(int) {
    theStopRequested = 1;
}

bool WriteFile(const std::string& path, const std::string& text) {
    std::error_code ignored;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ignored);
    // Replaced in one step, so a script that waits for it never reads half.
    const FileStatus written = WriteFileAtomically(path, text);
    if (!written) std::fprintf(stderr, "pitchwise-bench: %s\n", FileStatusText(written).c_str());
    return written.ok();
}

}  // namespace

}  // namespace pitchwise

using namespace pitchwise;

int main(int argc, char** argv) {
    BenchCommandLine options;
    std::string error;
    if (!ParseBenchCommandLine(argc, argv, options, error)) {
        std::fprintf(stderr, "pitchwise-bench: %s\n\n%s", error.c_str(), BENCH_USAGE);
        return 2;
    }
    if (options.help) {
        std::fputs(BENCH_USAGE, stdout);
        return 0;
    }
    if (!CheckBenchOutputs(options, error)) {
        std::fprintf(stderr, "pitchwise-bench: %s\n", error.c_str());
        return 2;
    }

    CBench bench(options.bench);
    if (!bench.Start(error)) {
        std::fprintf(stderr, "pitchwise-bench: %s\n", error.c_str());
        return 2;
    }
    // Both lines are ready to eval in a shell; the file form also exports them.
    std::string address = "TARVEX_SIM_ADDRESS=" + bench.Address() + "\n";
    std::string portDir = "PITCHWISE_PORT_DIR=" + bench.PortDir() + "\n";
    std::fputs((address + portDir).c_str(), stdout);
    std::fflush(stdout);
    if (!options.envFile.empty() &&
        !WriteFile(options.envFile, "export " + address + "export " + portDir)) {
        std::fprintf(stderr, "pitchwise-bench: cannot write %s\n", options.envFile.c_str());
        return 2;
    }

    signal(SIGINT, RequestStop);
    signal(SIGTERM, RequestStop);
    const auto tick = std::chrono::milliseconds(100);
    double waited = 0;
    while (!theStopRequested && !bench.WaitForRuns(options.runs, tick, true)) {
        waited += 0.1;
        if (options.timeoutSeconds > 0 && waited >= options.timeoutSeconds) break;
    }

    std::string report = bench.ReportText();
    std::fputs(report.c_str(), stdout);
    if (!options.csvFile.empty() && !WriteFile(options.csvFile, bench.ReportCsv())) {
        std::fprintf(stderr, "pitchwise-bench: cannot write %s\n", options.csvFile.c_str());
    }
    if (!bench.LoggedRuns().empty()) {
        std::string truth = bench.TruthText();
        std::fputs(truth.c_str(), stdout);
        if (!options.truthFile.empty() && !WriteFile(options.truthFile, truth))
            std::fprintf(stderr, "pitchwise-bench: cannot write %s\n", options.truthFile.c_str());
    }
    bool agree = bench.Verdict().agree;
    bench.Stop();
    // A script that waits for the file on its next start must not find this
    // run's address and port directory, both gone with this process.
    if (!options.envFile.empty()) std::remove(options.envFile.c_str());
    return agree ? 0 : 1;
}
