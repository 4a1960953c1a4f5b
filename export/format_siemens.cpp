// The leadscrew error compensation table as a part-program-style file: the
// points equally spaced from MIN to MAX at STEP, each the deviation
// actual - target (a positive value moves the axis negative). A program
// writes every length in the control's basic system (MD10240), so an
// inch-basic control reads them as inch. One table for both directions: the
// bidirectional mean, the lost motion left to the axis's backlash setting
// (MD32450, positive when the encoder leads the machine part, as ordinary
// backlash does). Function manual K3, leadscrew error and backlash
// compensation:
//   %_N_AX_EEC_INI
//   $AA_ENC_COMP[0,0,X1]=0.003
//   $AA_ENC_COMP_STEP[0,X1]=1.0
#include "number_text.h"
#include "table_formats.h"

namespace pitchwise {

ExportStatus WriteSiemensLec(const ExportedTable& table, std::string& text,
                             std::vector<ExportStatus>& notes) {
    const double mm = MillimetresPerUnit(table.unit);
    const double basic = MillimetresPerUnit(table.basicSystem);
    if (mm == 0.0) return ExportStatus(ExportCode::UNIT_NEEDED, {}, "siemens-lec");
    if (basic == 0.0) return ExportStatus(ExportCode::BASIC_SYSTEM_NEEDED, {}, "siemens-lec");
    const std::string unit = UnitName(table.basicSystem);
    auto length = [mm, basic](double value) { return FixedText(value * mm / basic, 6); };
    const std::string index = std::to_string(table.measuringSystem);
    const std::string axis = "," + table.machineAxis + "]";
    std::vector<std::string> comments = table.comments;
    comments.push_back(std::string("basic system (MD10240 $MN_SCALING_SYSTEM_IS_METRIC): ") +
                       (table.basicSystem == LengthUnit::MM ? "metric" : "inch") +
                       "; every length below in " + unit);
    if (table.meanReversal) {
        comments.push_back("one table for both directions, their mean");
        comments.push_back("MD32450 $MA_BACKLASH: enter " + length(-*table.meanReversal) + " " +
                           unit + ", the lost motion -B; B (mean reversal, mean up - mean down) " +
                           length(*table.meanReversal) + " " + unit);
    } else {
        comments.push_back(
            "one direction measured: its means; the lost motion for MD32450 $MA_BACKLASH is not "
            "known");
    }
    comments.push_back(
        "below MIN the first value, above MAX the last value stay in force over the rest of the "
        "travel");
    NoteHeldEnds(table, notes);
    text = "%_N_AX_EEC_INI\n";
    for (const std::string& line : comments) text += "; " + AsciiComment(line) + "\n";
    text += "CHANDATA(1)\n";
    for (std::size_t n = 0; n < table.grid.size(); ++n) {
        text += "$AA_ENC_COMP[" + index + "," + std::to_string(n) + axis + "=" +
                length(OneColumnValue(table.grid[n])) + "\n";
    }
    text += "$AA_ENC_COMP_STEP[" + index + axis + "=" + length(table.spacing) + "\n";
    text += "$AA_ENC_COMP_MIN[" + index + axis + "=" + length(table.grid.front().position) + "\n";
    text += "$AA_ENC_COMP_MAX[" + index + axis + "=" + length(table.grid.back().position) + "\n";
    text += "$AA_ENC_COMP_IS_MODULO[" + index + axis + "=0\n";
    text += "M17\n";
    return ExportStatus();
}

}  // namespace pitchwise
