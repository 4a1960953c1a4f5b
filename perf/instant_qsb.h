// A QSB that answers at once, on the master side of a pty.
//
// Service() answers every complete command already written by the program.
// The injected-clock benchmarks call it from the clock's pause hook, so the
// device "answers during the pause" without anyone sleeping; the real-time
// benchmarks run it on a thread that waits in poll().
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

class CInstantQsb {
  public:
    explicit CInstantQsb(int master) : m_master(master) {}

    // Returns the number of commands answered.
    int Service();

    // Steady-clock times (ns) of the last command seen and the last reply sent.
    std::int64_t LastCommandNs() const { return m_lastCommandNs.load(); }
    std::int64_t LastReplyNs() const { return m_lastReplyNs.load(); }

  private:
    void Answer(const std::string& command);

    int m_master;
    std::string m_pending;
    std::int32_t m_count = 0;
    std::atomic<std::int64_t> m_lastCommandNs{0};
    std::atomic<std::int64_t> m_lastReplyNs{0};
};

// Runs a CInstantQsb on its own thread, blocked in poll() between commands.
class CQsbResponderThread {
  public:
    explicit CQsbResponderThread(int master);
    ~CQsbResponderThread();
    CQsbResponderThread(const CQsbResponderThread&) = delete;
    CQsbResponderThread& operator=(const CQsbResponderThread&) = delete;

    const CInstantQsb& Device() const { return m_device; }

  private:
    void Loop();

    int m_master;
    CInstantQsb m_device;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

std::int64_t SteadyNowNs();
