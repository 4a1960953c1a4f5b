// The simulated device's record of every byte received and sent, and of
// the complete command lines among them. The simulator holds its lock
// around every call.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace pitchwise {

struct QsbSimTraffic {
    enum Direction { RECEIVED, SENT };
    Direction direction;
    int port;           // the COM number the bytes went through
    std::string bytes;  // as they were read or written, one read or write per record
    std::chrono::steady_clock::time_point at;
};

class CQsbSimTrafficLog {
  public:
    // Keeps the record and adds it to `records`, for the observer.
    void Record(QsbSimTraffic::Direction direction, int port, const std::string& bytes,
                std::vector<QsbSimTraffic>& records);
    void RecordCommand(const std::string& line) { m_commands.push_back(line); }
    const std::vector<QsbSimTraffic>& Traffic() const { return m_traffic; }
    const std::vector<std::string>& Commands() const { return m_commands; }
    void Clear();

  private:
    std::vector<QsbSimTraffic> m_traffic;
    std::vector<std::string> m_commands;
};

}  // namespace pitchwise
