// CComPort's Windows backend with its kernel32 calls replaced by a recording
// driver: each call, its arguments and its order, and what the port does
// when the driver refuses a step.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "com_port.h"
#include "com_port_win32_calls.h"
#include "wine_check.h"

namespace pitchwise {

namespace {

HANDLE const PORT_HANDLE = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x4321));

// The driver's state as it reports it, with flow control and the special
// characters set, so a port that kept only what it changes shows it.
DCB DriverState() {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = 9600;
    dcb.fBinary = 1;
    dcb.fOutxCtsFlow = 1;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    dcb.fOutX = 1;
    dcb.fInX = 1;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.XonLim = 2048;
    dcb.XoffLim = 512;
    dcb.ByteSize = 7;
    dcb.Parity = EVENPARITY;
    dcb.StopBits = TWOSTOPBITS;
    return dcb;
}

struct Driver {
    std::vector<std::string> calls;
    // What the driver refuses: the step's name, or empty for none.
    std::string refuse;

    std::string name;
    DWORD access = 0, shareMode = 1, disposition = 0, flags = 0;
    bool security = true, templateFile = true;
    COMMTIMEOUTS timeouts{};
    DCB stateSet{};
    DWORD inQueue = 0, outQueue = 0;
    HANDLE closed = nullptr;
    DWORD readAskedFor = 0;
    std::string written;
};

Driver theDriver;

BOOL Answer(const char* step) {
    theDriver.calls.push_back(step);
    return theDriver.refuse == step ? FALSE : TRUE;
}

HANDLE WINAPI FakeCreateFile(LPCSTR name, DWORD access, DWORD shareMode,
                             LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                             HANDLE templateFile) {
    theDriver.name = name;
    theDriver.access = access;
    theDriver.shareMode = shareMode;
    theDriver.security = security != nullptr;
    theDriver.disposition = disposition;
    theDriver.flags = flags;
    theDriver.templateFile = templateFile != nullptr;
    return Answer("CreateFile") ? PORT_HANDLE : INVALID_HANDLE_VALUE;
}

BOOL WINAPI FakeSetCommTimeouts(HANDLE, LPCOMMTIMEOUTS timeouts) {
    theDriver.timeouts = *timeouts;
    return Answer("SetCommTimeouts");
}

BOOL WINAPI FakeGetCommState(HANDLE, LPDCB dcb) {
    *dcb = DriverState();
    return Answer("GetCommState");
}

BOOL WINAPI FakeSetCommState(HANDLE, LPDCB dcb) {
    theDriver.stateSet = *dcb;
    return Answer("SetCommState");
}

BOOL WINAPI FakeSetupComm(HANDLE, DWORD inQueue, DWORD outQueue) {
    theDriver.inQueue = inQueue;
    theDriver.outQueue = outQueue;
    return Answer("SetupComm");
}

BOOL WINAPI FakeReadFile(HANDLE, LPVOID buffer, DWORD count, LPDWORD got, LPOVERLAPPED) {
    theDriver.readAskedFor = count;
    const char reply[] = "R0E0 00002734\r\n";
    const DWORD length = static_cast<DWORD>(sizeof reply - 1);
    *got = count < length ? count : length;
    std::memcpy(buffer, reply, *got);
    if (Answer("ReadFile")) return TRUE;
    *got = 7;  // a failed call's count must not be taken
    return FALSE;
}

BOOL WINAPI FakeWriteFile(HANDLE, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED) {
    theDriver.written.assign(static_cast<const char*>(bytes), count);
    *written = count;
    return Answer("WriteFile");
}

BOOL WINAPI FakeCloseHandle(HANDLE handle) {
    theDriver.closed = handle;
    return Answer("CloseHandle");
}

const ComPortWin32Calls FAKE_CALLS = {FakeCreateFile,   FakeSetCommTimeouts, FakeGetCommState,
                                      FakeSetCommState, FakeSetupComm,       FakeReadFile,
                                      FakeWriteFile,    FakeCloseHandle};

bool OpenLine(CComPort& port, int number) {
    return port.Open(number, 230400, 8, NOPARITY, ONESTOPBIT);
}

std::string Joined(const std::vector<std::string>& calls) {
    std::string all;
    for (const std::string& call : calls) all += (all.empty() ? "" : " ") + call;
    return all;
}

void Reset(const char* refuse = "") {
    theDriver = Driver();
    theDriver.refuse = refuse;
}

void CheckOpenAsksForTheLineExclusively() {
    BeginCase("Open: the calls, the line and the time-outs");
    Reset();
    CComPort port;
    Check(OpenLine(port, 3), "Open succeeds");
    Check(port.IsOpen(), "the port is open");
    CheckText(Joined(theDriver.calls),
              "CreateFile SetCommTimeouts GetCommState SetCommState SetupComm", "calls in order");
    CheckText(theDriver.name, "COM3", "device name");
    CheckEqual(theDriver.access, GENERIC_READ | GENERIC_WRITE, "access");
    CheckEqual(theDriver.shareMode, 0, "share mode: no sharing");
    Check(!theDriver.security, "no security attributes");
    CheckEqual(theDriver.disposition, OPEN_EXISTING, "disposition");
    CheckEqual(theDriver.flags, FILE_ATTRIBUTE_NORMAL, "flags: normal, not overlapped");
    Check(!theDriver.templateFile, "no template");

    const COMMTIMEOUTS& t = theDriver.timeouts;
    CheckEqual(t.ReadIntervalTimeout, MAXDWORD, "ReadIntervalTimeout");
    CheckEqual(t.ReadTotalTimeoutMultiplier, 0, "ReadTotalTimeoutMultiplier");
    CheckEqual(t.ReadTotalTimeoutConstant, 0, "ReadTotalTimeoutConstant");
    CheckEqual(t.WriteTotalTimeoutMultiplier, 0, "WriteTotalTimeoutMultiplier");
    CheckEqual(t.WriteTotalTimeoutConstant, 5000, "WriteTotalTimeoutConstant");

    const DCB& set = theDriver.stateSet;
    const DCB found = DriverState();
    CheckEqual(set.BaudRate, 230400, "BaudRate");
    CheckEqual(set.ByteSize, 8, "ByteSize");
    CheckEqual(set.Parity, NOPARITY, "Parity");
    CheckEqual(set.StopBits, ONESTOPBIT, "StopBits");
    // Everything else stays as the driver reported it.
    DCB rest = set;
    rest.BaudRate = found.BaudRate;
    rest.ByteSize = found.ByteSize;
    rest.Parity = found.Parity;
    rest.StopBits = found.StopBits;
    Check(std::memcmp(&rest, &found, sizeof rest) == 0, "the other fields are the driver's");
    CheckEqual(theDriver.inQueue, 10000, "input queue");
    CheckEqual(theDriver.outQueue, 10000, "output queue");

    theDriver.calls.clear();
    Check(OpenLine(port, 5), "Open while open succeeds");
    CheckText(Joined(theDriver.calls), "", "and touches nothing");
    port.Close();
    CheckText(Joined(theDriver.calls), "CloseHandle", "Close closes the handle");
    Check(theDriver.closed == PORT_HANDLE, "the port's own handle");
    Check(!port.IsOpen(), "the port is closed");
}

void CheckRefusedSteps() {
    struct Row {
        const char* refuse;
        const char* calls;
    };
    const Row rows[] = {
        {"CreateFile", "CreateFile"},
        // A failed time-out setting is ignored.
        {"SetCommTimeouts", "CreateFile SetCommTimeouts GetCommState SetCommState SetupComm"},
        // A port that cannot report its state is closed again at once.
        {"GetCommState", "CreateFile SetCommTimeouts GetCommState CloseHandle"},
        // Refused line settings: no queue sizes, and the port is closed.
        {"SetCommState", "CreateFile SetCommTimeouts GetCommState SetCommState CloseHandle"},
        {"SetupComm", "CreateFile SetCommTimeouts GetCommState SetCommState SetupComm CloseHandle"},
    };
    for (const Row& row : rows) {
        BeginCase(std::string("Open with ") + row.refuse + " refused");
        Reset(row.refuse);
        CComPort port;
        const bool ignored = std::strcmp(row.refuse, "SetCommTimeouts") == 0;
        CheckEqual(OpenLine(port, 2), ignored, "Open's result");
        CheckEqual(port.IsOpen(), ignored, "the port's state");
        CheckText(Joined(theDriver.calls), row.calls, "calls in order");
        if (std::strstr(row.calls, "CloseHandle") != nullptr) {
            Check(theDriver.closed == PORT_HANDLE, "the handle opened is the one closed");
        }
        theDriver.calls.clear();
        port.Close();
        CheckText(Joined(theDriver.calls), ignored ? "CloseHandle" : "",
                  "Close after the failed Open");
    }
}

void CheckClosedPortTouchesNothing() {
    BeginCase("Read and Write on a closed port");
    Reset();
    CComPort port;
    char buffer[51] = "unchanged";
    CheckEqual(port.Read(buffer, 50), 0, "Read before any Open");
    port.Write("R0E0!\n", 6);
    port.Close();
    Check(OpenLine(port, 1), "Open");
    port.Close();
    theDriver.calls.clear();
    CheckEqual(port.Read(buffer, 50), 0, "Read after Close");
    port.Write("R0E0!\n", 6);
    port.Close();
    CheckText(Joined(theDriver.calls), "", "no call at all");
    CheckText(buffer, "unchanged", "the buffer is untouched");
}

void CheckReadAndWrite() {
    BeginCase("Read and Write on an open port");
    Reset();
    CComPort port;
    Check(OpenLine(port, 1), "Open");
    theDriver.calls.clear();
    port.Write("W08007A1200!\n", 13);
    CheckText(Joined(theDriver.calls), "WriteFile", "one WriteFile");
    CheckText(theDriver.written, "W08007A1200!\n", "the whole count at once");
    char buffer[51] = {};
    CheckEqual(port.Read(buffer, 50), 15, "Read returns the count read");
    CheckEqual(theDriver.readAskedFor, 50, "at most the count asked for");
    CheckText(std::string(buffer, 15), "R0E0 00002734\r\n", "the bytes read");
    theDriver.refuse = "ReadFile";
    CheckEqual(port.Read(buffer, 50), 0, "a failed read reads nothing");
    theDriver.refuse = "WriteFile";
    port.Write("W092!\n", 6);  // a failed write is silent
    Check(port.IsOpen(), "and leaves the port open");
    port.Close();
}

}  // namespace

}  // namespace pitchwise

using namespace pitchwise;

int main() {
    const ComPortWin32Calls kernel = SetComPortCalls(FAKE_CALLS);
    CheckOpenAsksForTheLineExclusively();
    CheckRefusedSteps();
    CheckClosedPortTouchesNothing();
    CheckReadAndWrite();
    SetComPortCalls(kernel);
    return Summary();
}
