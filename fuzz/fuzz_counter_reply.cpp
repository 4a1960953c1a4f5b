// Any counter reply: the parser either refuses it or returns the value of
// the eight hexadecimal digits at offsets 5 to 12, read as a signed 32-bit
// count. It refuses exactly the replies shorter than 13 bytes and those with
// anything but 0-9, A-F or a-f at those offsets, since any such reply would
// otherwise become a plausible but wrong length in the mapping table.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz_check.h"
#include "fuzz_reply.h"
#include "qsb.h"

namespace pitchwise {

namespace {

// Worked out apart from the parser, from the digit characters themselves.
bool ExpectedCount(const FuzzReply& reply, std::int64_t& count) {
    if (reply.length < 13) return false;
    static const char digits[] = "0123456789ABCDEF";
    std::int64_t value = 0;
    for (std::size_t k = 5; k <= 12; ++k) {
        char c = reply.bytes[k];
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
        const char* found = c == '\0' ? nullptr : std::strchr(digits, c);
        if (found == nullptr) return false;
        value = value * 16 + (found - digits);
    }
    count = value >= 0x80000000LL ? value - 0x100000000LL : value;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReply reply;
    if (!MakeFuzzReply(data, size, reply)) return -1;  // not a possible read

    std::int32_t count = 0x7EADBEEF;
    const bool read = ParseCounterReply(reply.bytes.get(), reply.length, count);
    std::int64_t expected = 0;
    FUZZ_CHECK(read == ExpectedCount(reply, expected));
    if (!read) return 0;
    FUZZ_CHECK(count == expected);

    // The length shown and written is the count over the scale, never
    // anything a float cannot hold.
    const float position = CountsToPosition(count);
    FUZZ_CHECK(position == position);
    FUZZ_CHECK(position > -214012.0f && position < 214012.0f);
    return 0;
}

}  // namespace pitchwise
