#pragma once
// One directory entry of a DAT file (24 bytes on disk).

#include <cstdint>

#include "dat/cursor.hpp"
#include "dat/file_type.hpp"

namespace dat {

struct DatFileEntry {
    static constexpr std::size_t kSize = 24;
    static constexpr std::uint32_t kLrsCompressed = 0x1;  // bit of bit_flags

    std::uint32_t bit_flags = 0;
    std::uint32_t id = 0;
    std::uint32_t offset = 0;  // first block of the file's chain
    std::uint32_t size = 0;    // stored bytes (compressed size when compressed)
    std::uint32_t timestamp = 0;
    std::uint32_t version = 0;

    bool is_lrs_compressed() const { return (bit_flags & kLrsCompressed) != 0; }
    DatFileType file_type_in_dat(DatasetKind dataset) const { return dat::file_type_in_dat(id, dataset); }

    static RecordResult<DatFileEntry> decode(ByteCursor& cursor);

    friend bool operator==(const DatFileEntry&, const DatFileEntry&) = default;
};

static_assert(6 * 4 == DatFileEntry::kSize);

}  // namespace dat
