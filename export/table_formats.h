// The controller formats a table is exported in: each one's limits and its
// writer. The writers take the table on the grid, in the machine's length
// unit, already shifted and normalised, and convert to the unit the format
// holds.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "export_status.h"
#include "length_unit.h"
#include "table_grid.h"

namespace pitchwise {

struct ExportedTable {
    char axis = 'X';
    LengthUnit unit = LengthUnit::UNKNOWN;  // the machine's: the log's, or as the operator said
    LengthUnit basicSystem = LengthUnit::UNKNOWN;  // siemens-lec: the control's, MD10240
    double spacing = 0;                            // of the grid, machine unit
    std::vector<GridPoint> grid;
    Figure meanReversal;                // B̄ of the measurement
    std::vector<std::string> comments;  // lines, without the format's comment mark
    std::string machineAxis;            // siemens-lec: the machine axis name
    int measuringSystem = 0;            // siemens-lec: 0 or 1
    int logicalAxis = 1;                // isg: the axis's logical number
};

// The unit a format writes its lengths in.
enum class FileUnit { MACHINE, MILLIMETRES, BASIC_SYSTEM };

struct TableFormat {
    const char* name;
    const char* extension;  // of the file, without the dot
    std::size_t maxPoints;  // 0: --max-points decides
    bool twoColumns;        // one column per direction, so both must be measured
    bool fixedUnit;         // holds lengths in a unit of its own, so needs --unit
    bool eitherDirection;   // every point needs no more than one direction
    FileUnit fileUnit;
    double resolution;  // the smallest length the file writes a position in, file unit
    // Refused when a value cannot be written in the format; what the
    // operator should know beside the file goes into `notes`.
    ExportStatus (*write)(const ExportedTable& table, std::string& text,
                          std::vector<ExportStatus>& notes);
};

// The formats, in the order the usage lists them.
const std::vector<TableFormat>& TableFormats();
// nullptr when there is none of that name.
const TableFormat* FindTableFormat(const std::string& name);

// The one value of a point for a one-column table: the bidirectional mean,
// or the one direction measured there.
double OneColumnValue(const GridPoint& point);

// The smallest length `format` can place a point at, in the machine's unit
// (0 when the unit it needs is unknown).
double MachineResolution(const TableFormat& format, LengthUnit machine, LengthUnit basicSystem);

// The lines of a controller file's comment, as text a controller reads: no
// byte outside printable ASCII (degrees and micro spelt out, anything else
// '?'), so a name cannot start a line of its own either.
std::string AsciiComment(const std::string& line);

// The note a table whose end values are not 0 gets where the controller
// holds them beyond it.
void NoteHeldEnds(const ExportedTable& table, std::vector<ExportStatus>& notes);

ExportStatus WriteLinuxCncActual(const ExportedTable& table, std::string& text,
                                 std::vector<ExportStatus>& notes);
ExportStatus WriteLinuxCncOffsets(const ExportedTable& table, std::string& text,
                                  std::vector<ExportStatus>& notes);
ExportStatus WriteSiemensLec(const ExportedTable& table, std::string& text,
                             std::vector<ExportStatus>& notes);
ExportStatus WriteIsgList(const ExportedTable& table, std::string& text,
                          std::vector<ExportStatus>& notes);
ExportStatus WriteCsv(const ExportedTable& table, std::string& text,
                      std::vector<ExportStatus>& notes);

}  // namespace pitchwise
