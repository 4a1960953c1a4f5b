// A simulated QSB measuring device on a real pseudo-terminal.
//
// The device publishes the slave side of a pty as the link COM<n> inside a
// port directory, which is where the program looks when PITCHWISE_PORT_DIR
// names that directory. It answers the identity query and the counter query,
// takes the two configuration commands and the zeroing command, and can play
// the faults a real device shows: short or garbled replies, a port that never
// answers, a device that stops reading, an unplug and a re-plug elsewhere.
//
// Two ways to drive it:
// - Pump(): handle whatever bytes have arrived, without waiting. Tests that
//   use the recording pause clock call it from the clock's hook, so the
//   device answers "during" each pause and the run stays deterministic.
// - Start()/Stop(): a background thread answers as bytes arrive, for runs
//   in real time.
//
// Every byte received and sent is recorded with its time and port.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "qsb_sim_device.h"
#include "qsb_sim_pty.h"
#include "qsb_sim_traffic.h"

namespace pitchwise {

class CQsbSimulator {
  public:
    // An empty portDir makes a fresh temporary directory, removed again on
    // destruction; a given one is created if missing and left in place.
    explicit CQsbSimulator(const std::string& portDir = std::string());
    ~CQsbSimulator();
    CQsbSimulator(const CQsbSimulator&) = delete;
    CQsbSimulator& operator=(const CQsbSimulator&) = delete;

    const std::string& PortDir() const { return m_portDir; }
    // The path the program opens for port n: PortDir()/COM<n>.
    std::string PortPath(int port) const;
    // Sets PITCHWISE_PORT_DIR to PortDir() in this process.
    void ExportPortDir() const;

    // Publishes the device as COM<port> (1 to 7 for the program's scan, any
    // number works). A device already plugged in is unplugged first.
    bool Plug(int port);
    // Closes the device's side of the pty and removes its link: a program
    // that still has the port open reads nothing and its writes fail.
    void Unplug();
    int Port() const;  // 0 while unplugged
    // True while an opener of the device's port holds it exclusively (the
    // mark a port that was never closed leaves behind its process).
    bool PortHeldExclusively() const;

    // A port that opens fine but never answers (it reads and drops what
    // arrives, so it never stalls a writer either).
    bool AddSilentPort(int port);
    void RemoveSilentPort(int port);

    // --- identity ---------------------------------------------------------
    // Serial number (5), device (1) and revision (2) at offsets 5..9, 10 and
    // 11..12 of the identity reply. Longer texts are cut, shorter padded
    // with '0'.
    void SetIdentity(const std::string& serialNumber, const std::string& device,
                     const std::string& revision);
    // Replaces the whole identity reply (a short one, say); nullopt restores
    // the reply built from SetIdentity.
    void SetIdentityReply(std::optional<std::string> reply);

    // --- counter ----------------------------------------------------------
    // The counter shows the 32-bit wrap of (absolute counts - offset), where
    // the zeroing command stores the absolute counts of that moment as the
    // offset. The source is called on each counter query and each zeroing,
    // with the simulator's lock held: it must not call back into it.
    void SetCounts(std::int64_t absoluteCounts);
    void SetCountSource(std::function<std::int64_t()> source);
    std::uint32_t CounterValue() const;
    std::int64_t ZeroOffset() const;

    // A device whose zeroing does not take: it ignores "W092!\n" (no reply,
    // the counter keeps its old zero) while set.
    void IgnoreZeroing(bool ignore);

    void SetCounterStyle(QsbSimCounterStyle style);
    // The next `times` counter replies are exactly `reply` (one-shot
    // overrides, used in the order queued, before any persistent one).
    void QueueCounterReply(const std::string& reply, int times = 1);
    // Every counter reply is exactly `reply` until nullopt is set.
    void SetCounterReply(std::optional<std::string> reply);

    // Puts bytes on the line now, unasked (noise, a late reply).
    void SendUnprompted(const std::string& bytes);

    // --- a device that stops reading --------------------------------------
    // The device stops taking bytes from the line. With stallLine, the line
    // also stops carrying the program's bytes, as a device holding its flow
    // control does: every write of the program stalls until ResumeReading,
    // however loaded the machine (without it, the pty's tens of kilobytes
    // of buffer take the writes first). False when the line cannot be
    // stalled.
    bool StopReading(bool stallLine = true);
    // Takes bytes again and lets the line carry them.
    void ResumeReading();

    // --- driving ----------------------------------------------------------
    // Handles every byte that has arrived on the device's and the silent
    // ports, answering complete commands at once. Never waits.
    void Pump();
    // A background thread that pumps as bytes arrive; Stop() joins it.
    void Start();
    void Stop();

    // --- recording --------------------------------------------------------
    std::vector<QsbSimTraffic> Traffic() const;
    // Complete command lines the device received, in order ("R140!\n" ...).
    std::vector<std::string> Commands() const;
    void ClearTraffic();
    // Called for every record, outside the simulator's lock (from the
    // background thread when one runs).
    void SetObserver(std::function<void(const QsbSimTraffic&)> observer);

    // The replies as this device frames them.
    static std::string IdentityReply(const std::string& serialNumber, const std::string& device,
                                     const std::string& revision);
    static std::string CounterReply(std::uint32_t value,
                                    QsbSimCounterStyle style = QsbSimCounterStyle::UPPER_CASE);
    static std::string AcknowledgeReply(const std::string& command);

  private:
    void PumpLocked(std::vector<QsbSimTraffic>& records);
    void SendLocked(const std::string& bytes, std::vector<QsbSimTraffic>& records);
    void Notify(const std::vector<QsbSimTraffic>& records);
    void Wake(char why) const;
    void ThreadMain();

    std::string m_portDir;
    bool m_ownsPortDir = false;

    mutable std::mutex m_mutex;
    SimPty m_device;
    int m_port = 0;
    std::map<int, SimPty> m_silent;

    QsbSimDevice m_state;
    bool m_reading = true;
    bool m_lineStalled = false;
    std::string m_pendingLine;

    CQsbSimTrafficLog m_log;
    std::function<void(const QsbSimTraffic&)> m_observer;

    std::thread m_thread;
    int m_wake[2] = {-1, -1};
    bool m_running = false;
};

}  // namespace pitchwise
