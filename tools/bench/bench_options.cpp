#include "bench_options.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace pitchwise {

const char* const BENCH_USAGE =
    "usage: pitchwise-bench [options]\n"
    "\n"
    "Simulates one machine axis with an injected pitch error, its QSB on a pty\n"
    "and its controller, reached by the simulated libTarvex.so. When a run ends\n"
    "it prints the mapping table received against the injected error, writes it\n"
    "as CSV, and exits 0 when they agree, 1 when not, 2 on a usage error.\n"
    "\n"
    "Where things are:\n"
    "  --port-dir DIR       publish the QSB as DIR/COM<n> (default: a fresh temporary dir)\n"
    "  --qsb-port N         its port number n, 1 to 7 (default 1)\n"
    "  --listen PORT        loopback TCP port for the library (default: any free one)\n"
    "  --env-file FILE      write TARVEX_SIM_ADDRESS and PITCHWISE_PORT_DIR there when ready\n"
    "                       (removed again at exit)\n"
    "  --csv FILE           the CSV report (default out/pitchwise-bench.csv)\n"
    "  --run-log FILE       append every closed run to this run log (default: none)\n"
    "  --truth FILE         write the figures a perfect measurement would give\n"
    "When to end:\n"
    "  --runs N             after N runs have called Tvx_Finish (default 1); a run that\n"
    "                       failed ends the bench when its program disconnects\n"
    "  --timeout SECONDS    in any case after this long (default: never)\n"
    "The axis:\n"
    "  --speed U            units per second of every move (default 20)\n"
    "  --dwell-ms MS        what G4D1 waits (default 20)\n"
    "  --home POS           where the axis rests before the run (default 0)\n"
    "  --scale E            linear scale error per unit of travel (default 0.0002)\n"
    "  --screw-amplitude A  periodic screw error, peak (default 0.003)\n"
    "  --screw-pitch P      its period along the axis (default 5)\n"
    "  --screw-phase R      its phase in radians at 0 (default 0)\n"
    "  --backlash B         lost motion on reversal (default 0)\n"
    "  --noise S            standard deviation of each QSB reading (default 0)\n"
    "  --seed N             of the noise (default 1)\n"
    "  --flat               no error at all\n"
    "Faults and judging:\n"
    "  --refuse-line N      refuse the N-th line after each Tvx_Init (1-based)\n"
    "  --fail-init          Tvx_Init reports failure\n"
    "  --qsb-no-zero        the QSB ignores the zeroing command (keeps its old zero)\n"
    "  --tolerance T        largest accepted |received - expected| (default 0.00016,\n"
    "                       plus 4 x noise)\n"
    "  -h, --help           print this help and exit\n";

namespace {

bool ReadNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(value);
}

bool ReadWhole(const char* text, int low, int high, int& value) {
    double number = 0;
    if (!ReadNumber(text, number) || number != std::floor(number) || number < low ||
        number > high) {
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

}  // namespace

bool ParseBenchCommandLine(int argc, const char* const* argv, BenchCommandLine& options,
                           std::string& error) {
    bool toleranceGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name == "--fail-init") {
            options.bench.behaviour.failInit = true;
            continue;
        }
        if (name == "--qsb-no-zero") {
            options.bench.qsbIgnoresZeroing = true;
            continue;
        }
        if (name == "--flat") {
            options.bench.profile.scalePerUnit = 0;
            options.bench.profile.periodicAmplitude = 0;
            continue;
        }
        if (i + 1 >= argc) {
            error = name + ": unknown option or missing value";
            return false;
        }
        const char* value = argv[++i];
        PitchErrorProfile& profile = options.bench.profile;
        int whole = 0;
        double number = 0;
        bool ok = true;
        if (name == "--port-dir") {
            options.bench.portDir = value;
        } else if (name == "--env-file") {
            options.envFile = value;
        } else if (name == "--csv") {
            options.csvFile = value;
        } else if (name == "--run-log") {
            options.bench.behaviour.runLog = value;
        } else if (name == "--truth") {
            options.truthFile = value;
        } else if (name == "--qsb-port") {
            // Pitchwise looks for its QSB on COM1 to COM7 only.
            ok = ReadWhole(value, 1, 7, options.bench.qsbPort);
        } else if (name == "--listen") {
            ok = ReadWhole(value, 0, 65535, whole);
            options.bench.listenPort = static_cast<unsigned>(whole);
        } else if (name == "--runs") {
            ok = ReadWhole(value, 1, 1000000, options.runs);
        } else if (name == "--refuse-line") {
            ok = ReadWhole(value, 1, 2147483647, options.bench.behaviour.refuseLine);
        } else if (name == "--dwell-ms") {
            ok = ReadWhole(value, 0, 3600000, whole);
            options.bench.behaviour.dwell = std::chrono::milliseconds(whole);
        } else if (name == "--seed") {
            ok = ReadWhole(value, 0, 2147483647, whole);
            profile.seed = static_cast<unsigned>(whole);
        } else {
            ok = ReadNumber(value, number);
            if (name == "--timeout") {
                ok = ok && number >= 0;
                options.timeoutSeconds = number;
            } else if (name == "--speed") {
                ok = ok && number > 0;
                options.bench.speed = number;
            } else if (name == "--home") {
                options.bench.home = number;
            } else if (name == "--scale") {
                profile.scalePerUnit = number;
            } else if (name == "--screw-amplitude") {
                profile.periodicAmplitude = number;
            } else if (name == "--screw-pitch") {
                ok = ok && number > 0;
                profile.periodicPitch = number;
            } else if (name == "--screw-phase") {
                profile.periodicPhase = number;
            } else if (name == "--backlash") {
                ok = ok && number >= 0;
                profile.backlash = number;
            } else if (name == "--noise") {
                ok = ok && number >= 0;
                profile.noise = number;
            } else if (name == "--tolerance") {
                ok = ok && number >= 0;
                options.bench.tolerance = number;
                toleranceGiven = true;
            } else {
                error = name + ": unknown option";
                return false;
            }
        }
        if (!ok) {
            error = name + ": bad value \"" + value + "\"";
            return false;
        }
    }
    // Noise widens what a correct table can be off by.
    if (!toleranceGiven) options.bench.tolerance += 4 * options.bench.profile.noise;
    return true;
}

}  // namespace pitchwise
