// pitchwise-capture: measures an axis on any controller that runs a part
// program. "plan" writes the test cycle's program and the plan beside it;
// "run" reads the QSB while the operator runs that program, takes a reading
// wherever the axis stands at the next target, and appends each completed
// run to the run log that pitchwise-report reads.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "capture_messages.h"
#include "capture_options.h"
#include "capture_session.h"
#include "cycle_plan.h"
#include "part_program.h"
#include "plan_file.h"
#include "text.h"
#include "text_file.h"

namespace pitchwise {

namespace {

const char* const kUsageLine =
    "usage: pitchwise-capture plan OPTIONS | run PLAN [OPTIONS]"
    "   (pitchwise-capture --help says more)\n";

const char* const kUsage =
    "usage: pitchwise-capture plan --axis X|Y|Z --from A --to B (--targets N | --spacing S)\n"
    "                              --dialect linuxcnc|grbl|fanuc|siemens -o PROGRAM\n"
    "                              [--unit mm|inch] [--counts-per-unit 10034.463]\n"
    "                              [--runs 5] [--dwell 5] [--feed F]\n"
    "                              [--overrun 5] [--window 1] [--lost-motion 0.1]\n"
    "                              [--random-offsets [--seed N]]\n"
    "       pitchwise-capture run PLAN [--port COMn] [--log RUNLOG] [--window W]\n"
    "                              [--band 3] [--table-in-force]\n"
    "\n"
    "plan writes the part program of the linear test cycle, in machine\n"
    "coordinates, and PROGRAM's plan beside it (the extension replaced by\n"
    ".plan); Fanuc's G53 positions at rapid traverse, and that dialect is for\n"
    "mills only. run finds the QSB, waits for\n"
    "the program to start, zeroes at the first target and takes a reading at\n"
    "every stop of the plan; each completed run (up and down) is appended to\n"
    "RUNLOG (default: the plan's name with -runs.csv). Ctrl-C stops it; the\n"
    "completed runs stay.\n"
    "\n"
    "plan:\n"
    "  --axis X|Y|Z      the axis to measure\n"
    "  --from A, --to B  the first and last targets, in machine coordinates\n"
    "  --targets N       N targets evenly from A to B, or\n"
    "  --spacing S       a target every S from A to B\n"
    "  --dialect NAME    linuxcnc, grbl, fanuc or siemens\n"
    "  -o PROGRAM        the program's file; the plan goes beside it\n"
    "  --unit mm|inch    the program's unit (default mm)\n"
    "  --counts-per-unit C  the QSB's counts per unit of the program (default\n"
    "                    10034.463, the dialog's, per unit of its machine)\n"
    "  --runs N          runs each way (default 5)\n"
    "  --dwell SECONDS   dwell at every stop (default 5, at least 3)\n"
    "  --feed F          the feed per minute (default 1000 mm, 40 in)\n"
    "  --overrun O       the turns past the end targets (default 5 mm, 0.2 in)\n"
    "  --window W        half a target's window (default 1 mm, 0.04 in)\n"
    "  --lost-motion L   the largest lost motion expected (default 0.1 mm)\n"
    "  --random-offsets  move each inner target by up to a quarter spacing\n"
    "  --seed N          the random offsets' seed (default: from the clock)\n"
    "\n"
    "run:\n"
    "  --port COMn       the QSB's port, COM1 to COM7 (default: all scanned)\n"
    "  --log RUNLOG      the run log (default: beside the plan, -runs.csv)\n"
    "  --window W        another window than the plan's\n"
    "  --band COUNTS     counts two readings at standstill may differ (default 3)\n"
    "  --table-in-force  the controller's table was in force: verification runs\n"
    "\n"
    "  -h, --help        print this help and exit\n"
    "\n"
    "Exit status: 0 done, 1 refused or failed, 2 usage, 3 stopped.\n";

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
    const CaptureStatus made = MakePlan(request, plan);
    if (!made) {
        std::fprintf(stderr, "pitchwise-capture: refused: %s\n", CaptureMessage(made).c_str());
        return 1;
    }
    const std::string planPath = PlanPathFor(command.program);
    if (planPath == command.program) {
        std::fprintf(stderr, "pitchwise-capture: the program cannot be named *.plan\n");
        return 1;
    }
    // Each written whole or not at all: a program half written never
    // stands under its own name.
    std::string program;
    const CaptureStatus programmed = PartProgram(plan, program);
    if (!programmed) {
        std::fprintf(stderr, "pitchwise-capture: refused: %s\n",
                     CaptureMessage(programmed).c_str());
        return 1;
    }
    const std::pair<std::string, std::string> files[] = {
        {command.program, program}, {planPath, FormatPlan(plan, BaseName(command.program))}};
    for (const auto& file : files) {
        const FileStatus written = WriteFileAtomically(file.first, file.second);
        if (!written) {
            std::fprintf(stderr, "pitchwise-capture: %s\n", FileStatusText(written).c_str());
            return 1;
        }
    }
    const std::vector<CycleWaypoint> path = CycleWaypoints(plan);
    const double seconds = CycleSeconds(plan, path, std::nullopt, path.size() - 1);
    std::printf("wrote %s and %s: %zu targets, %s each way, about %d min\n",
                command.program.c_str(), planPath.c_str(), plan.targets.size(),
                Counted(plan.runs, "run", "runs").c_str(),
                static_cast<int>(seconds / 60.0 + 0.999));
    return 0;
}

int Run(const RunCommand& command) {
    std::string text, error;
    const FileRead read = ReadTextFile(command.plan, text, error);
    if (read != FileRead::READ) {
        if (read == FileRead::ABSENT)
            std::fprintf(stderr, "pitchwise-capture: %s: cannot be read: %s\n",
                         command.plan.c_str(), std::strerror(ENOENT));
        else
            std::fprintf(stderr, "pitchwise-capture: %s\n", error.c_str());
        return 1;
    }
    CapturePlan plan;
    const CaptureStatus parsed = ParsePlan(text, plan);
    if (!parsed) {
        std::fprintf(stderr, "pitchwise-capture: %s: %s\n", command.plan.c_str(),
                     CaptureMessage(parsed).c_str());
        return 1;
    }
    if (command.window) {
        plan.window = *command.window;
        const CaptureStatus checked = CheckPlan(plan);
        if (!checked) {
            std::fprintf(stderr, "pitchwise-capture: --window refused: %s\n",
                         CaptureMessage(checked).c_str());
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
    note("pitchwise-capture: " + report.message + "; " +
         Counted(report.runsLogged, "completed run", "completed runs") + " in " + settings.logPath);
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

}  // namespace pitchwise

using namespace pitchwise;

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    CaptureCommand command;
    const CaptureStatus parsed = ParseCaptureCommand(arguments, command);
    if (!parsed) {
        std::fprintf(stderr, "pitchwise-capture: %s\n%s", CaptureMessage(parsed, arguments).c_str(),
                     kUsageLine);
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
