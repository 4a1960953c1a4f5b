// LinuxCNC's compensation file: per line the nominal position and one value
// per direction, in machine units, nominals ascending. Type 0 holds the
// actual positions (nominal + deviation), which LinuxCNC turns into
// nominal - actual; type 1 holds those trims as they stand (-deviation).
//   0.000000 0.000000 0.000000
//   0.500000 0.501200 0.498600
//   1.000000 1.002100 0.999300
// LinuxCNC stops reading at the first line that is not three numbers, so the
// comment is one line after the last point, never above the first (and a
// second line would read as points dropped: ini-config, COMP_FILE_TYPE;
// usrmotLoadComp).
#include "number_text.h"
#include "table_formats.h"

namespace pitchwise {

namespace {

ExportStatus WriteLinuxCnc(const ExportedTable& table, bool offsets, std::string& text,
                           std::vector<ExportStatus>& notes) {
    text.clear();
    for (const GridPoint& p : table.grid) {
        if (!p.up || !p.down) return ExportStatus(ExportCode::LACKS_DIRECTION, {p.position});
        double positive = offsets ? -*p.up : p.position + *p.up;
        double negative = offsets ? -*p.down : p.position + *p.down;
        text += FixedText(p.position, 6) + " " + FixedText(positive, 6) + " " +
                FixedText(negative, 6) + "\n";
    }
    std::vector<std::string> comments = {offsets ? "COMP_FILE_TYPE = 1 (trims, nominal - actual)"
                                                 : "COMP_FILE_TYPE = 0 (actual positions)"};
    comments.insert(comments.end(), table.comments.begin(), table.comments.end());
    comments.push_back(
        "beyond the first and last nominal LinuxCNC holds their values over the rest of the "
        "travel");
    comments.push_back("the two columns take up the lost motion: the joint's BACKLASH must stay 0");
    std::string comment = "#";
    for (std::size_t i = 0; i < comments.size(); ++i)
        comment += (i == 0 ? " " : "; ") + AsciiComment(comments[i]);
    text += comment + "\n";
    NoteHeldEnds(table, notes);
    return ExportStatus();
}

}  // namespace

ExportStatus WriteLinuxCncActual(const ExportedTable& table, std::string& text,
                                 std::vector<ExportStatus>& notes) {
    return WriteLinuxCnc(table, false, text, notes);
}

ExportStatus WriteLinuxCncOffsets(const ExportedTable& table, std::string& text,
                                  std::vector<ExportStatus>& notes) {
    return WriteLinuxCnc(table, true, text, notes);
}

}  // namespace pitchwise
