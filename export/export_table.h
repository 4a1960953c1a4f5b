// From a run log's runs to one controller's table: the measurement, its
// means normalised to 20 °C when asked, shifted to the zero asked for, on
// the controller's grid, checked against the format's limits and written.
// Everything is refused before any text is made, so a refusal writes
// nothing.
#pragma once

#include <string>
#include <vector>

#include "export_options.h"
#include "run_log.h"

namespace pitchwise {

struct ExportResult {
    std::string text;                // the file
    std::vector<std::string> notes;  // for the operator, beside the file
};

// False with the reason when the table cannot be made as asked.
bool ExportTable(const std::vector<LoggedRun>& log, const ExportOptions& options,
                 ExportResult& result, std::string& error);

}  // namespace pitchwise
