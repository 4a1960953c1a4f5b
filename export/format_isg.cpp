// The ISG kernel's leadscrew compensation list: metric (unit 1), every
// length in whole 0.1 µm, points equally spaced from kw_startpos at
// interval, each entry the deviation actual - target. Both directions
// measured: a .pos and a .neg table on the same points (they take up the
// lost motion too); otherwise one table.
#include <climits>
#include <cmath>

#include "number_text.h"
#include "table_formats.h"

namespace pitchwise {

namespace {

constexpr double kTenthsOfMicronPerMm = 10000.0;

// A length in whole 0.1 µm. False when it does not fit the list's integers.
bool Tenths(double machineUnits, double mmPerUnit, long long& tenths) {
    double value = std::round(machineUnits * mmPerUnit * kTenthsOfMicronPerMm);
    if (!(std::fabs(value) <= INT_MAX)) return false;
    tenths = static_cast<long long>(value);
    return true;
}

// The grid's start and spacing must be whole 0.1 µm, or the points the
// kernel places would not be the points the values were taken at.
bool WholeTenths(double machineUnits, double mmPerUnit) {
    double value = machineUnits * mmPerUnit * kTenthsOfMicronPerMm;
    return std::fabs(value - std::round(value)) < 1e-3;
}

std::string Line(const std::string& key, long long value) {
    std::string line = key;
    line.resize(key.size() < 36 ? 36 : key.size() + 1, ' ');
    return line + std::to_string(value) + "\n";
}

}  // namespace

bool WriteIsgList(const ExportedTable& table, std::string& text,
                  std::vector<std::string>& /*notes*/, std::string& error) {
    const double mm = MillimetresPerUnit(table.unit);
    if (mm == 0.0) {
        error = "isg holds 0.1 µm: give --unit";
        return false;
    }
    const double start = table.grid.front().position;
    long long startTenths = 0;
    long long interval = 0;
    if (!WholeTenths(start, mm) || !WholeTenths(table.spacing, mm) ||
        !Tenths(start, mm, startTenths) || !Tenths(table.spacing, mm, interval)) {
        error = "isg places its points in whole 0.1 µm: the grid's start " + FixedText(start, 6) +
                " and spacing " + FixedText(table.spacing, 6) +
                " must be such (give --from and --spacing)";
        return false;
    }
    const bool bilateral = table.grid.front().up && table.grid.front().down;
    text.clear();
    for (const std::string& line : table.comments) text += "# " + line + "\n";
    text += Line("kopf.log_achs_nr", table.logicalAxis);
    text += Line("kw.ssfk.interval", interval);
    text += Line("kw.ssfk.kw_startpos", startTenths);
    text += Line("kw.ssfk.kw_nr_max", static_cast<long long>(table.grid.size()));
    text += Line("kw.ssfk.unit", 1);
    text += Line("kw.ssfk.bilateral", bilateral ? 1 : 0);
    for (std::size_t i = 0; i < table.grid.size(); ++i) {
        const GridPoint& p = table.grid[i];
        const std::string key = "kw.ssfk.table[" + std::to_string(i) + "]";
        long long pos = 0;
        long long neg = 0;
        const bool fits = bilateral ? Tenths(*p.up, mm, pos) && Tenths(*p.down, mm, neg)
                                    : Tenths(OneColumnValue(p), mm, pos);
        if (!fits) {
            error =
                "the value at " + FixedText(p.position, 4) + " does not fit the list's integers";
            return false;
        }
        text += Line(key + ".pos", pos);
        if (bilateral) text += Line(key + ".neg", neg);
    }
    return true;
}

}  // namespace pitchwise
