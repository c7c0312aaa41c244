#pragma once
// An LRS compressor, the inverse of dat::decompress_lrs: greedy longest
// matches within the 4095-byte window, lengths 2 to 17, eight tokens per
// flag byte (bit 7 first). Used to build compressed DAT entries.

#include <cstdint>
#include <span>

#include "dat/io.hpp"

namespace support {

struct LrsOptions {
    bool end_marker = true;         // finish with a distance-0 reference
    bool use_back_references = true;  // false: literals only
};

dat::Bytes compress_lrs(std::span<const std::uint8_t> data, LrsOptions options = {});

}  // namespace support
