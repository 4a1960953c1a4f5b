// The benchmark's results: one row per figure, compared with its floor.
//
// Every program of the benchmark appends its rows to one CSV file, so a
// whole run can be printed as a single table and compared with earlier runs.
#pragma once

#include <string>

namespace pitchwise {

struct PerfRow {
    std::string name;
    std::string unit;  // unit of floor and measured
    double floor;      // what the mandated waits (or the reference) cost; 0 when none
    double measured;
    std::string target;  // the bound the figure is held to, in words
    bool met;
};

// Appends one row to the file named by $PITCHWISE_PERF_CSV (stdout when unset).
void WritePerfRow(const PerfRow& row);

// Benchmarks may run a case several times while they settle on an iteration
// count: keep the last row of each name and write them all at the end.
void KeepPerfRow(const PerfRow& row);
void WriteKeptPerfRows();

// A timed operation paced by mandated pauses: its overhead above the floor may
// be at most 1% of the floor and at most 2 ms per QSB exchange.
PerfRow PacedRow(const std::string& name, double floorMs, double measuredMs, int exchanges);

// measured / floor, or 0 when there is no floor to compare with.
double PerfRatio(double floor, double measured);

}  // namespace pitchwise
