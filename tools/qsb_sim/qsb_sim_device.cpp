#include "qsb_sim_device.h"

#include <cstdio>

namespace pitchwise {

namespace {

std::string Fitted(const std::string& text, std::size_t size) {
    std::string fitted = text.substr(0, size);
    fitted.resize(size, '0');
    return fitted;
}

}  // namespace

std::string QsbSimIdentityReply(const std::string& serialNumber, const std::string& device,
                                const std::string& revision) {
    return "R140 " + Fitted(serialNumber, 5) + Fitted(device, 1) + Fitted(revision, 2) + "\r\n";
}

std::string QsbSimCounterReply(std::uint32_t value, QsbSimCounterStyle style) {
    char digits[16];
    std::snprintf(digits, sizeof digits, style == QsbSimCounterStyle::LOWER_CASE ? "%08x" : "%08X",
                  static_cast<unsigned>(value));
    return std::string("R0E0 ") + digits + "\r\n";
}

std::string QsbSimAcknowledgeReply(const std::string& command) {
    return command.substr(0, command.find('!')) + " OK\r\n";
}

std::int64_t QsbSimDevice::AbsoluteCounts() const {
    return countSource ? countSource() : counts;
}

std::uint32_t QsbSimDevice::CounterValue() const {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(AbsoluteCounts() - offset));
}

std::optional<std::string> QsbSimDevice::Answer(const std::string& line) {
    if (line == "R140!\n") {
        return faults.identityReply ? *faults.identityReply
                                    : QsbSimIdentityReply(serialNumber, deviceCode, revision);
    }
    if (line == "R0E0!\n") {
        if (!faults.queuedCounterReplies.empty()) {
            std::string reply = faults.queuedCounterReplies.front();
            faults.queuedCounterReplies.pop_front();
            return reply;
        }
        if (faults.counterReply) return *faults.counterReply;
        return QsbSimCounterReply(CounterValue(), counterStyle);
    }
    if (line == "W092!\n") {
        if (faults.ignoreZeroing) return std::nullopt;
        offset = AbsoluteCounts();
        return QsbSimAcknowledgeReply(line);
    }
    if (line == "W038D!\n" || line == "W08007A1200!\n") return QsbSimAcknowledgeReply(line);
    return std::nullopt;
}

}  // namespace pitchwise
