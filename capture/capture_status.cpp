#include "capture_status.h"

namespace pitchwise {

const char* CaptureCodeName(CaptureCode code) {
    switch (code) {
#define PITCHWISE_CAPTURE_NAME(name) \
    case CaptureCode::name:          \
        return #name;
        PITCHWISE_CAPTURE_CODES(PITCHWISE_CAPTURE_NAME)
#undef PITCHWISE_CAPTURE_NAME
    }
    return "?";
}

}  // namespace pitchwise
