// Any other controller: the table as CSV, one row per grid point, in the
// machine's length unit, an empty cell where a direction was not measured.
#include "number_text.h"
#include "table_formats.h"

namespace pitchwise {

namespace {

std::string Cell(const Figure& value) {
    return value ? FixedText(*value, 6) : std::string();
}

}  // namespace

ExportStatus WriteCsv(const ExportedTable& table, std::string& text,
                      std::vector<ExportStatus>& /*notes*/) {
    text.clear();
    std::vector<std::string> comments = table.comments;
    comments.push_back(
        "beyond the first and last target: as the controller does (many hold the end values)");
    for (const std::string& line : comments) text += "# " + AsciiComment(line) + "\n";
    text += "target,mean_up,mean_down,mean,reversal,s_up,s_down\n";
    for (const GridPoint& p : table.grid) {
        Figure mean = p.up && p.down ? Figure(OneColumnValue(p)) : std::nullopt;
        Figure reversal = p.up && p.down ? Figure(*p.up - *p.down) : std::nullopt;
        text += FixedText(p.position, 4) + "," + Cell(p.up) + "," + Cell(p.down) + "," +
                Cell(mean) + "," + Cell(reversal) + "," + Cell(p.sUp) + "," + Cell(p.sDown) + "\n";
    }
    return ExportStatus();
}

}  // namespace pitchwise
