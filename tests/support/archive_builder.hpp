#pragma once
// Builds archive bytes in memory: well-formed archives with any entries,
// namespaces, flags and stored bytes, plus the damaged variants that each
// make the reader fail in one particular way.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dat/archive/format.hpp"
#include "dat/io.hpp"
#include "support/dat_builder.hpp"

namespace support {

using dat::Bytes;

// The 32 namespace bytes of `label`, copied as they are (no validation), so
// that invalid labels can be stored too.
dat::ResourceNamespace::Raw raw_namespace(std::string_view label);
dat::ZraNamespaceIndexEntry span(std::string_view label, std::uint32_t start_index, std::uint32_t entry_count);

// One entry: `stored` lands in the data region, `size` defaults to its length.
struct ArchiveEntry {
    std::string ns = "eor/portal";
    std::uint32_t file_id = 0;
    std::uint32_t type_id = 0;
    Bytes stored;
    std::optional<std::uint32_t> size;
    std::uint8_t flags = 0;
};

struct BuiltArchive {
    Bytes bytes;
    std::uint64_t metadata_offset = 0;
    std::uint64_t index_offset = 0;
    std::uint64_t record_offset(std::uint32_t index) const { return index_offset + index * dat::ZraEntry::kSize; }
};

// Lays out an archive the way the writers do: header, stored bytes in the
// order added, namespace block, index sorted by (namespace bytes, file id).
class ArchiveBuilder {
public:
    ArchiveBuilder& add(std::string ns, std::uint32_t file_id, Bytes data, std::uint32_t type_id = 0,
                        std::uint8_t flags = 0);
    // Stores `data` as a zstd frame (level 3, with content size) and sets the compressed flag.
    ArchiveBuilder& add_compressed(std::string ns, std::uint32_t file_id, Bytes data, std::uint32_t type_id = 0);
    ArchiveBuilder& add_entry(ArchiveEntry entry);
    // Replaces the namespace records derived from the entries.
    ArchiveBuilder& namespace_records(std::vector<dat::ZraNamespaceIndexEntry> records);
    // Bytes after the index, which readers ignore.
    ArchiveBuilder& trailing(Bytes bytes);

    BuiltArchive build() const;

private:
    std::vector<ArchiveEntry> entries_;
    std::optional<std::vector<dat::ZraNamespaceIndexEntry>> records_;
    Bytes trailing_;
};

// 64-bit patches; the 32-bit ones (put_u32, get_u32) come with dat_builder.hpp.
void put_u64(Bytes& bytes, std::uint64_t offset, std::uint64_t value);
std::uint64_t get_u64(std::span<const std::uint8_t> bytes, std::uint64_t offset);

struct ZstdOptions {
    int level = 3;
    bool content_size = true;
    bool checksum = false;
};
Bytes zstd_compress(std::span<const std::uint8_t> data, const ZstdOptions& options = {});
Bytes patterned_bytes(std::size_t size, std::uint32_t seed = 1);  // compressible, not trivial

// An archive that the reader refuses, with the full message of the error.
// `failing_entry` names the file id whose data read fails; without it the
// open itself fails.
struct MalformedArchive {
    std::string name;
    Bytes bytes;
    std::string message;
    std::optional<std::uint32_t> failing_entry;
};
// One variant per way the reader can refuse an archive or an entry.
std::vector<MalformedArchive> malformed_archives();

}  // namespace support
