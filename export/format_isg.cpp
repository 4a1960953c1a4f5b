// The ISG kernel's leadscrew compensation list: metric (unit 1), every
// length in whole 0.1 um, points equally spaced from kw_startpos at
// interval, each entry the deviation actual - target. Both directions
// measured: a .pos and a .neg table on the same points (they take up the
// lost motion too); otherwise one table. TF5200 axis compensation, P-COMP
// parameters:
//   kopf.achs_nr                        1
//   kw.ssfk.interval                    5000
//   kw.ssfk.table[2].pos                -102
#include <climits>
#include <cmath>

#include "number_text.h"
#include "table_formats.h"

namespace pitchwise {

namespace {

constexpr double kTenthsOfMicronPerMm = 10000.0;

// A length in whole 0.1 um. False when it does not fit the list's integers.
bool Tenths(double machineUnits, double mmPerUnit, long long& tenths) {
    double value = std::round(machineUnits * mmPerUnit * kTenthsOfMicronPerMm);
    if (!(std::fabs(value) <= INT_MAX)) return false;
    tenths = static_cast<long long>(value);
    return true;
}

std::string Line(const std::string& key, long long value) {
    std::string line = key;
    line.resize(key.size() < 36 ? 36 : key.size() + 1, ' ');
    return line + std::to_string(value) + "\n";
}

}  // namespace

ExportStatus WriteIsgList(const ExportedTable& table, std::string& text,
                          std::vector<ExportStatus>& /*notes*/) {
    const double mm = MillimetresPerUnit(table.unit);
    if (mm == 0.0) return ExportStatus(ExportCode::UNIT_NEEDED, {}, "isg");
    const GridPoint& first = table.grid.front();
    const double until = table.grid.back().position;
    long long startTenths = 0;
    long long interval = 0;
    if (!Tenths(first.position, mm, startTenths) || !Tenths(table.spacing, mm, interval))
        return ExportStatus(ExportCode::VALUE_TOO_LARGE, {first.position});
    const bool bilateral = first.up && first.down;
    std::vector<std::string> comments = table.comments;
    comments.push_back("lengths in 0.1 um (unit 1)");
    comments.push_back(
        "beyond the first and last point: what the controller does is not documented");
    if (bilateral) {
        comments.push_back(
            "bilateral 1: .pos and .neg take up the lost motion: the axis's own backlash "
            "compensation (P-AXIS-00021, P-AXIS-00103) must stay 0");
    } else if (table.meanReversal) {
        long long lost = 0;
        if (!Tenths(-*table.meanReversal, mm, lost))
            return ExportStatus(ExportCode::VALUE_TOO_LARGE, {until});
        comments.push_back("bilateral 0: one table; getriebe[i].lose (P-AXIS-00103): enter " +
                           std::to_string(lost) +
                           ", the lost motion -B in 0.1 um, given as a positive length "
                           "(B = mean up - mean down)");
    } else {
        comments.push_back(
            "bilateral 0: one direction measured; the lost motion for the axis's backlash "
            "compensation (P-AXIS-00103) is not known");
    }
    text.clear();
    for (const std::string& line : comments) text += "# " + AsciiComment(line) + "\n";
    text += Line("kopf.achs_nr", table.logicalAxis);
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
        if (!fits) return ExportStatus(ExportCode::VALUE_TOO_LARGE, {p.position});
        text += Line(key + ".pos", pos);
        if (bilateral) text += Line(key + ".neg", neg);
    }
    return ExportStatus();
}

}  // namespace pitchwise
