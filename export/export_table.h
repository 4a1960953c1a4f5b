// From a run log's runs to one controller's table: the measurement, its
// means normalised to 20 °C when asked, shifted to the zero asked for, on
// the controller's grid, checked against the format's limits and written.
// Everything is refused before any text is made, so a refusal writes
// nothing.
#pragma once

#include <string>
#include <vector>

#include "export_options.h"
#include "export_status.h"
#include "run_log.h"

namespace pitchwise {

struct ExportResult {
    std::string text;                       // the file
    std::vector<ExportStatus> notes;        // for the operator, beside the file
    LengthUnit unit = LengthUnit::UNKNOWN;  // the machine's, as the table was made in
};

// Refused, with no text, when the table cannot be made as asked. The unit
// is the log's; the options' unit is needed only for a log that does not
// say it, and refused when it contradicts it.
ExportStatus ExportTable(const std::vector<LoggedRun>& log, const ExportOptions& options,
                         ExportResult& result);

}  // namespace pitchwise
