// pitchwise-capture: measures an axis on any controller that runs a part
// program. "plan" writes the test cycle's program and the plan beside it;
// "run" reads the QSB while the operator runs that program, takes a reading
// wherever the axis stands at the next target, and appends each completed
// run to the run log that pitchwise-report reads.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "capture_options.h"
#include "capture_session.h"
#include "cycle_plan.h"
#include "part_program.h"
#include "plan_file.h"
#include "text_file.h"

namespace {

const char* const kUsage =
    "usage: pitchwise-capture plan --axis X|Y|Z --from A --to B (--targets N | --spacing S)\n"
    "                              --dialect linuxcnc|grbl|fanuc|siemens -o PROGRAM\n"
    "                              [--unit mm|inch] [--runs 5] [--dwell 5] [--feed F]\n"
    "                              [--overrun 5] [--window 1] [--lost-motion 0.1]\n"
    "                              [--random-offsets [--seed N]]\n"
    "       pitchwise-capture run PLAN [--port COMn] [--log RUNLOG] [--window W]\n"
    "                              [--band 3] [--table-in-force]\n"
    "\n"
    "plan writes the part program of the linear test cycle and PROGRAM's plan\n"
    "beside it (the extension replaced by .plan). run finds the QSB, waits for\n"
    "the program to start, zeroes at the first target and takes a reading at\n"
    "every stop of the plan; each completed run (up and down) is appended to\n"
    "RUNLOG (default: the plan's name with -runs.csv). Ctrl-C stops it; the\n"
    "completed runs stay. Exit status: 0 done, 1 refused or failed, 2 usage,\n"
    "3 stopped.\n";

volatile std::sig_atomic_t theStopRequested = 0;

void RequestStop(int) {
    theStopRequested = 1;
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int Plan(const PlanCommand& command) {
    PlanRequest request = command.request;
    if (request.randomOffsets && !command.seedGiven)
        request.seed = static_cast<std::uint32_t>(std::time(nullptr));
    CapturePlan plan;
    std::string error;
    if (!MakePlan(request, plan, error)) {
        std::fprintf(stderr, "pitchwise-capture: refused: %s\n", error.c_str());
        return 1;
    }
    const std::string planPath = PlanPathFor(command.program);
    if (planPath == command.program) {
        std::fprintf(stderr, "pitchwise-capture: the program cannot be named *.plan\n");
        return 1;
    }
    // Each written whole or not at all: a program half written never
    // stands under its own name.
    const std::pair<std::string, std::string> files[] = {
        {command.program, PartProgram(plan)},
        {planPath, FormatPlan(plan, BaseName(command.program))}};
    for (const auto& file : files) {
        const AtomicWrite written = WriteFileAtomically(file.first, file.second);
        if (!written.written) {
            std::fprintf(stderr, "pitchwise-capture: %s\n", written.message.c_str());
            return 1;
        }
    }
    const std::vector<CycleWaypoint> path = CycleWaypoints(plan);
    const double seconds = CycleSeconds(plan, path, std::nullopt, path.size() - 1);
    std::printf("wrote %s and %s: %zu targets, %d runs each way, about %d min\n",
                command.program.c_str(), planPath.c_str(), plan.targets.size(), plan.runs,
                static_cast<int>(seconds / 60.0 + 0.999));
    return 0;
}

int Run(const RunCommand& command) {
    std::ifstream file(command.plan);
    std::stringstream text;
    text << file.rdbuf();
    CapturePlan plan;
    std::string error;
    if (!file || !ParsePlan(text.str(), plan, error)) {
        std::fprintf(stderr, "pitchwise-capture: %s: %s\n", command.plan.c_str(),
                     file ? error.c_str() : "cannot be read");
        return 1;
    }
    if (command.window) {
        plan.window = *command.window;
        error = CheckPlan(plan);
        if (!error.empty()) {
            std::fprintf(stderr, "pitchwise-capture: --window refused: %s\n", error.c_str());
            return 1;
        }
    }
    CaptureSettings settings;
    settings.port = command.port;
    settings.logPath = command.log;
    settings.window = plan.window;
    settings.bandCounts = command.bandCounts;
    settings.tableInForce = command.tableInForce;

    struct sigaction action {};
    action.sa_handler = RequestStop;
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    // A terminal gets one line rewritten in place; a log gets the notes only.
    const bool live = isatty(STDOUT_FILENO) == 1;
    auto progress = [live](const std::string& line) {
        if (live) std::printf("\r%s\033[K", line.c_str());
        std::fflush(stdout);
    };
    auto note = [live](const std::string& line) {
        std::printf("%s%s\n", live ? "\r\033[K" : "", line.c_str());
        std::fflush(stdout);
    };
    CaptureReport report = RunCapture(plan, settings, progress, note, theStopRequested);
    note("pitchwise-capture: " + report.message + "; " + std::to_string(report.runsLogged) +
         " completed run" + (report.runsLogged == 1 ? "" : "s") + " in " + settings.logPath);
    switch (report.outcome) {
        case CaptureOutcome::FINISHED:
            return 0;
        case CaptureOutcome::STOPPED:
            return 3;
        default:
            return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    CaptureCommand command;
    std::string error;
    if (!ParseCaptureCommand(arguments, command, error)) {
        std::fprintf(stderr, "pitchwise-capture: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    switch (command.kind) {
        case CaptureCommand::HELP:
            std::fputs(kUsage, stdout);
            return 0;
        case CaptureCommand::PLAN:
            return Plan(command.plan);
        case CaptureCommand::RUN:
            return Run(command.run);
    }
    return 2;
}
