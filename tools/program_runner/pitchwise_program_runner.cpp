// pitchwise-program-runner: a simulated machine that runs a test cycle's
// part program in real time, its axis carrying the bench's pitch error and
// lost motion, with the simulated QSB on that axis. It starts the program
// once the QSB is first read, so a capture started beside it sees the axis
// parked first, as at a real machine.
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "axis_model.h"
#include "program_reader.h"
#include "qsb_simulator.h"

namespace pitchwise {

namespace {

std::atomic<bool> theStop{false};

void RequestStop(int) {
    theStop = true;
}

const char* const kUsage =
    "usage: pitchwise-program-runner --port-dir DIR --program FILE --dialect NAME\n"
    "           [--port 1] [--axis X] [--park P] [--rapid 5000] [--lost-motion 0.01]\n"
    "           [--scale-error 0.0002] [--screw-error 0.003] [--screw-pitch 5]\n"
    "           [--noise 0] [--wrong-stop K --wrong-by D] [--unplug-at-stop K]\n"
    "\n"
    "Publishes a simulated QSB as DIR/COM<port> and, once it is first read, runs\n"
    "FILE (a linuxcnc, grbl, fanuc or siemens program) on a simulated axis in\n"
    "real time, in millimetres, at the program's feed. The QSB counts the axis's\n"
    "real position: the commanded one plus the scale error per mm, the screw's\n"
    "error (amplitude, pitch) and half the lost motion against the last move.\n"
    "\n"
    "  --park P            where the axis stands before the program (default:\n"
    "                      10 below the program's first position)\n"
    "  --rapid F           the rapid moves' feed, mm/min\n"
    "  --wrong-stop K      stop K (counting the program's dwells from 1) is made\n"
    "  --wrong-by D        D mm away from where the program says\n"
    "  --unplug-at-stop K  the QSB is unplugged as dwell K begins\n"
    "\n"
    "Runs until interrupted; prints each dwell as it begins and the program's end.\n";

struct RunnerOptions {
    std::string portDir, program;
    ProgramFamily family = ProgramFamily::LINUXCNC;
    bool familyGiven = false;
    int port = 1;
    char axis = 'X';
    bool parkGiven = false;
    double park = 0, rapid = 5000;
    PitchErrorProfile profile;
    int wrongStop = 0, unplugAtStop = 0;
    double wrongBy = 0;
};

bool ParseOptions(int argc, char** argv, RunnerOptions& o) {
    o.profile.backlash = 0.01;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        char* end = nullptr;
        const double number = std::strtod(value.c_str(), &end);
        const bool numeric = end != value.c_str() && *end == '\0';
        if (option == "--port-dir") {
            o.portDir = value;
        } else if (option == "--program") {
            o.program = value;
        } else if (option == "--dialect") {
            o.familyGiven = ProgramFamilyFromName(value, o.family);
            if (!o.familyGiven) return false;
        } else if (option == "--axis" && value.size() == 1 &&
                   std::string("XYZ").find(value[0]) != std::string::npos) {
            o.axis = value[0];
        } else if (!numeric) {
            return false;
        } else if (option == "--port") {
            o.port = static_cast<int>(number);
        } else if (option == "--park") {
            o.park = number, o.parkGiven = true;
        } else if (option == "--rapid" && number > 0) {
            o.rapid = number;
        } else if (option == "--lost-motion") {
            o.profile.backlash = number;
        } else if (option == "--scale-error") {
            o.profile.scalePerUnit = number;
        } else if (option == "--screw-error") {
            o.profile.periodicAmplitude = number;
        } else if (option == "--screw-pitch") {
            o.profile.periodicPitch = number;
        } else if (option == "--noise") {
            o.profile.noise = number;
        } else if (option == "--wrong-stop") {
            o.wrongStop = static_cast<int>(number);
        } else if (option == "--wrong-by") {
            o.wrongBy = number;
        } else if (option == "--unplug-at-stop") {
            o.unplugAtStop = static_cast<int>(number);
        } else {
            return false;
        }
    }
    return !o.portDir.empty() && !o.program.empty() && o.familyGiven && o.port > 0;
}

// Waits until `until`, or until stopped; false when stopped.
bool WaitUntil(CAxisModel::Clock::time_point until) {
    while (!theStop) {
        const auto now = CAxisModel::Clock::now();
        if (now >= until) return true;
        std::this_thread::sleep_for(
            std::min<CAxisModel::Clock::duration>(until - now, std::chrono::milliseconds(50)));
    }
    return false;
}

const char* ProgramCodeText(ProgramCode code) {
    switch (code) {
        case ProgramCode::OK:
            return "read";
        case ProgramCode::UNKNOWN_WORD:
            return "a word this machine does not know";
        case ProgramCode::OTHER_AXIS:
            return "another axis";
        case ProgramCode::NO_FEED:
            return "a linear move before any feed";
        case ProgramCode::RELATIVE:
            return "incremental coordinates";
        case ProgramCode::SPINDLE_DWELL:
            return "a dwell in spindle turns";
        case ProgramCode::BAD_NUMBER:
            return "a number that cannot be read";
        case ProgramCode::NO_END:
            return "no end of program";
    }
    return "refused";
}

int Run(const RunnerOptions& o, const std::vector<ProgramStep>& steps) {
    std::mutex mutex;
    CAxisModel axis(o.profile, o.rapid / 60.0, o.park);
    CQsbSimulator sim(o.portDir);
    std::atomic<bool> read{false};
    sim.SetCountSource([&] {
        std::lock_guard<std::mutex> lock(mutex);
        return axis.Counts(CAxisModel::Clock::now());
    });
    sim.SetObserver([&read](const QsbSimTraffic& t) {
        if (t.direction == QsbSimTraffic::RECEIVED && t.bytes.find("R0E0!") != std::string::npos)
            read = true;
    });
    if (!sim.Plug(o.port)) {
        std::fprintf(stderr, "pitchwise-program-runner: cannot publish %s\n",
                     sim.PortPath(o.port).c_str());
        return 1;
    }
    sim.Start();
    std::printf("QSB on %s, axis parked at %.4f\n", sim.PortPath(o.port).c_str(), o.park);
    std::fflush(stdout);
    while (!theStop && !read) WaitUntil(CAxisModel::Clock::now() + std::chrono::milliseconds(50));
    if (!theStop) std::printf("program started\n");
    int dwells = 0;
    for (std::size_t i = 0; i < steps.size() && !theStop; ++i) {
        const ProgramStep& step = steps[i];
        double seconds = step.seconds;
        CAxisModel::Clock::time_point now;
        {
            std::lock_guard<std::mutex> lock(mutex);
            now = CAxisModel::Clock::now();
            if (step.kind == ProgramStep::MOVE) {
                double target = step.positionMm;
                const bool nextIsWrong = o.wrongStop > 0 && i + 1 < steps.size() &&
                                         steps[i + 1].kind == ProgramStep::DWELL &&
                                         dwells + 1 == o.wrongStop;
                if (nextIsWrong) target += o.wrongBy;
                const double perSecond =
                    (step.feedMmPerMin > 0 ? step.feedMmPerMin : o.rapid) / 60.0;
                seconds = std::fabs(target - axis.Commanded(now)) / perSecond;
                axis.SetSpeed(perSecond);
                axis.MoveTo(target, now);
            } else {
                ++dwells;
                axis.Dwell(std::chrono::milliseconds(std::llround(step.seconds * 1000)), now);
                std::printf("dwell %d at %.4f, line %zu\n", dwells, axis.Commanded(now), step.line);
                if (dwells == o.unplugAtStop) {
                    sim.Unplug();
                    std::printf("QSB unplugged\n");
                }
            }
        }
        std::fflush(stdout);
        if (!WaitUntil(now + std::chrono::duration_cast<CAxisModel::Clock::duration>(
                                 std::chrono::duration<double>(seconds))))
            break;
    }
    if (!theStop) std::printf("program ended\n");
    std::fflush(stdout);
    while (!theStop) WaitUntil(CAxisModel::Clock::now() + std::chrono::seconds(1));
    sim.Stop();
    return 0;
}

}  // namespace

}  // namespace pitchwise

using namespace pitchwise;

int main(int argc, char** argv) {
    RunnerOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::ifstream file(options.program);
    std::stringstream text;
    text << file.rdbuf();
    if (!file) {
        std::fprintf(stderr, "pitchwise-program-runner: cannot read %s\n", options.program.c_str());
        return 1;
    }
    const ProgramReading reading = ReadProgram(text.str(), options.family, options.axis);
    if (!reading.status) {
        std::fprintf(stderr, "pitchwise-program-runner: %s: line %zu: %s %s\n",
                     options.program.c_str(), reading.line, ProgramCodeText(reading.status.code()),
                     reading.status.subject().c_str());
        return 1;
    }
    if (!options.parkGiven) {
        for (const ProgramStep& step : reading.steps) {
            if (step.kind != ProgramStep::MOVE) continue;
            options.park = step.positionMm - 10;
            break;
        }
    }
    signal(SIGINT, RequestStop);
    signal(SIGTERM, RequestStop);
    return Run(options, reading.steps);
}
