#pragma once
// LRS decompression: the byte-oriented LZ scheme of compressed DAT entries.
// A u32 declared size, then groups of one flag byte (bit 7 first) and up to
// eight tokens: a clear bit is one literal byte, a set bit a two-byte
// back-reference (12-bit distance, length 2 to 17; distance 0 ends the data).

#include <span>

#include "dat/io.hpp"

namespace dat {

// Never fails: a malformed stream yields the output produced before it went
// wrong. Input shorter than the size field is returned unchanged.
Bytes decompress_lrs(std::span<const std::uint8_t> input);

}  // namespace dat
