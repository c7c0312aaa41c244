#include "dat/archive/reader.hpp"

#include <algorithm>
#include <array>
#include <cstring>

#include <fmt/format.h>

#include "dat/archive/zstd_frames.hpp"
#include "dat/cursor.hpp"

namespace dat {

namespace {

constexpr std::uint64_t kHeaderSize = ZraHeader::kSize;

int compare_namespace(const ResourceNamespace::Raw& a, const ResourceNamespace::Raw& b) {
    return std::memcmp(a.data(), b.data(), ResourceNamespace::kSize);
}

// Reads and checks the namespace block: valid labels in strictly ascending
// order whose spans cover the index contiguously from record 0.
Expected<std::vector<ZraNamespaceIndexEntry>> read_namespace_spans(const ByteSource& source,
                                                                  std::uint64_t metadata_offset,
                                                                  std::uint32_t metadata_size,
                                                                  std::uint32_t total_entries) {
    std::vector<ZraNamespaceIndexEntry> spans;
    if (metadata_size == 0) return spans;

    // The block lies inside the file (checked by the caller), so its size is
    // bounded by the file length.
    Bytes block(metadata_size);
    if (auto read = source.read_exact_at_compat(block, metadata_offset); !read) return fail(read.error());

    ByteCursor cursor(block);
    auto count = cursor.u32();
    if (!count) return fail(count.error());
    const std::uint64_t required = kZraNamespaceCountSize + std::uint64_t{ZraNamespaceIndexEntry::kSize} * *count;
    if (required != metadata_size) {
        return fail(DatError::corruption(fmt::format(
            "ZRA metadata size mismatch: header says {}, metadata contents require {}", metadata_size, required)));
    }

    spans.reserve(*count);
    std::uint32_t expected_start = 0;
    for (std::uint32_t i = 0; i < *count; ++i) {
        auto span = ZraNamespaceIndexEntry::decode(cursor);
        if (!span) return fail(span.error());
        if (auto ns = ResourceNamespace::from_bytes(span->namespace_bytes); !ns) return fail(ns.error());
        if (i > 0 && compare_namespace(spans.back().namespace_bytes, span->namespace_bytes) >= 0) {
            return fail(DatError::corruption("ZRA namespace metadata is not strictly sorted"));
        }
        if (span->start_index != expected_start) {
            return fail(DatError::corruption(fmt::format(
                "ZRA namespace metadata is not contiguous: expected start {}, found {}", expected_start,
                span->start_index)));
        }
        if (span->entry_count > UINT32_MAX - span->start_index) {
            return fail(DatError::corruption("ZRA namespace span overflow"));
        }
        const std::uint32_t end = span->start_index + span->entry_count;
        if (end > total_entries) {
            return fail(DatError::corruption(
                fmt::format("ZRA namespace span exceeds total entry count ({} > {})", end, total_entries)));
        }
        spans.push_back(*span);
        expected_start = end;
    }
    if (expected_start != total_entries) {
        return fail(DatError::corruption(fmt::format(
            "ZRA namespace metadata covered {} entries but header declares {}", expected_start, total_entries)));
    }
    return spans;
}

}  // namespace

Expected<ZraReader> ZraReader::open(const std::filesystem::path& path) {
    auto file = PositionalFile::open(path);
    if (!file) return fail(DatError::path_error(path, file.error()));
    return from_source(std::make_unique<PositionalFile>(std::move(*file)));
}

Expected<ZraReader> ZraReader::from_source(std::unique_ptr<ByteSource> source) {
    std::array<std::uint8_t, ZraHeader::kSize> raw{};
    if (auto read = source->read_exact_at_compat(raw, 0); !read) return fail(read.error());
    ByteCursor cursor(raw);
    auto header = ZraHeader::decode(cursor);
    if (!header) return fail(header.error());

    if (header->magic != kZraMagic) return fail(DatError::invalid_magic("ZRA"));
    if (header->version != kZraVersion) return fail(DatError::unsupported_version(header->version));

    auto file_len = source->len_compat();
    if (!file_len) return fail(file_len.error());

    if (header->entry_count > kZraMaxEntries) return fail(DatError::corruption("ZRA index size overflow"));
    const std::uint64_t index_size = std::uint64_t{header->entry_count} * ZraEntry::kSize;
    if (header->index_offset > UINT64_MAX - index_size) return fail(DatError::corruption("ZRA index range overflow"));
    const std::uint64_t index_end = header->index_offset + index_size;
    if (index_end > *file_len) {
        return fail(DatError::corruption(
            fmt::format("ZRA index extends beyond file size ({} > {})", index_end, *file_len)));
    }
    if (header->index_offset < header->metadata_size) {
        return fail(DatError::corruption("ZRA metadata offset underflow"));
    }
    const std::uint64_t metadata_offset = header->index_offset - header->metadata_size;
    if (metadata_offset < kHeaderSize) {
        return fail(DatError::corruption(fmt::format("ZRA metadata offset {} is within header area", metadata_offset)));
    }
    if (header->entry_count > 0 && header->metadata_size == 0) {
        return fail(DatError::corruption("ZRA v2 archives with entries must include namespace metadata"));
    }

    auto spans = read_namespace_spans(*source, metadata_offset, header->metadata_size, header->entry_count);
    if (!spans) return fail(spans.error());
    return ZraReader(std::move(source), *header, std::move(*spans), *file_len);
}

Expected<ZraEntry> ZraReader::find_entry(std::uint32_t file_id) const {
    if (namespace_spans_.empty()) return fail(DatError::not_found(file_id));
    if (namespace_spans_.size() > 1) {
        return fail(DatError::other(
            "ZRA v2 archive contains multiple namespaces; explicit namespace lookup is required"));
    }
    auto ns = ResourceNamespace::from_bytes(namespace_spans_.front().namespace_bytes);
    if (!ns) return fail(ns.error());  // cannot happen: checked at open
    return find_entry_with_namespace_id(*ns, file_id);
}

Expected<ZraEntry> ZraReader::find_entry_with_namespace_id(const ResourceNamespace& ns, std::uint32_t file_id) const {
    const auto span = std::lower_bound(
        namespace_spans_.begin(), namespace_spans_.end(), ns.bytes(),
        [](const ZraNamespaceIndexEntry& s, const ResourceNamespace::Raw& key) {
            return compare_namespace(s.namespace_bytes, key) < 0;
        });
    if (span == namespace_spans_.end() || span->namespace_bytes != ns.bytes() || span->entry_count == 0) {
        return fail(DatError::not_found(file_id));
    }
    std::uint32_t lo = span->start_index;
    std::uint32_t hi = span->start_index + span->entry_count - 1;
    while (lo <= hi) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        auto entry = read_entry_at(mid);
        if (!entry) return entry;
        if (entry->file_id == file_id) return entry;
        if (entry->file_id > file_id) {
            if (mid == span->start_index) break;
            hi = mid - 1;
        } else {
            if (mid == UINT32_MAX) break;
            lo = mid + 1;
        }
    }
    return fail(DatError::not_found(file_id));
}

Expected<ZraEntry> ZraReader::read_entry_at(std::uint32_t index) const {
    std::array<std::uint8_t, ZraEntry::kSize> raw{};
    const std::uint64_t offset = header_.index_offset + std::uint64_t{index} * ZraEntry::kSize;
    if (auto read = source_->read_exact_at_compat(raw, offset); !read) return fail(read.error());
    ByteCursor cursor(raw);
    auto entry = ZraEntry::decode(cursor);
    if (!entry) return fail(entry.error());
    return *entry;
}

Expected<std::vector<ZraEntry>> ZraReader::read_entries(std::uint32_t first, std::uint32_t count) const {
    if (first > header_.entry_count || count > header_.entry_count - first) {
        return fail(DatError::other(fmt::format("index records {}..{} lie beyond the {} records of the index", first,
                                                std::uint64_t{first} + count, header_.entry_count)));
    }
    Bytes raw(std::size_t{count} * ZraEntry::kSize);
    const std::uint64_t offset = header_.index_offset + std::uint64_t{first} * ZraEntry::kSize;
    if (auto read = source_->read_exact_at_compat(raw, offset); !read) return fail(read.error());
    ByteCursor cursor(raw);
    std::vector<ZraEntry> entries;
    entries.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        auto entry = ZraEntry::decode(cursor);
        if (!entry) return fail(entry.error());
        entries.push_back(*entry);
    }
    return entries;
}

Expected<Bytes> ZraReader::read_entry_data(const ZraEntry& entry) const {
    if (entry.offset > UINT64_MAX - entry.comp_size) {
        return fail(DatError::corruption(fmt::format("Entry offset overflow for 0x{:08X}: offset {} + comp_size {}",
                                                     entry.file_id, entry.offset, entry.comp_size)));
    }
    if (entry.offset + entry.comp_size > file_len_) {
        return fail(DatError::corruption(
            fmt::format("Entry range out of bounds for 0x{:08X}: offset {} + comp_size {} > file_len {}",
                        entry.file_id, entry.offset, entry.comp_size, file_len_)));
    }
    Bytes stored(entry.comp_size);
    if (auto read = source_->read_exact_at_compat(stored, entry.offset); !read) return fail(read.error());
    if (!entry.compressed()) return stored;

    auto decoded = decompress_zstd(stored, entry.size);
    if (!decoded) return fail(DatError::decompression_failed(entry.file_id));
    if (decoded->size() != entry.size) {
        return fail(DatError::corruption(fmt::format("Decompressed size mismatch for 0x{:08X}: expected {}, got {}",
                                                     entry.file_id, entry.size, decoded->size())));
    }
    return std::move(*decoded);
}

std::optional<Bytes> ZraReader::decompress_zstd(std::span<const std::uint8_t> data, std::uint32_t expected_size) {
    return zstd_decompress_at_most(data, expected_size);
}

Expected<std::optional<ZraEntry>> ZraIndexWalker::next() {
    if (position_ - block_first_ < block_.size()) return block_[position_++ - block_first_];
    const std::uint32_t total = reader_.header().entry_count;
    if (position_ >= total) return std::nullopt;

    if (!one_by_one_) {
        const std::uint32_t count = std::min(records_per_read_, total - position_);
        if (auto block = reader_.read_entries(position_, count)) {
            block_ = std::move(*block);
            block_first_ = position_;
            return block_[position_++ - block_first_];
        }
        // Find the record that fails by reading one at a time from here on.
        one_by_one_ = true;
        block_.clear();
    }
    auto entry = reader_.read_entry_at(position_);
    if (!entry) return fail(entry.error());
    ++position_;
    return *entry;
}

}  // namespace dat
