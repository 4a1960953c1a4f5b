#include "table_formats.h"

namespace pitchwise {

const std::vector<TableFormat>& TableFormats() {
    // LinuxCNC keeps 256 lines per joint; the ISG kernel's list takes fewer
    // points than its 1500 (its count must stay below that); the Siemens
    // limit is a machine datum, so the operator gives it.
    static const std::vector<TableFormat> formats = {
        // Resolutions: the decimals each writer gives a position, 0.1 um for ISG.
        {"linuxcnc", "dat", 256, true, false, false, FileUnit::MACHINE, 1e-6, WriteLinuxCncActual},
        {"linuxcnc-offsets", "dat", 256, true, false, false, FileUnit::MACHINE, 1e-6,
         WriteLinuxCncOffsets},
        {"siemens-lec", "ini", 0, false, true, false, FileUnit::BASIC_SYSTEM, 1e-6,
         WriteSiemensLec},
        {"isg", "lis", 1499, false, true, false, FileUnit::MILLIMETRES, 1e-4, WriteIsgList},
        {"csv", "csv", 100000, false, false, true, FileUnit::MACHINE, 1e-4, WriteCsv},
    };
    return formats;
}

const TableFormat* FindTableFormat(const std::string& name) {
    for (const TableFormat& format : TableFormats())
        if (name == format.name) return &format;
    return nullptr;
}

double MachineResolution(const TableFormat& format, LengthUnit machine, LengthUnit basicSystem) {
    switch (format.fileUnit) {
        case FileUnit::MACHINE:
            return format.resolution;
        case FileUnit::MILLIMETRES:
            basicSystem = LengthUnit::MM;
            break;
        case FileUnit::BASIC_SYSTEM:
            break;
    }
    const double file = MillimetresPerUnit(basicSystem);
    const double mm = MillimetresPerUnit(machine);
    return file == 0.0 || mm == 0.0 ? 0.0 : format.resolution * file / mm;
}

std::string AsciiComment(const std::string& line) {
    std::string text;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        const unsigned char next =
            i + 1 < line.size() ? static_cast<unsigned char>(line[i + 1]) : 0;
        if (c == 0xC2 && next == 0xB0) {  // the degree sign
            text += "deg";
            ++i;
        } else if ((c == 0xC2 && next == 0xB5) || (c == 0xCE && next == 0xBC)) {  // micro, mu
            text += "u";
            ++i;
        } else {
            text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
        }
    }
    return text;
}

void NoteHeldEnds(const ExportedTable& table, std::vector<ExportStatus>& notes) {
    const double first = OneColumnValue(table.grid.front());
    const double last = OneColumnValue(table.grid.back());
    if (first != 0.0 || last != 0.0)
        notes.emplace_back(ExportCode::END_VALUES_HELD, std::vector<double>{first, last});
}

double OneColumnValue(const GridPoint& point) {
    if (point.up && point.down) return (*point.up + *point.down) / 2;
    return point.up ? *point.up : point.down.value_or(0.0);
}

}  // namespace pitchwise
