#include "comp_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "interpolation.h"
#include "text.h"
#include "text_file.h"

namespace pitchwise {

namespace {

// Nominals written with "%.6f" that print alike are the same point.
bool SameNominal(double a, double b) {
    return std::fabs(a - b) < 5e-7;
}

double RunActualAt(const std::vector<RunPoint>& run, double nominal) {
    if (nominal <= run.front().nominal) return run.front().actual;
    for (std::size_t i = 1; i < run.size(); ++i) {
        if (nominal <= run[i].nominal) {
            const RunPoint& a = run[i - 1];
            const RunPoint& b = run[i];
            double f = (nominal - a.nominal) / (b.nominal - a.nominal);
            return a.actual + f * (b.actual - a.actual);
        }
    }
    return run.back().actual;
}

// A kilometre in micrometres: more than any machine's travel in any unit.
constexpr double COMP_VALUE_MAX = 1e9;

}  // namespace

std::vector<CompPoint> ParseCompTable(const std::string& text) {
    std::vector<CompPoint> table;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        CompPoint point;
        char rest = 0;
        if (std::sscanf(line.c_str(), "%lf %lf %lf %c", &point.nominal, &point.positive,
                        &point.negative, &rest) != 3) {
            break;
        }
        table.push_back(point);
    }
    return table;
}

bool CheckCompTableText(const std::string& text, std::string& why) {
    std::istringstream lines(text);
    std::string line;
    std::size_t number = 0;
    std::size_t points = 0;
    std::size_t stop = 0;  // the first line LinuxCNC would stop at
    double previous = 0.0;
    while (std::getline(lines, line)) {
        ++number;
        if (stop != 0) {
            if (Trim(line).empty()) continue;
            why = "line " + std::to_string(stop) +
                  " is not three numbers: LinuxCNC stops reading there and would drop line " +
                  std::to_string(number) + " and what follows";
            return false;
        }
        CompPoint point{};
        char rest = 0;
        if (std::sscanf(line.c_str(), "%lf %lf %lf %c", &point.nominal, &point.positive,
                        &point.negative, &rest) != 3) {
            stop = number;
            continue;
        }
        // Beyond any machine's travel a number is a typing slip, and the
        // arithmetic on it would overflow.
        auto sound = [](double value) {
            return std::isfinite(value) && std::fabs(value) <= COMP_VALUE_MAX;
        };
        if (!sound(point.nominal) || !sound(point.positive) || !sound(point.negative)) {
            why = "line " + std::to_string(number) + " holds a number that is not finite or " +
                  "lies beyond any machine's travel";
            return false;
        }
        if (points > 0 && point.nominal <= previous) {
            why = "line " + std::to_string(number) +
                  ": the nominals must ascend, as LinuxCNC interpolates between neighbours";
            return false;
        }
        if (++points > COMP_TABLE_MAX) {
            why = "more than " + std::to_string(COMP_TABLE_MAX) +
                  " lines: LinuxCNC keeps no more per joint";
            return false;
        }
        previous = point.nominal;
    }
    return true;
}

std::string FormatCompTable(const std::vector<CompPoint>& table) {
    std::string text;
    char line[96];
    for (const CompPoint& point : table) {
        std::snprintf(line, sizeof line, "%.6f %.6f %.6f\n", point.nominal, point.positive,
                      point.negative);
        text += line;
    }
    return text;
}

double ActualAt(const std::vector<CompPoint>& table, bool positive, double nominal) {
    if (table.empty()) return nominal;
    auto column = [positive](const CompPoint& p) { return positive ? p.positive : p.negative; };
    // Held at the ends: the correction there, not the actual position, carries on.
    if (nominal <= table.front().nominal)
        return nominal + column(table.front()) - table.front().nominal;
    if (nominal >= table.back().nominal)
        return nominal + column(table.back()) - table.back().nominal;
    std::vector<Sample> samples;
    for (const CompPoint& p : table) samples.push_back(Sample{p.nominal, column(p)});
    return *InterpolateAt(samples, nominal, Beyond::HOLD);
}

std::vector<CompPoint> MergeRun(const std::vector<CompPoint>& old, const std::vector<RunPoint>& run,
                                bool positive) {
    std::vector<double> nominals;
    for (const CompPoint& p : old) nominals.push_back(p.nominal);
    for (const RunPoint& p : run) nominals.push_back(p.nominal);
    std::sort(nominals.begin(), nominals.end());
    nominals.erase(std::unique(nominals.begin(), nominals.end(), SameNominal), nominals.end());

    std::vector<CompPoint> merged;
    for (double nominal : nominals) {
        // The other column keeps exactly what it had where it had a point.
        double otherOld = ActualAt(old, !positive, nominal);
        double ownOld = ActualAt(old, positive, nominal);
        for (const CompPoint& p : old) {
            if (SameNominal(p.nominal, nominal)) {
                otherOld = positive ? p.negative : p.positive;
                ownOld = positive ? p.positive : p.negative;
            }
        }
        bool inRun = !run.empty() && nominal >= run.front().nominal - 5e-7 &&
                     nominal <= run.back().nominal + 5e-7;
        double own = inRun ? RunActualAt(run, nominal) : ownOld;
        merged.push_back(positive ? CompPoint{nominal, own, otherOld}
                                  : CompPoint{nominal, otherOld, own});
    }
    return merged;
}

bool JunctionsWithinSlope(const std::vector<CompPoint>& table, const std::vector<RunPoint>& run,
                          bool positive, double ratio, std::string& why) {
    if (run.empty()) return true;
    auto inRun = [&run](double nominal) {
        return nominal >= run.front().nominal - 5e-7 && nominal <= run.back().nominal + 5e-7;
    };
    auto correction = [positive](const CompPoint& p) {
        return (positive ? p.positive : p.negative) - p.nominal;
    };
    for (std::size_t i = 1; i < table.size(); ++i) {
        const CompPoint& a = table[i - 1];
        const CompPoint& b = table[i];
        if (inRun(a.nominal) == inRun(b.nominal)) continue;
        const double allowed = (b.nominal - a.nominal) * ratio;
        if (std::fabs(correction(b) - correction(a)) > allowed + 1e-9) {
            char text[160];
            std::snprintf(text, sizeof text,
                          "the run's correction changes by more than %g between %.6f and the "
                          "kept point %.6f",
                          allowed, inRun(a.nominal) ? a.nominal : b.nominal,
                          inRun(a.nominal) ? b.nominal : a.nominal);
            why = text;
            return false;
        }
    }
    return true;
}

bool WriteCompTable(const std::string& path, const std::vector<CompPoint>& table,
                    std::string& error) {
    AtomicWriteOptions options;
    options.backupPath = path + ".bak";
    const FileStatus written = WriteFileAtomically(path, FormatCompTable(table), options);
    if (!written) error = FileStatusText(written);
    return written.ok();
}

}  // namespace pitchwise
