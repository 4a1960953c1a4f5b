// The leadscrew error compensation table as a part-program-style file: the
// points equally spaced from MIN to MAX at STEP, in mm, each the deviation
// actual - target (a positive value moves the axis negative). One table for
// both directions: the bidirectional mean, the reversal left to the axis's
// own backlash setting.
#include "number_text.h"
#include "table_formats.h"

namespace pitchwise {

namespace {

std::string Millimetres(double value, double perUnit) {
    return FixedText(value * perUnit, 6);
}

}  // namespace

bool WriteSiemensLec(const ExportedTable& table, std::string& text, std::vector<std::string>& notes,
                     std::string& error) {
    const double mm = MillimetresPerUnit(table.unit);
    if (mm == 0.0) {
        error = "siemens-lec holds millimetres: give --unit";
        return false;
    }
    const std::string index = std::to_string(table.measuringSystem);
    const std::string axis = "," + table.machineAxis + "]";
    std::vector<std::string> comments = table.comments;
    comments.push_back(table.meanReversal
                           ? "one table for both directions, their mean; mean reversal (mean up - "
                             "mean down) " +
                                 Millimetres(*table.meanReversal, mm) +
                                 " mm: left to the axis's backlash compensation"
                           : "one direction measured: its means, no reversal");
    // Beyond MIN and MAX the controller keeps the end values over the rest
    // of the travel.
    if (OneColumnValue(table.grid.front()) != 0.0 || OneColumnValue(table.grid.back()) != 0.0) {
        notes.push_back(
            "the first and last values stay in force beyond MIN and MAX: make them 0 (a range "
            "over the whole travel, or --zero-at) unless the table covers it");
        comments.push_back(notes.back());
    }
    text = "%_N_AX_EEC_INI\n";
    for (const std::string& line : comments) text += "; " + line + "\n";
    text += "CHANDATA(1)\n";
    for (std::size_t n = 0; n < table.grid.size(); ++n) {
        text += "$AA_ENC_COMP[" + index + "," + std::to_string(n) + axis + "=" +
                Millimetres(OneColumnValue(table.grid[n]), mm) + "\n";
    }
    text += "$AA_ENC_COMP_STEP[" + index + axis + "=" + Millimetres(table.spacing, mm) + "\n";
    text += "$AA_ENC_COMP_MIN[" + index + axis + "=" +
            Millimetres(table.grid.front().position, mm) + "\n";
    text += "$AA_ENC_COMP_MAX[" + index + axis + "=" + Millimetres(table.grid.back().position, mm) +
            "\n";
    text += "$AA_ENC_COMP_IS_MODULO[" + index + axis + "=0\n";
    text += "M17\n";
    return true;
}

}  // namespace pitchwise
