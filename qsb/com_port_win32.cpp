// Windows backend: the communications calls of kernel32, through one table
// that a test may replace.
#include <windows.h>

#include <cstdio>

#include "com_port.h"
#include "com_port_win32_calls.h"

namespace pitchwise {

namespace {

ComPortWin32Calls theCalls = KernelComPortCalls();

HANDLE AsHandle(ComPortHandle* handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

ComPortWin32Calls KernelComPortCalls() {
    return {CreateFileA, SetCommTimeouts, GetCommState, SetCommState,
            SetupComm,   ReadFile,        WriteFile,    CloseHandle};
}

ComPortWin32Calls SetComPortCalls(const ComPortWin32Calls& calls) {
    ComPortWin32Calls previous = theCalls;
    theCalls = calls;
    return previous;
}

void ComPortDeviceName(int port, char* name, std::size_t size) {
    std::snprintf(name, size, "COM%d", port);
}

bool CComPort::Open(int port, unsigned long baudRate, int dataBits, int parity, int stopBits) {
    if (m_opened == 1) return true;

    char name[32];
    ComPortDeviceName(port, name, sizeof name);
    // Windows opens serial ports exclusively: share mode 0.
    HANDLE handle = theCalls.createFile(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return false;

    // Reads return at once with whatever has arrived; writes give up after 5 s.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 5000;
    theCalls.setCommTimeouts(handle, &timeouts);

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    // A port that cannot report its state cannot be trusted with ours either.
    if (!theCalls.getCommState(handle, &dcb)) {
        theCalls.closeHandle(handle);
        return false;
    }
    dcb.BaudRate = baudRate;
    dcb.ByteSize = static_cast<BYTE>(dataBits);
    dcb.Parity = static_cast<BYTE>(parity);
    dcb.StopBits = static_cast<BYTE>(stopBits);
    if (!theCalls.setCommState(handle, &dcb) || !theCalls.setupComm(handle, 10000, 10000)) {
        theCalls.closeHandle(handle);
        return false;
    }

    m_handle = reinterpret_cast<ComPortHandle*>(handle);
    m_opened = 1;
    return true;
}

void CComPort::Write(const void* bytes, std::size_t count) {
    if (m_opened != 1 || m_handle == nullptr) return;
    DWORD written = 0;
    theCalls.writeFile(AsHandle(m_handle), bytes, static_cast<DWORD>(count), &written, nullptr);
}

std::size_t CComPort::Read(void* buffer, std::size_t maxCount) {
    if (m_opened != 1 || m_handle == nullptr) return 0;
    DWORD got = 0;
    if (!theCalls.readFile(AsHandle(m_handle), buffer, static_cast<DWORD>(maxCount), &got,
                           nullptr)) {
        return 0;
    }
    return got;
}

void CComPort::Close() {
    if (m_opened != 1 || m_handle == nullptr) return;
    theCalls.closeHandle(AsHandle(m_handle));
    m_handle = nullptr;
    m_opened = 0;
}

}  // namespace pitchwise
