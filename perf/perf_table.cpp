#include "perf_table.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace pitchwise {

namespace {

constexpr double MAX_OVERHEAD_SHARE = 0.01;
constexpr double MAX_OVERHEAD_PER_EXCHANGE_MS = 2.0;

// Names never hold commas or quotes, so plain fields suffice.
void PrintRow(std::FILE* out, const PerfRow& row) {
    std::fprintf(out, "%s,%s,%.6f,%.6f,%.6f,%s,%s\n", row.name.c_str(), row.unit.c_str(), row.floor,
                 row.measured, PerfRatio(row.floor, row.measured), row.target.c_str(),
                 row.met ? "yes" : "NO");
}

std::vector<PerfRow>& KeptRows() {
    static std::vector<PerfRow> rows;
    return rows;
}

}  // namespace

void KeepPerfRow(const PerfRow& row) {
    for (PerfRow& kept : KeptRows()) {
        if (kept.name == row.name) {
            kept = row;
            return;
        }
    }
    KeptRows().push_back(row);
}

void WriteKeptPerfRows() {
    for (const PerfRow& row : KeptRows()) WritePerfRow(row);
    KeptRows().clear();
}

double PerfRatio(double floor, double measured) {
    return floor > 0.0 ? measured / floor : 0.0;
}

void WritePerfRow(const PerfRow& row) {
    const char* path = std::getenv("PITCHWISE_PERF_CSV");
    if (path == nullptr || *path == '\0') {
        PrintRow(stdout, row);
        return;
    }
    std::FILE* out = std::fopen(path, "a");
    if (out == nullptr) {
        std::fprintf(stderr, "cannot append to %s\n", path);
        PrintRow(stdout, row);
        return;
    }
    PrintRow(out, row);
    std::fclose(out);
}

PerfRow PacedRow(const std::string& name, double floorMs, double measuredMs, int exchanges) {
    double allowed =
        std::min(floorMs * MAX_OVERHEAD_SHARE, MAX_OVERHEAD_PER_EXCHANGE_MS * exchanges);
    if (floorMs <= 0.0) allowed = MAX_OVERHEAD_PER_EXCHANGE_MS * std::max(exchanges, 1);
    char target[96];
    std::snprintf(target, sizeof target, "overhead <= %.2f ms", allowed);
    return PerfRow{name, "ms", floorMs, measuredMs, target, measuredMs - floorMs <= allowed};
}

}  // namespace pitchwise
