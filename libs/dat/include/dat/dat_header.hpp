#pragma once
// The DAT header: 80 bytes at file offset 0x140. No field is validated;
// the block size and the root offset are the ones the reader relies on.

#include <array>
#include <cstdint>

#include "dat/cursor.hpp"

namespace dat {

struct DatHeader {
    static constexpr std::uint64_t kOffset = 0x140;
    static constexpr std::size_t kSize = 80;

    std::uint32_t magic = 0;
    std::uint32_t block_size = 0;  // bytes per block, its 4-byte link word included
    std::uint32_t file_size = 0;
    std::uint32_t dataset = 0;
    std::uint32_t subset = 0;
    std::uint32_t free_head = 0;
    std::uint32_t free_tail = 0;
    std::uint32_t free_count = 0;
    std::uint32_t root_offset = 0;  // first block of the directory's root node; 0: empty
    std::uint32_t new_lru = 0;
    std::uint32_t old_lru = 0;
    std::uint32_t use_lru = 0;
    std::uint32_t master_map_id = 0;
    std::uint32_t engine_version = 0;
    std::uint32_t game_version = 0;
    std::array<std::uint8_t, 16> version_string{};  // raw, not decoded
    std::uint32_t version_minor = 0;

    // Reads the fields in order; a short read names the field.
    static RecordResult<DatHeader> decode(ByteCursor& cursor);
};

static_assert(15 * 4 + 16 + 4 == DatHeader::kSize);

}  // namespace dat
