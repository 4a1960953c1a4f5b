#include "export_status.h"

namespace pitchwise {

const char* ExportCodeName(ExportCode code) {
    switch (code) {
#define PITCHWISE_EXPORT_CODE(name) \
    case ExportCode::name:          \
        return #name;
        PITCHWISE_EXPORT_CODES(PITCHWISE_EXPORT_CODE)
#undef PITCHWISE_EXPORT_CODE
    }
    return "?";
}

}  // namespace pitchwise
