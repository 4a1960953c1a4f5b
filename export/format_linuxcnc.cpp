// LinuxCNC's compensation file: per line the nominal position and one value
// per direction, in machine units, nominals ascending. Type 0 holds the
// actual positions (nominal + deviation), which LinuxCNC turns into
// nominal - actual; type 1 holds those trims as they stand (-deviation).
// LinuxCNC stops reading at the first line that is not three numbers, so the
// comment is one line after the last point, never above the first.
#include "number_text.h"
#include "table_formats.h"

namespace pitchwise {

namespace {

bool WriteLinuxCnc(const ExportedTable& table, bool offsets, std::string& text,
                   std::string& error) {
    text.clear();
    for (const GridPoint& p : table.grid) {
        if (!p.up || !p.down) {
            error = "the point at " + FixedText(p.position, 4) + " lacks a direction";
            return false;
        }
        double positive = offsets ? -*p.up : p.position + *p.up;
        double negative = offsets ? -*p.down : p.position + *p.down;
        text += FixedText(p.position, 6) + " " + FixedText(positive, 6) + " " +
                FixedText(negative, 6) + "\n";
    }
    std::string comment = offsets ? "# COMP_FILE_TYPE = 1 (trims, nominal - actual)"
                                  : "# COMP_FILE_TYPE = 0 (actual positions)";
    for (const std::string& line : table.comments) comment += "; " + line;
    text += comment + "\n";
    return true;
}

}  // namespace

bool WriteLinuxCncActual(const ExportedTable& table, std::string& text,
                         std::vector<std::string>& /*notes*/, std::string& error) {
    return WriteLinuxCnc(table, false, text, error);
}

bool WriteLinuxCncOffsets(const ExportedTable& table, std::string& text,
                          std::vector<std::string>& /*notes*/, std::string& error) {
    return WriteLinuxCnc(table, true, text, error);
}

}  // namespace pitchwise
