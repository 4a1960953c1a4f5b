#include "comp_table.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "linuxcnc_config.h"

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
    for (std::size_t i = 1; i < table.size(); ++i) {
        if (nominal <= table[i].nominal) {
            const CompPoint& a = table[i - 1];
            const CompPoint& b = table[i];
            double f = (nominal - a.nominal) / (b.nominal - a.nominal);
            return column(a) + f * (column(b) - column(a));
        }
    }
    return nominal + column(table.back()) - table.back().nominal;
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

bool WriteCompTable(const std::string& path, const std::vector<CompPoint>& table,
                    std::string& error) {
    const std::string temporary = path + ".new";
    std::FILE* file = std::fopen(temporary.c_str(), "w");
    if (file == nullptr) {
        error = "cannot create " + temporary + ": " + std::strerror(errno);
        return false;
    }
    std::string text = FormatCompTable(table);
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    written = std::fflush(file) == 0 && written;
    written = fsync(fileno(file)) == 0 && written;
    written = std::fclose(file) == 0 && written;
    if (!written) {
        error = "cannot write " + temporary + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    std::string previous;
    if (ReadTextFile(path, previous) && std::rename(path.c_str(), (path + ".bak").c_str()) != 0) {
        error = "cannot keep the previous table as " + path + ".bak: " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot replace " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}
