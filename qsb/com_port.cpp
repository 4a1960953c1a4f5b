#include "com_port.h"

// Constant-initialised: usable before any start-up code has run.
CComPort thePort;

CComPort::~CComPort() {
    Close();
}
