// pitchwise-qsb-sim: the simulated QSB as a program of its own, for trying
// Pitchwise by hand or from a script against a device that is not there.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "qsb_simulator.h"

namespace pitchwise {

namespace {

volatile sig_atomic_t theStopRequested = 0;

void RequestStop(int) {
    theStopRequested = 1;
}

void PrintUsage() {
    std::fputs(
        "usage: pitchwise-qsb-sim --port-dir DIR [--port N] [--silent N,N,...]\n"
        "                         [--scenario NAME] [--counts N]\n"
        "\n"
        "Publishes a simulated QSB as DIR/COM<N> (default N = 1) and answers until\n"
        "interrupted. Point Pitchwise at it with PITCHWISE_PORT_DIR=DIR.\n"
        "\n"
        "  --silent N,...   ports that open but never answer\n"
        "  --counts N       the counter's absolute value (counts; 10034.463 per unit)\n"
        "  --scenario NAME  normal (default), short-identity, exact-identity,\n"
        "                   short-counter, garbled-counter, lower-case, stop-reading,\n"
        "                   no-zero (ignores the zeroing command)\n",
        stderr);
}

bool ApplyScenario(CQsbSimulator& sim, const std::string& name) {
    if (name == "normal") return true;
    if (name == "short-identity") {
        sim.SetIdentityReply(std::string("R140 10234"));  // 10 bytes: not a QSB
    } else if (name == "exact-identity") {
        sim.SetIdentityReply(std::string("R140 1023441"));  // exactly 12 bytes
    } else if (name == "short-counter") {
        sim.SetCounterReply(std::string("R0E0 0000273"));
    } else if (name == "garbled-counter") {
        sim.SetCounterReply(std::string("R0E0 00G02734\r\n"));
    } else if (name == "lower-case") {
        sim.SetCounterStyle(QsbSimCounterStyle::LOWER_CASE);
    } else if (name == "no-zero") {
        sim.IgnoreZeroing(true);
    } else if (name != "stop-reading") {
        return false;
    }
    return true;
}

}  // namespace

}  // namespace pitchwise

using namespace pitchwise;

int main(int argc, char** argv) {
    std::string portDir;
    std::string scenario = "normal";
    std::string silent;
    int port = 1;
    long long counts = 0;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (option == "--help" || option == "-h") {
            PrintUsage();
            return 0;
        }
        if (value == nullptr) {
            PrintUsage();
            return 2;
        }
        ++i;
        if (option == "--port-dir") {
            portDir = value;
        } else if (option == "--port") {
            port = std::atoi(value);
        } else if (option == "--silent") {
            silent = value;
        } else if (option == "--scenario") {
            scenario = value;
        } else if (option == "--counts") {
            counts = std::strtoll(value, nullptr, 0);
        } else {
            PrintUsage();
            return 2;
        }
    }
    if (portDir.empty() || port < 1) {
        PrintUsage();
        return 2;
    }

    CQsbSimulator sim(portDir);
    if (!ApplyScenario(sim, scenario)) {
        std::fprintf(stderr, "pitchwise-qsb-sim: unknown scenario '%s'\n", scenario.c_str());
        return 2;
    }
    sim.SetCounts(counts);
    for (const char* p = silent.c_str(); *p;) {
        char* end;
        long n = std::strtol(p, &end, 10);
        if (end == p || n < 1 || !sim.AddSilentPort(static_cast<int>(n))) {
            std::fprintf(stderr, "pitchwise-qsb-sim: cannot publish silent port '%s'\n", p);
            return 1;
        }
        p = *end == ',' ? end + 1 : end;
    }
    if (!sim.Plug(port)) {
        std::fprintf(stderr, "pitchwise-qsb-sim: cannot publish %s\n", sim.PortPath(port).c_str());
        return 1;
    }

    if (scenario == "stop-reading") {
        // The device stops reading once it has been identified and
        // configured, so a scan still finds it and the next command stalls.
        // Decided as the third command arrives, not by looking now and then,
        // so the program's next write always meets the stall.
        sim.SetObserver([&sim](const QsbSimTraffic& traffic) {
            if (traffic.direction == QsbSimTraffic::RECEIVED && sim.Commands().size() >= 3) {
                sim.StopReading(true);
            }
        });
    }

    // The signals stay blocked except while waiting for them, so one that
    // arrives between the test and the wait is not lost.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigset_t waiting;
    sigprocmask(SIG_BLOCK, &stopSignals, &waiting);
    signal(SIGINT, RequestStop);
    signal(SIGTERM, RequestStop);
    sim.Start();
    std::printf("QSB on %s\n", sim.PortPath(port).c_str());
    std::fflush(stdout);
    while (!theStopRequested) sigsuspend(&waiting);
    sim.Stop();
    return 0;
}
