// The controller formats a table is exported in: each one's limits and its
// writer. The writers take the table on the grid, in the machine's length
// unit, already shifted and normalised, and convert to the unit the format
// holds.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "length_unit.h"
#include "table_grid.h"

namespace pitchwise {

struct ExportedTable {
    char axis = 'X';
    LengthUnit unit = LengthUnit::UNKNOWN;  // the machine's, as the operator said
    double spacing = 0;                     // of the grid, machine unit
    std::vector<GridPoint> grid;
    Figure meanReversal;                // B̄ of the measurement
    std::vector<std::string> comments;  // lines, without the format's comment mark
    std::string machineAxis;            // siemens-lec: the machine axis name
    int measuringSystem = 0;            // siemens-lec: 0 or 1
    int logicalAxis = 1;                // isg: the axis's logical number
};

struct TableFormat {
    const char* name;
    const char* extension;  // of the file, without the dot
    std::size_t maxPoints;  // 0: --max-points decides
    bool twoColumns;        // one column per direction, so both must be measured
    bool fixedUnit;         // holds lengths in a unit of its own, so needs --unit
    bool eitherDirection;   // every point needs no more than one direction
    // False with the reason when a value cannot be written in the format;
    // what the operator should know beside the file goes into `notes`.
    bool (*write)(const ExportedTable& table, std::string& text, std::vector<std::string>& notes,
                  std::string& error);
};

// The formats, in the order the usage lists them.
const std::vector<TableFormat>& TableFormats();
// nullptr when there is none of that name.
const TableFormat* FindTableFormat(const std::string& name);

// The one value of a point for a one-column table: the bidirectional mean,
// or the one direction measured there.
double OneColumnValue(const GridPoint& point);

bool WriteLinuxCncActual(const ExportedTable& table, std::string& text,
                         std::vector<std::string>& notes, std::string& error);
bool WriteLinuxCncOffsets(const ExportedTable& table, std::string& text,
                          std::vector<std::string>& notes, std::string& error);
bool WriteSiemensLec(const ExportedTable& table, std::string& text, std::vector<std::string>& notes,
                     std::string& error);
bool WriteIsgList(const ExportedTable& table, std::string& text, std::vector<std::string>& notes,
                  std::string& error);
bool WriteCsv(const ExportedTable& table, std::string& text, std::vector<std::string>& notes,
              std::string& error);

}  // namespace pitchwise
