// End to end against a running LinuxCNC simulator: Pitchwise's real
// RunMapping drives libTarvex.so (found on the library path, as in use),
// and a simulated QSB reads the simulator's real joint position plus an
// injected pitch error.
//
//   linuxcnc_e2e map|verify START END INCREMENT COMP_FILE
//
// map:    runs both directions with "Disable Mapping" set and checks that the
//         table holds the injected error at every point.
// verify: runs both directions with the table in force and checks that what
//         is still measured (the residual) stays within a few QSB counts.
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

namespace {

constexpr double COUNTS = 10034.463;
constexpr double TOLERANCE_COUNTS = 3.0;

// A screw that runs long by 0.2 µm per mm with a 40 mm periodic wobble.
double PitchError(double position) {
    return 0.015 * std::sin(2.0 * M_PI * position / 40.0) + 0.0002 * position;
}

double MotorPosition() {
    std::FILE* pipe = popen("halcmd getp joint.0.motor-pos-fb", "r");
    double value = 0.0;
    if (pipe == nullptr) return value;
    if (std::fscanf(pipe, "%lf", &value) != 1) value = 0.0;
    pclose(pipe);
    return value;
}

std::vector<CompPoint> ReadTable(const std::string& path) {
    std::string text;
    return ReadTextFile(path, text) ? ParseCompTable(text) : std::vector<CompPoint>();
}

double Column(const CompPoint& p, bool positive) {
    return positive ? p.positive : p.negative;
}

bool Run(float from, float to, float increment, bool disableFirst) {
    MapResult result = RunMapping('X', from, to, increment, disableFirst);
    std::printf("RunMapping X %.1f -> %.1f step %.1f%s: %d\n", from, to, increment,
                disableFirst ? " (Disable Mapping)" : "", result);
    return result == MAP_DONE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fputs("usage: linuxcnc_e2e map|verify START END INCREMENT COMP_FILE\n", stderr);
        return 2;
    }
    const std::string mode = argv[1];
    const float start = std::strtof(argv[2], nullptr);
    const float end = std::strtof(argv[3], nullptr);
    const float increment = std::strtof(argv[4], nullptr);
    const std::string compFile = argv[5];
    const bool mapping = mode == "map";

    CQsbSimulator sim;
    sim.SetCountSource([] {
        double motor = MotorPosition();
        return static_cast<std::int64_t>(std::llround((motor + PitchError(motor)) * COUNTS));
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

    bool ok = true;
    double worst = 0.0;
    double largest = 0.0;
    const bool directions[2] = {true, false};
    for (bool positive : directions) {
        std::vector<CompPoint> before = ReadTable(compFile);
        float from = positive ? start : end;
        float to = positive ? end : start;
        if (!Run(from, to, increment, mapping)) return 1;
        std::vector<CompPoint> after = ReadTable(compFile);
        std::printf("%s run, %s:\n  nominal  injected(counts)  %s(counts)\n",
                    positive ? "positive" : "negative", mapping ? "uncompensated" : "compensated",
                    mapping ? "measured error" : "residual");
        for (std::size_t i = 0; i < after.size(); ++i) {
            double n = after[i].nominal;
            double injected = (PitchError(n) - PitchError(from)) * COUNTS;
            double value;
            if (mapping) {
                // The table's actual position minus nominal is the error measured
                // from this run's start (tied to the other column at the start).
                value = (Column(after[i], positive) - n) * COUNTS;
                double expected = (PitchError(n) - PitchError(start)) * COUNTS;
                worst = std::fmax(worst, std::fabs(value - expected));
            } else {
                // The run refines the table by what it still measures.
                value = (Column(before[i], positive) - Column(after[i], positive)) * COUNTS;
                worst = std::fmax(worst, std::fabs(value));
            }
            largest = std::fmax(largest, std::fabs(injected));
            std::printf("  %7.3f  %16.1f  %14.1f\n", n, injected, value);
        }
        if (after.empty()) ok = false;
    }
    sim.Stop();
    std::printf(
        "%s: largest injected error %.1f counts, worst deviation %.1f counts (limit %.1f)\n",
        mode.c_str(), largest, worst, TOLERANCE_COUNTS);
    // An injected error too small to see would make the check prove nothing.
    return ok && worst <= TOLERANCE_COUNTS && largest > 50.0 ? 0 : 1;
}
