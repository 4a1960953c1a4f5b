// The kernel32 calls the Windows port makes, gathered in one table so a test
// can stand in for the driver and see every call, its arguments and order.
// Nothing but com_port_win32.cpp and its tests includes this header.
#pragma once

#include <windows.h>

namespace pitchwise {

struct ComPortWin32Calls {
    HANDLE(WINAPI* createFile)
    (LPCSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security, DWORD disposition,
     DWORD flags, HANDLE templateFile);
    BOOL(WINAPI* setCommTimeouts)(HANDLE port, LPCOMMTIMEOUTS timeouts);
    BOOL(WINAPI* getCommState)(HANDLE port, LPDCB dcb);
    BOOL(WINAPI* setCommState)(HANDLE port, LPDCB dcb);
    BOOL(WINAPI* setupComm)(HANDLE port, DWORD inQueue, DWORD outQueue);
    BOOL(WINAPI* readFile)
    (HANDLE port, LPVOID buffer, DWORD count, LPDWORD got, LPOVERLAPPED overlapped);
    BOOL(WINAPI* writeFile)
    (HANDLE port, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED overlapped);
    BOOL(WINAPI* closeHandle)(HANDLE handle);
};

// kernel32's own calls.
ComPortWin32Calls KernelComPortCalls();

// Replaces the calls every CComPort makes from now on; returns the previous
// table. Tests only: the program always uses kernel32's.
ComPortWin32Calls SetComPortCalls(const ComPortWin32Calls& calls);

}  // namespace pitchwise
