// A reply as the QSB protocol hands it to its parsers: the bytes read, then
// a zero byte, in a buffer with no spare room, so the address sanitizer sees
// any access beyond what a real read could have filled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "qsb.h"

namespace pitchwise {

struct FuzzReply {
    std::unique_ptr<char[]> bytes;
    std::size_t length;
};

// False when the input is longer than any read can return.
inline bool MakeFuzzReply(const std::uint8_t* data, std::size_t size, FuzzReply& reply) {
    if (size > QSB_REPLY_MAX) return false;
    reply.bytes.reset(new char[size + 1]);
    if (size > 0) std::memcpy(reply.bytes.get(), data, size);
    reply.bytes[size] = '\0';
    reply.length = size;
    return true;
}

}  // namespace pitchwise
