// Text decoding and the string readers.
#include <cstdint>
#include <span>

#include "common/utf8.hpp"
#include "dat/records/text.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    // Whatever the input, the decoded text is valid UTF-8.
    if (!common::is_valid_utf8(dat::decode_text(bytes))) __builtin_trap();
    for (std::uint32_t width : {1u, 2u, 4u}) {
        dat::ByteCursor cursor(bytes);
        while (dat::read_pstring(cursor, width)) {
        }
    }
    dat::ByteCursor cursor(bytes);
    while (dat::read_obfuscated_string(cursor)) {
    }
    return 0;
}
