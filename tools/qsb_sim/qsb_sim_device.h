// What the simulated device says: its counter, its replies to the
// commands it knows, and the faults it can be told to play. No I/O: the
// simulator puts the replies on the line.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace pitchwise {

// How the device replies to the counter query, when not overridden.
enum class QsbSimCounterStyle {
    UPPER_CASE,  // "R0E0 0000ABCD\r\n"
    LOWER_CASE,  // "R0E0 0000abcd\r\n"
};

// The replies as this device frames them.
std::string QsbSimIdentityReply(const std::string& serialNumber, const std::string& device,
                                const std::string& revision);
std::string QsbSimCounterReply(std::uint32_t value, QsbSimCounterStyle style);
std::string QsbSimAcknowledgeReply(const std::string& command);

// Faults a real device shows, played instead of the device's own replies.
struct QsbSimFaults {
    std::optional<std::string> identityReply;      // the whole identity reply
    bool ignoreZeroing = false;                    // "W092!\n" neither answered nor taken
    std::deque<std::string> queuedCounterReplies;  // one-shot, before counterReply
    std::optional<std::string> counterReply;       // every counter reply
};

struct QsbSimDevice {
    std::string serialNumber = "10234";
    std::string deviceCode = "4";
    std::string revision = "12";
    std::int64_t counts = 0;
    std::function<std::int64_t()> countSource;  // overrides counts when set
    std::int64_t offset = 0;                    // the absolute counts at the last zeroing
    QsbSimCounterStyle counterStyle = QsbSimCounterStyle::UPPER_CASE;
    QsbSimFaults faults;

    std::int64_t AbsoluteCounts() const;
    // The device's counter register is 32 bits wide and wraps.
    std::uint32_t CounterValue() const;
    // The reply to one complete command line; nullopt when the device stays
    // silent, as it does for anything it does not know.
    std::optional<std::string> Answer(const std::string& line);
};

}  // namespace pitchwise
