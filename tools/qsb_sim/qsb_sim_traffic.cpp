#include "qsb_sim_traffic.h"

namespace pitchwise {

void CQsbSimTrafficLog::Record(QsbSimTraffic::Direction direction, int port,
                               const std::string& bytes, std::vector<QsbSimTraffic>& records) {
    QsbSimTraffic record{direction, port, bytes, std::chrono::steady_clock::now()};
    m_traffic.push_back(record);
    records.push_back(record);
}

void CQsbSimTrafficLog::Clear() {
    m_traffic.clear();
    m_commands.clear();
}

}  // namespace pitchwise
