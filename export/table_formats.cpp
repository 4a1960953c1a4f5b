#include "table_formats.h"

namespace pitchwise {

const std::vector<TableFormat>& TableFormats() {
    // LinuxCNC keeps 256 lines per joint; the ISG kernel's list takes fewer
    // points than its 1500 (its count must stay below that); the Siemens
    // limit is a machine datum, so the operator gives it.
    static const std::vector<TableFormat> formats = {
        {"linuxcnc", "dat", 256, true, false, false, WriteLinuxCncActual},
        {"linuxcnc-offsets", "dat", 256, true, false, false, WriteLinuxCncOffsets},
        {"siemens-lec", "ini", 0, false, true, false, WriteSiemensLec},
        {"isg", "lis", 1499, false, true, false, WriteIsgList},
        {"csv", "csv", 100000, false, false, true, WriteCsv},
    };
    return formats;
}

const TableFormat* FindTableFormat(const std::string& name) {
    for (const TableFormat& format : TableFormats())
        if (name == format.name) return &format;
    return nullptr;
}

double OneColumnValue(const GridPoint& point) {
    if (point.up && point.down) return (*point.up + *point.down) / 2;
    return point.up ? *point.up : point.down.value_or(0.0);
}

}  // namespace pitchwise
