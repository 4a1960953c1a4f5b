#include "com_port.h"

namespace pitchwise {

// Constant-initialised: usable before any start-up code has run.
CComPort thePort;

CComPort::~CComPort() {
    Close();
}

}  // namespace pitchwise
