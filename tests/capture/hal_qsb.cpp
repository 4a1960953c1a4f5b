// The capture stage's machine on LinuxCNC's simulator, seen from outside.
//
//   capture_hal_qsb serve PORT_DIR PIN AMPLITUDE PERIOD SLOPE
//       publishes a simulated QSB as PORT_DIR/COM1 that reads the HAL pin
//       PIN (the carriage) plus a pitch error AMPLITUDE * sin(2 pi x /
//       PERIOD) + SLOPE * x, until SIGINT or SIGTERM.
//   capture_hal_qsb truth LOST_MOTION AMPLITUDE PERIOD SLOPE TARGET...
//       prints the E, M and B (QSB counts) a perfect measurement of that
//       error gives at the targets, with the carriage standing half the
//       lost motion behind the way it moved.
#include <signal.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "positioning_figures.h"
#include "qsb.h"
#include "qsb_simulator.h"

namespace pitchwise {

namespace {

volatile sig_atomic_t theStopRequested = 0;

void RequestStop(int) {
    theStopRequested = 1;
}

struct Screw {
    double amplitude, period, slope;
    double Error(double x) const {
        return amplitude * std::sin(2.0 * M_PI * x / period) + slope * x;
    }
};

double Number(const char* text) {
    return std::strtod(text, nullptr);
}

double HalPin(const std::string& pin) {
    std::FILE* pipe = popen(("halcmd getp " + pin).c_str(), "r");
    double value = 0.0;
    if (pipe == nullptr) return value;
    if (std::fscanf(pipe, "%lf", &value) != 1) value = 0.0;
    pclose(pipe);
    return value;
}

int Serve(const std::string& portDir, const std::string& pin, const Screw& screw) {
    CQsbSimulator sim(portDir);
    sim.SetCountSource([pin, screw] {
        const double carriage = HalPin(pin);
        return static_cast<std::int64_t>(
            std::llround((carriage + screw.Error(carriage)) * QSB_COUNTS_PER_UNIT));
    });
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigset_t waiting;
    sigprocmask(SIG_BLOCK, &stopSignals, &waiting);
    signal(SIGINT, RequestStop);
    signal(SIGTERM, RequestStop);
    if (!sim.Plug(1)) {
        std::fprintf(stderr, "capture_hal_qsb: cannot publish %s\n", sim.PortPath(1).c_str());
        return 1;
    }
    sim.Start();
    while (!theStopRequested) sigsuspend(&waiting);
    sim.Stop();
    return 0;
}

int Truth(double lostMotion, const Screw& screw, const std::vector<double>& targets) {
    std::vector<TargetDeviations> deviations;
    for (double t : targets) {
        TargetDeviations d;
        d.target = t;
        d.up = {screw.Error(t) - lostMotion / 2};
        d.down = {screw.Error(t) + lostMotion / 2};
        deviations.push_back(d);
    }
    const AxisFigures f = ComputeAxisFigures(deviations);
    if (!f.systematic || !f.meanDeviation || !f.reversal) return 1;
    const double scale = QSB_COUNTS_PER_UNIT;
    std::printf("E %.1f M %.1f B %.1f\n", *f.systematic * scale, *f.meanDeviation * scale,
                *f.reversal * scale);
    return 0;
}

}  // namespace

}  // namespace pitchwise

using namespace pitchwise;

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "serve" && argc == 7)
        return Serve(argv[2], argv[3], Screw{Number(argv[4]), Number(argv[5]), Number(argv[6])});
    if (mode == "truth" && argc >= 8) {
        std::vector<double> targets;
        for (int i = 6; i < argc; ++i) targets.push_back(Number(argv[i]));
        return Truth(Number(argv[2]), Screw{Number(argv[3]), Number(argv[4]), Number(argv[5])},
                     targets);
    }
    std::fputs(
        "usage: capture_hal_qsb serve PORT_DIR PIN AMPLITUDE PERIOD SLOPE\n"
        "       capture_hal_qsb truth LOST_MOTION AMPLITUDE PERIOD SLOPE TARGET...\n",
        stderr);
    return 2;
}
