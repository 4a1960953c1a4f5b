// The serial port that reaches the QSB.
//
// One instance, thePort, lives for the whole process. It starts closed,
// needs no start-up code, and closes any port still open when the process
// exits. Reads never wait for the device: the QSB protocol paces every
// exchange with fixed pauses instead.
#pragma once

#include <cstddef>

namespace pitchwise {

// Parity and stop-bit codes, with the values of the Windows DCB fields.
constexpr int COM_NOPARITY = 0;
constexpr int COM_ONESTOPBIT = 0;

// Opaque platform handle; each backend gives it its own meaning.
struct ComPortHandle;

class CComPort {
  public:
    constexpr CComPort() = default;
    ~CComPort();
    CComPort(const CComPort&) = delete;
    CComPort& operator=(const CComPort&) = delete;

    // Opens COM<port> with the given line settings. Returns true at once if a
    // port is already open, whichever number is asked for.
    bool Open(int port, unsigned long baudRate, int dataBits, int parity, int stopBits);

    // Writes the whole count in one call; the outcome is not reported.
    void Write(const void* bytes, std::size_t count);

    // Returns what has already arrived, at most maxCount bytes, without
    // waiting: 0 when nothing arrived, the read failed or the port is closed.
    // The buffer is not terminated.
    std::size_t Read(void* buffer, std::size_t maxCount);

    void Close();

    bool IsOpen() const { return m_opened == 1 && m_handle != nullptr; }

  private:
    ComPortHandle* m_handle = nullptr;
    int m_opened = 0;
};

extern CComPort thePort;

// The device path that port number n opens on this platform.
// On Linux: $PITCHWISE_PORT_DIR/COM<n> when that variable is set,
// otherwise /dev/ttyUSB<n-1>. On Windows: COM<n>.
void ComPortDeviceName(int port, char* name, std::size_t size);

}  // namespace pitchwise
