#pragma once
// The records of a ZRA archive, byte for byte. All integers little-endian,
// packed without padding:
//
//   header (24) | stored entry bytes ... | namespace block | index (60 each)
//
// The header points at the index; the namespace block (a u32 count, then
// 40-byte records) ends exactly where the index begins.

#include <cstdint>
#include <string_view>

#include "dat/byte_writer.hpp"
#include "dat/cursor.hpp"
#include "dat/error.hpp"
#include "dat/namespace.hpp"

namespace dat {

inline constexpr std::uint32_t kZraMagic = 0x0041525A;  // "ZRA\0"
inline constexpr std::uint32_t kZraVersion = 2;
inline constexpr std::uint8_t kZraFlagCompressed = 0x01;
inline constexpr std::uint8_t kZraFlagPruned = 0x04;

struct ZraHeader {
    static constexpr std::size_t kSize = 24;

    std::uint32_t magic = kZraMagic;
    std::uint32_t version = kZraVersion;
    std::uint32_t entry_count = 0;
    std::uint64_t index_offset = 0;
    std::uint32_t metadata_size = 0;

    static RecordResult<ZraHeader> decode(ByteCursor& cursor);
    void encode(ByteWriter& out) const;
    friend bool operator==(const ZraHeader&, const ZraHeader&) = default;
};
static_assert(sizeof(ZraHeader::magic) + sizeof(ZraHeader::version) + sizeof(ZraHeader::entry_count) +
                  sizeof(ZraHeader::index_offset) + sizeof(ZraHeader::metadata_size) ==
              ZraHeader::kSize);

// One index record. The namespace bytes are kept as read: only
// namespace_id() validates them.
struct ZraEntry {
    static constexpr std::size_t kSize = 60;

    ResourceNamespace::Raw namespace_bytes{};
    std::uint32_t file_id = 0;
    std::uint32_t type_id = 0;
    std::uint64_t offset = 0;
    std::uint32_t size = 0;       // uncompressed length
    std::uint32_t comp_size = 0;  // stored length at `offset`
    std::uint8_t flags = 0;
    std::uint8_t storage_id = 0;
    std::uint16_t reserved = 0;

    Expected<ResourceNamespace> namespace_id() const;
    bool compressed() const { return (flags & kZraFlagCompressed) != 0; }
    bool pruned() const { return (flags & kZraFlagPruned) != 0; }

    static RecordResult<ZraEntry> decode(ByteCursor& cursor);
    void encode(ByteWriter& out) const;
    friend bool operator==(const ZraEntry&, const ZraEntry&) = default;
};
static_assert(sizeof(ZraEntry::namespace_bytes) + sizeof(ZraEntry::file_id) + sizeof(ZraEntry::type_id) +
                  sizeof(ZraEntry::offset) + sizeof(ZraEntry::size) + sizeof(ZraEntry::comp_size) +
                  sizeof(ZraEntry::flags) + sizeof(ZraEntry::storage_id) + sizeof(ZraEntry::reserved) ==
              ZraEntry::kSize);

// Where one namespace's run of index records starts and how long it is.
struct ZraNamespaceIndexEntry {
    static constexpr std::size_t kSize = 40;

    ResourceNamespace::Raw namespace_bytes{};
    std::uint32_t start_index = 0;
    std::uint32_t entry_count = 0;

    static RecordResult<ZraNamespaceIndexEntry> decode(ByteCursor& cursor);
    void encode(ByteWriter& out) const;
    friend bool operator==(const ZraNamespaceIndexEntry&, const ZraNamespaceIndexEntry&) = default;
};
static_assert(sizeof(ZraNamespaceIndexEntry::namespace_bytes) + sizeof(ZraNamespaceIndexEntry::start_index) +
                  sizeof(ZraNamespaceIndexEntry::entry_count) ==
              ZraNamespaceIndexEntry::kSize);

// The namespace block starts with this count of records.
inline constexpr std::size_t kZraNamespaceCountSize = 4;
// The index's byte length must fit in 32 bits.
inline constexpr std::uint32_t kZraMaxEntries = UINT32_MAX / ZraEntry::kSize;  // 71,582,788
// `size` and `comp_size` are 32-bit: a resource must be shorter than 4 GiB.
inline constexpr std::uint64_t kZraMaxResourceSize = UINT32_MAX;

// The limits a writer must respect so that a reader accepts the archive.
Expected<void> zra_resource_fits(std::string_view namespace_label, std::uint32_t file_id, std::uint64_t size);
Expected<void> zra_entry_count_fits(std::uint64_t count);

}  // namespace dat
