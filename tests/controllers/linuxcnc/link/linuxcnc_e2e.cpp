// End to end against a running LinuxCNC simulator: Pitchwise's real
// RunMapping drives libTarvex.so (found on the library path, as in use),
// and a simulated QSB reads the simulator's real joint position plus an
// injected pitch error.
//
//   linuxcnc_e2e MODE AXIS START END INCREMENT COMP_FILE BACKLASH QSB_PIN [DIRECTIONS]
//
// map:    runs both directions with "Disable Mapping" set and checks that the
//         table holds the injected error at every point, and the negative
//         column the carriage's BACKLASH besides.
// refine: the same without "Disable Mapping", over a table in force that
//         holds no correction: the refined candidate holds the error.
// verify: runs both directions with the table in force and checks that what
//         is still measured (the residual, as the refined candidate beside
//         the table holds it) stays within a few QSB counts, that the table
//         in force is left byte for byte, and that the candidate stays
//         within 1 count of it wherever the mean residual is within 1 count.
// refuse: one run with "Disable Mapping" must be refused before any move.
//
// DIRECTIONS is both (the default), positive or negative.
//
// The simulated QSB reads the HAL pin QSB_PIN (the carriage) plus the error.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "comp_table.h"
#include "linuxcnc_config.h"
#include "mapping_run.h"
#include "qsb.h"
#include "qsb_simulator.h"
#include "refined_table.h"
#include "run_log_file.h"
#include "run_tie.h"
#include "test_files.h"

namespace pitchwise {

namespace {

constexpr double COUNTS = 10034.463;
constexpr double TOLERANCE_COUNTS = 3.0;

// A screw that runs long by 0.2 µm per mm with a 40 mm periodic wobble.
double PitchError(double position) {
    return 0.015 * std::sin(2.0 * M_PI * position / 40.0) + 0.0002 * position;
}

std::string theQsbPin;

double CarriagePosition() {
    std::FILE* pipe = popen(("halcmd getp " + theQsbPin).c_str(), "r");
    double value = 0.0;
    if (pipe == nullptr) return value;
    if (std::fscanf(pipe, "%lf", &value) != 1) value = 0.0;
    pclose(pipe);
    return value;
}

std::vector<CompPoint> ReadTable(const std::string& path) {
    std::string text;
    return ReadFileForTest(path, text) ? ParseCompTable(text) : std::vector<CompPoint>();
}

double Column(const CompPoint& p, bool positive) {
    return positive ? p.positive : p.negative;
}

// Where the verification measurement's mean residual is within 1 count,
// the candidate must lie within 1 count of the table in force (plus the
// table's printed resolution).
bool CandidateFollowsResidual(const std::string& compFile, char axis) {
    RunLogReading log;
    std::string error;
    const std::string runLog = compFile.substr(0, compFile.rfind('.')) + "-runs.csv";
    if (!ReadRunLogFile(runLog, log, error)) return false;
    const std::vector<CompPoint> table = ReadTable(compFile);
    const std::vector<CompPoint> candidate = ReadTable(RefinedCandidatePath(compFile));
    if (table.size() != candidate.size()) return false;
    int checked = 0;
    for (const TargetDeviations& at : CollectDeviations(LatestMeasurement(log.runs, axis, true))) {
        for (bool positive : {true, false}) {
            const std::vector<double>& values = positive ? at.up : at.down;
            if (values.empty()) continue;
            double mean = 0.0;
            for (double v : values) mean += v / static_cast<double>(values.size());
            if (std::fabs(mean) * COUNTS > 1.0) continue;
            for (std::size_t i = 0; i < table.size(); ++i) {
                if (std::fabs(table[i].nominal - at.target) > 5e-5) continue;
                const double apart =
                    std::fabs(Column(candidate[i], positive) - Column(table[i], positive));
                ++checked;
                if (apart * COUNTS > 1.0 + 1e-6 * COUNTS) return false;
            }
        }
    }
    std::printf("candidate within 1 count of the table at the %d points within 1 count\n", checked);
    return checked > 0;
}

bool Run(char axis, float from, float to, float increment, bool disableFirst) {
    MapResult result = RunMapping(axis, from, to, increment, disableFirst);
    std::printf("RunMapping %c %.1f -> %.1f step %.1f%s: %d\n", axis, from, to, increment,
                disableFirst ? " (Disable Mapping)" : "", result);
    return result == MAP_DONE;
}

}  // namespace

}  // namespace pitchwise

using namespace pitchwise;

int main(int argc, char** argv) {
    if (argc != 9 && argc != 10) {
        std::fputs(
            "usage: linuxcnc_e2e map|refine|verify|refuse AXIS START END INCREMENT COMP_FILE "
            "BACKLASH QSB_PIN [both|positive|negative]\n",
            stderr);
        return 2;
    }
    const std::string mode = argv[1];
    const char axis = argv[2][0];
    const float start = std::strtof(argv[3], nullptr);
    const float end = std::strtof(argv[4], nullptr);
    const float increment = std::strtof(argv[5], nullptr);
    const std::string compFile = argv[6];
    const double backlash = std::strtod(argv[7], nullptr);
    theQsbPin = argv[8];
    const std::string directionsWanted = argc == 10 ? argv[9] : "both";
    const bool mapping = mode == "map" || mode == "refine";

    CQsbSimulator sim;
    sim.SetCountSource([] {
        double carriage = CarriagePosition();
        return static_cast<std::int64_t>(std::llround((carriage + PitchError(carriage)) * COUNTS));
    });
    sim.ExportPortDir();
    if (!sim.Plug(1)) return 1;
    sim.Start();
    int port = 0;
    QsbIdentity identity{};
    if (!FindQsb(port, identity)) {
        std::puts("no QSB found");
        return 1;
    }

    if (mode == "refuse") {
        const double before = CarriagePosition();
        const bool done = Run(axis, start, end, increment, true);
        const double after = CarriagePosition();
        sim.Stop();
        std::printf("refuse: carriage %.6f before, %.6f after\n", before, after);
        return !done && std::fabs(after - before) < 1e-6 ? 0 : 1;
    }

    bool ok = true;
    double worst = 0.0;
    double largest = 0.0;
    const bool directions[2] = {true, false};
    for (bool positive : directions) {
        if (directionsWanted == (positive ? "negative" : "positive")) continue;
        // With a table in force the run leaves it and writes the candidate.
        const bool inForce = mode != "map";
        std::string inForceBefore;
        std::string inForceAfter;
        ReadFileForTest(compFile, inForceBefore);
        std::vector<CompPoint> before = ReadTable(compFile);
        float from = positive ? start : end;
        float to = positive ? end : start;
        if (!Run(axis, from, to, increment, mode == "map")) return 1;
        std::vector<CompPoint> after =
            ReadTable(inForce ? RefinedCandidatePath(compFile) : compFile);
        ReadFileForTest(compFile, inForceAfter);
        if (inForce && inForceAfter != inForceBefore) {
            std::puts("the table in force changed");
            ok = false;
        }
        std::printf("%s run, %s:\n  nominal  injected(counts)  %s(counts)\n",
                    positive ? "positive" : "negative", mapping ? "uncompensated" : "compensated",
                    mapping ? "measured error" : "residual");
        for (std::size_t i = 0; i < after.size(); ++i) {
            double n = after[i].nominal;
            double injected = (PitchError(n) - PitchError(from)) * COUNTS;
            double value;
            if (mapping) {
                // The table's actual position minus nominal is the error measured
                // from the positive run's start; moving negative the carriage
                // stands the backlash further up.
                value = (Column(after[i], positive) - n) * COUNTS;
                double expected =
                    (PitchError(n) - PitchError(start) + (positive ? 0.0 : backlash)) * COUNTS;
                worst = std::fmax(worst, std::fabs(value - expected));
            } else {
                // The candidate is the table plus what the runs still measure.
                if (before.size() != after.size()) return 1;
                value = (Column(before[i], positive) - Column(after[i], positive)) * COUNTS;
                worst = std::fmax(worst, std::fabs(value));
            }
            largest = std::fmax(largest, std::fabs(injected));
            std::printf("  %7.3f  %16.1f  %14.1f\n", n, injected, value);
        }
        if (after.empty()) ok = false;
    }
    sim.Stop();
    if (mode == "verify" && !CandidateFollowsResidual(compFile, axis)) {
        std::puts("the refined candidate does not follow the residual");
        ok = false;
    }
    std::printf(
        "%s: largest injected error %.1f counts, worst deviation %.1f counts (limit %.1f)\n",
        mode.c_str(), largest, worst, TOLERANCE_COUNTS);
    // An injected error too small to see would make the check prove nothing.
    return ok && worst <= TOLERANCE_COUNTS && largest > 50.0 ? 0 : 1;
}
