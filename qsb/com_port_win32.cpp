// Windows backend: the communications calls of kernel32, used directly.
#include <windows.h>

#include <cstdio>

#include "com_port.h"

namespace {

HANDLE AsHandle(ComPortHandle* handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

void ComPortDeviceName(int port, char* name, std::size_t size) {
    std::snprintf(name, size, "COM%d", port);
}

bool CComPort::Open(int port, unsigned long baudRate, int dataBits, int parity, int stopBits) {
    if (m_opened == 1) return true;

    char name[32];
    ComPortDeviceName(port, name, sizeof name);
    // Windows opens serial ports exclusively: share mode 0.
    HANDLE handle = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return false;

    // Reads return at once with whatever has arrived; writes give up after 5 s.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 5000;
    SetCommTimeouts(handle, &timeouts);

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    // A port that cannot report its state cannot be trusted with ours either.
    if (!GetCommState(handle, &dcb)) {
        CloseHandle(handle);
        return false;
    }
    dcb.BaudRate = baudRate;
    dcb.ByteSize = static_cast<BYTE>(dataBits);
    dcb.Parity = static_cast<BYTE>(parity);
    dcb.StopBits = static_cast<BYTE>(stopBits);
    if (!SetCommState(handle, &dcb) || !SetupComm(handle, 10000, 10000)) {
        CloseHandle(handle);
        return false;
    }

    m_handle = reinterpret_cast<ComPortHandle*>(handle);
    m_opened = 1;
    return true;
}

void CComPort::Write(const void* bytes, std::size_t count) {
    if (m_opened != 1 || m_handle == nullptr) return;
    DWORD written = 0;
    WriteFile(AsHandle(m_handle), bytes, static_cast<DWORD>(count), &written, nullptr);
}

std::size_t CComPort::Read(void* buffer, std::size_t maxCount) {
    if (m_opened != 1 || m_handle == nullptr) return 0;
    DWORD got = 0;
    if (!ReadFile(AsHandle(m_handle), buffer, static_cast<DWORD>(maxCount), &got, nullptr)) {
        return 0;
    }
    return got;
}

void CComPort::Close() {
    if (m_opened != 1 || m_handle == nullptr) return;
    CloseHandle(AsHandle(m_handle));
    m_handle = nullptr;
    m_opened = 0;
}
