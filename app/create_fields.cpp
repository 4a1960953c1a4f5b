#include "create_fields.h"

#include "mapping_run.h"
#include "point_format.h"

namespace pitchwise {

bool IsNumericText(const char* text) {
    for (const char* c = text; *c; ++c) {
        if ((*c < '0' || *c > '9') && *c != '.') return false;
    }
    return true;
}

float FieldValue(const char* text) {
    return static_cast<float>(ReadNumberWithPoint(text));
}

const char* MapResultMessage(int result) {
    switch (result) {
        case MAP_DONE:
            return "Done.";
        case MAP_NO_LIBRARY:
            return "Error - Can't load TARVEX.DLL.";
        case MAP_NO_ENTRY:
            return "Error - TARVEX.DLL function loading failed.";
        case MAP_INIT_FAILED:
            return "Error - Tarvex initialization failed.";
        case MAP_COMMAND_FAILED:
            return "Error - Sending command to Tarvex failed.";
        case MAP_READ_FAILED:
            return "Error - QSB reading failed.";
        case MAP_ZERO_FAILED:
            return "Error - QSB zeroing failed.";
        default:
            return "Error - Unknown.";
    }
}

}  // namespace pitchwise
