#include "bench_report.h"

#include <cmath>
#include <cstdio>

#include "text.h"

namespace pitchwise {

namespace {

double Deviation(const BenchEntry& entry) {
    return std::fabs(entry.received - entry.expected);
}

}  // namespace

BenchVerdict JudgeRun(const BenchRun& run, double tolerance) {
    BenchVerdict verdict;
    for (const BenchEntry& entry : run.entries) {
        double deviation = Deviation(entry);
        if (deviation > verdict.largestDeviation) verdict.largestDeviation = deviation;
        if (!(deviation <= tolerance) && verdict.reason.empty()) {
            verdict.reason = Format("point %d: received %.4f, expected %.4f", entry.point,
                                    entry.received, entry.expected);
        }
    }
    if (!run.initialised) {
        verdict.reason = "Tvx_Init failed";
    } else if (!run.refusal.empty()) {
        verdict.reason = "refused " + run.refusal;
    } else if (!run.closed) {
        verdict.reason = "the table was never closed with L601";
    } else if (!run.finished) {
        verdict.reason = "Tvx_Finish was never called";
    }
    verdict.agree = verdict.reason.empty();
    return verdict;
}

BenchVerdict JudgeRuns(const std::vector<BenchRun>& runs, double tolerance) {
    BenchVerdict all;
    all.agree = !runs.empty();
    if (runs.empty()) all.reason = "no run reached the bench";
    for (std::size_t i = 0; i < runs.size(); ++i) {
        BenchVerdict one = JudgeRun(runs[i], tolerance);
        if (one.largestDeviation > all.largestDeviation) {
            all.largestDeviation = one.largestDeviation;
        }
        if (!one.agree && all.agree) {
            all.agree = false;
            all.reason = Format("run %zu: ", i + 1) + one.reason;
        }
    }
    return all;
}

std::string BenchReportText(const std::vector<BenchRun>& runs, double tolerance) {
    std::string text;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const BenchRun& run = runs[i];
        text += Format("run %zu: axis %c, start %.4f, %zu entries%s\n", i + 1,
                       run.axis ? run.axis : '?', run.start, run.entries.size(),
                       run.mappingDisabled ? ", mapping disabled first" : "");
        text += " point   commanded  axis error    expected    received   deviation\n";
        for (const BenchEntry& e : run.entries) {
            text += Format("%6d %11.4f %11.5f %11.4f %11.4f %11.5f%s\n", e.point, e.commandedTravel,
                           e.axisError, e.expected, e.received, Deviation(e),
                           Deviation(e) <= tolerance ? "" : "  <-- off");
        }
        BenchVerdict verdict = JudgeRun(run, tolerance);
        text += Format("run %zu: %s (largest deviation %.5f, tolerance %.5f)%s%s\n", i + 1,
                       verdict.agree ? "AGREES" : "DISAGREES", verdict.largestDeviation, tolerance,
                       verdict.agree ? "" : ": ", verdict.reason.c_str());
    }
    BenchVerdict all = JudgeRuns(runs, tolerance);
    text += all.agree ? "verdict: the table agrees with the injected pitch error\n"
                      : "verdict: DISAGREE: " + all.reason + "\n";
    return text;
}

std::string BenchReportCsv(const std::vector<BenchRun>& runs, double tolerance) {
    std::string csv =
        "run,point,commanded_travel,axis_error,expected,received,deviation,within_tolerance\n";
    for (std::size_t i = 0; i < runs.size(); ++i) {
        for (const BenchEntry& e : runs[i].entries) {
            csv += Format("%zu,%d,%.4f,%.6f,%.6f,%.4f,%.6f,%d\n", i + 1, e.point, e.commandedTravel,
                          e.axisError, e.expected, e.received, Deviation(e),
                          Deviation(e) <= tolerance ? 1 : 0);
        }
    }
    return csv;
}

}  // namespace pitchwise
