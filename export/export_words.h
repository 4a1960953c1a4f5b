// pitchwise-export's words for what the export's layers answer: the one
// place that names the program's options.
#pragma once

#include <string>

#include "export_status.h"

namespace pitchwise {

// The sentence for a refusal or a note, without the program's name.
std::string ExportWords(const ExportStatus& status);

// A length as short as it reads back: up to six decimals, no trailing zeros.
std::string ShortLength(double value);

}  // namespace pitchwise
