// Any identity reply: the parser takes a QSB exactly when 12 or more bytes
// arrived, and every field is the zero-terminated run of reply bytes at its
// offsets, stopped by a zero byte or the end of the reply.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz_check.h"
#include "fuzz_reply.h"
#include "qsb.h"

namespace pitchwise {

namespace {

void CheckField(const char* field, std::size_t fieldSize, const FuzzReply& reply,
                std::size_t offset, std::size_t width) {
    std::size_t expected = 0;
    while (expected < width && offset + expected < reply.length &&
           reply.bytes[offset + expected] != '\0') {
        ++expected;
    }
    FUZZ_CHECK(std::memchr(field, '\0', fieldSize) != nullptr);
    FUZZ_CHECK(std::strlen(field) == expected);
    FUZZ_CHECK(std::memcmp(field, reply.bytes.get() + offset, expected) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReply reply;
    if (!MakeFuzzReply(data, size, reply)) return -1;  // not a possible read

    QsbIdentity identity;
    std::memset(&identity, 0x5A, sizeof identity);  // no zero byte to lean on
    const bool found = ParseIdentityReply(reply.bytes.get(), reply.length, identity);
    FUZZ_CHECK(found == (reply.length >= QSB_IDENTITY_MIN));
    if (!found) return 0;

    CheckField(identity.serialNumber, sizeof identity.serialNumber, reply, 5, 5);
    CheckField(identity.device, sizeof identity.device, reply, 10, 1);
    CheckField(identity.revision, sizeof identity.revision, reply, 11, 2);
    return 0;
}

}  // namespace pitchwise
