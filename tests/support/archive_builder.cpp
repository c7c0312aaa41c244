#include "support/archive_builder.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include <fmt/format.h>
#include <zstd.h>

#include "dat/byte_writer.hpp"

namespace support {

using dat::ZraEntry;
using dat::ZraHeader;
using dat::ZraNamespaceIndexEntry;

dat::ResourceNamespace::Raw raw_namespace(std::string_view label) {
    dat::ResourceNamespace::Raw raw{};
    std::memcpy(raw.data(), label.data(), std::min(label.size(), raw.size()));
    return raw;
}

ZraNamespaceIndexEntry span(std::string_view label, std::uint32_t start_index, std::uint32_t entry_count) {
    return {raw_namespace(label), start_index, entry_count};
}

ArchiveBuilder& ArchiveBuilder::add(std::string ns, std::uint32_t file_id, Bytes data, std::uint32_t type_id,
                                    std::uint8_t flags) {
    return add_entry({std::move(ns), file_id, type_id, std::move(data), std::nullopt, flags});
}

ArchiveBuilder& ArchiveBuilder::add_compressed(std::string ns, std::uint32_t file_id, Bytes data,
                                               std::uint32_t type_id) {
    const auto size = static_cast<std::uint32_t>(data.size());
    return add_entry({std::move(ns), file_id, type_id, zstd_compress(data), size, dat::kZraFlagCompressed});
}

ArchiveBuilder& ArchiveBuilder::add_entry(ArchiveEntry entry) {
    entries_.push_back(std::move(entry));
    return *this;
}

ArchiveBuilder& ArchiveBuilder::namespace_records(std::vector<ZraNamespaceIndexEntry> records) {
    records_ = std::move(records);
    return *this;
}

ArchiveBuilder& ArchiveBuilder::trailing(Bytes bytes) {
    trailing_ = std::move(bytes);
    return *this;
}

BuiltArchive ArchiveBuilder::build() const {
    BuiltArchive built;
    Bytes& out = built.bytes;
    out.resize(ZraHeader::kSize);

    std::vector<ZraEntry> index;
    for (const auto& planned : entries_) {
        ZraEntry entry;
        entry.namespace_bytes = raw_namespace(planned.ns);
        entry.file_id = planned.file_id;
        entry.type_id = planned.type_id;
        entry.offset = out.size();
        entry.size = planned.size.value_or(static_cast<std::uint32_t>(planned.stored.size()));
        entry.comp_size = static_cast<std::uint32_t>(planned.stored.size());
        entry.flags = planned.flags;
        out.insert(out.end(), planned.stored.begin(), planned.stored.end());
        index.push_back(entry);
    }
    std::stable_sort(index.begin(), index.end(), [](const ZraEntry& a, const ZraEntry& b) {
        const int c = std::memcmp(a.namespace_bytes.data(), b.namespace_bytes.data(), a.namespace_bytes.size());
        return c != 0 ? c < 0 : a.file_id < b.file_id;
    });

    std::vector<ZraNamespaceIndexEntry> records;
    if (records_) {
        records = *records_;
    } else {
        for (std::uint32_t i = 0; i < index.size(); ++i) {
            if (records.empty() || records.back().namespace_bytes != index[i].namespace_bytes) {
                records.push_back({index[i].namespace_bytes, i, 0});
            }
            ++records.back().entry_count;
        }
    }

    dat::ByteWriter writer(out);
    built.metadata_offset = out.size();
    writer.u32(static_cast<std::uint32_t>(records.size()));
    for (const auto& record : records) record.encode(writer);
    built.index_offset = out.size();
    for (const auto& entry : index) entry.encode(writer);
    writer.bytes(trailing_);

    Bytes header;
    dat::ByteWriter header_writer(header);
    ZraHeader{.entry_count = static_cast<std::uint32_t>(index.size()),
              .index_offset = built.index_offset,
              .metadata_size = static_cast<std::uint32_t>(built.index_offset - built.metadata_offset)}
        .encode(header_writer);
    std::copy(header.begin(), header.end(), out.begin());
    return built;
}

void put_u64(Bytes& bytes, std::uint64_t offset, std::uint64_t value) {
    if (offset + 8 > bytes.size()) throw std::out_of_range("put_u64");
    std::memcpy(bytes.data() + offset, &value, 8);
}

std::uint64_t get_u64(std::span<const std::uint8_t> bytes, std::uint64_t offset) {
    if (offset + 8 > bytes.size()) throw std::out_of_range("get_u64");
    std::uint64_t value;
    std::memcpy(&value, bytes.data() + offset, 8);
    return value;
}

Bytes zstd_compress(std::span<const std::uint8_t> data, const ZstdOptions& options) {
    ZSTD_CCtx* cctx = ZSTD_createCCtx();
    ZSTD_CCtx_setParameter(cctx, ZSTD_c_compressionLevel, options.level);
    ZSTD_CCtx_setParameter(cctx, ZSTD_c_contentSizeFlag, options.content_size ? 1 : 0);
    ZSTD_CCtx_setParameter(cctx, ZSTD_c_checksumFlag, options.checksum ? 1 : 0);
    Bytes frame(ZSTD_compressBound(data.size()));
    const std::size_t n = ZSTD_compress2(cctx, frame.data(), frame.size(), data.data(), data.size());
    ZSTD_freeCCtx(cctx);
    if (ZSTD_isError(n)) throw std::runtime_error(ZSTD_getErrorName(n));
    frame.resize(n);
    return frame;
}

Bytes patterned_bytes(std::size_t size, std::uint32_t seed) {
    Bytes bytes(size);
    std::uint32_t state = seed * 2654435761u + 1;
    for (std::size_t i = 0; i < size; ++i) {
        // Runs of a few symbols: compresses well but not to nothing.
        if (i % 7 == 0) state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<std::uint8_t>('a' + (state >> 16) % 8);
    }
    return bytes;
}

namespace {

constexpr std::uint64_t kEntryCountAt = 8;
constexpr std::uint64_t kIndexOffsetAt = 12;
constexpr std::uint64_t kMetadataSizeAt = 20;
constexpr std::uint64_t kVersionAt = 4;
constexpr std::uint64_t kRecordOffsetAt = 40;  // within an index record

Bytes empty_archive() { return ArchiveBuilder().build().bytes; }

Bytes with_u32(Bytes bytes, std::uint64_t at, std::uint32_t value) {
    put_u32(bytes, at, value);
    return bytes;
}

ArchiveBuilder entries_in(std::string_view ns, std::uint32_t count) {
    ArchiveBuilder builder;
    for (std::uint32_t i = 0; i < count; ++i) builder.add(std::string(ns), i + 1, Bytes{static_cast<std::uint8_t>(i)});
    return builder;
}

std::string corruption(std::string_view text) { return fmt::format("Corruption detected: {}", text); }

void add_open_failures(std::vector<MalformedArchive>& out) {
    out.push_back({"ten_byte_file", Bytes(10, 0), "IO error: failed to fill whole buffer", {}});
    {
        Bytes bytes = with_u32(empty_archive(), kVersionAt, 1);
        bytes[0] = 'Y';
        out.push_back({"bad_magic_and_version", bytes, "Invalid magic for format: ZRA", {}});
    }
    out.push_back({"version_1", with_u32(empty_archive(), kVersionAt, 1), "Unsupported version: 1", {}});
    out.push_back({"index_size_overflow", with_u32(empty_archive(), kEntryCountAt, dat::kZraMaxEntries + 1),
                   corruption("ZRA index size overflow"), {}});
    {
        Bytes bytes = with_u32(empty_archive(), kEntryCountAt, 1);
        put_u64(bytes, kIndexOffsetAt, UINT64_MAX - 10);
        out.push_back({"index_range_overflow", bytes, corruption("ZRA index range overflow"), {}});
    }
    {
        // 24 + 872 + 44 + 60 = 1000 bytes; moving the index one byte on ends it at 1001.
        auto built = ArchiveBuilder().add("eor/portal", 1, Bytes(872, 7)).build();
        put_u64(built.bytes, kIndexOffsetAt, built.index_offset + 1);
        out.push_back({"index_beyond_file", built.bytes,
                       corruption("ZRA index extends beyond file size (1001 > 1000)"), {}});
    }
    out.push_back({"metadata_underflow", with_u32(empty_archive(), kMetadataSizeAt, 29),
                   corruption("ZRA metadata offset underflow"), {}});
    out.push_back({"metadata_in_header", with_u32(empty_archive(), kMetadataSizeAt, 5),
                   corruption("ZRA metadata offset 23 is within header area"), {}});
    out.push_back({"metadata_missing", with_u32(entries_in("eor/portal", 1).build().bytes, kMetadataSizeAt, 0),
                   corruption("ZRA v2 archives with entries must include namespace metadata"), {}});
    out.push_back({"metadata_shorter_than_count", with_u32(empty_archive(), kMetadataSizeAt, 2),
                   "Binary read error: failed to fill whole buffer", {}});
    {
        auto built = entries_in("eor/portal", 1).build();
        put_u32(built.bytes, built.index_offset - 40, 1);
        put_u32(built.bytes, kMetadataSizeAt, 40);
        out.push_back({"metadata_size_mismatch", built.bytes,
                       corruption("ZRA metadata size mismatch: header says 40, metadata contents require 44"), {}});
    }
    out.push_back({"namespace_all_zero", entries_in("eor/portal", 1).namespace_records({span("", 0, 1)}).build().bytes,
                   "Invalid namespace: namespace label cannot be empty", {}});
    out.push_back({"namespace_repeated",
                   entries_in("eor/portal", 2)
                       .namespace_records({span("eor/portal", 0, 1), span("eor/portal", 1, 1)})
                       .build()
                       .bytes,
                   corruption("ZRA namespace metadata is not strictly sorted"), {}});
    out.push_back({"namespace_descending",
                   entries_in("eor/portal", 2)
                       .namespace_records({span("eor/portal", 0, 1), span("eor/cell", 1, 1)})
                       .build()
                       .bytes,
                   corruption("ZRA namespace metadata is not strictly sorted"), {}});
    out.push_back({"span_gap",
                   entries_in("eor/portal", 4)
                       .namespace_records({span("eor/cell", 0, 3), span("eor/portal", 4, 1)})
                       .build()
                       .bytes,
                   corruption("ZRA namespace metadata is not contiguous: expected start 3, found 4"), {}});
    out.push_back({"span_overflow",
                   entries_in("eor/portal", 1)
                       .namespace_records({span("eor/cell", 0, 1), span("eor/portal", 1, UINT32_MAX)})
                       .build()
                       .bytes,
                   corruption("ZRA namespace span overflow"), {}});
    out.push_back({"span_beyond_entries",
                   entries_in("eor/portal", 4).namespace_records({span("eor/portal", 0, 5)}).build().bytes,
                   corruption("ZRA namespace span exceeds total entry count (5 > 4)"), {}});
    out.push_back({"spans_short_of_entries",
                   entries_in("eor/portal", 6).namespace_records({span("eor/portal", 0, 5)}).build().bytes,
                   corruption("ZRA namespace metadata covered 5 entries but header declares 6"), {}});
}

void add_entry_failures(std::vector<MalformedArchive>& out) {
    const std::uint32_t id = 0x2A;
    {
        auto built = ArchiveBuilder().add("eor/portal", id, Bytes(5, 1)).build();
        put_u64(built.bytes, built.record_offset(0) + kRecordOffsetAt, UINT64_MAX - 1);
        out.push_back({"entry_offset_overflow", built.bytes,
                       corruption("Entry offset overflow for 0x0000002A: offset 18446744073709551614 + comp_size 5"),
                       id});
    }
    {
        auto built = ArchiveBuilder().add("eor/portal", id, Bytes(5, 1)).build();
        const std::uint64_t len = built.bytes.size();
        put_u64(built.bytes, built.record_offset(0) + kRecordOffsetAt, len - 4);
        out.push_back({"entry_past_end", built.bytes,
                       corruption(fmt::format("Entry range out of bounds for 0x0000002A: offset {} + comp_size 5 > "
                                              "file_len {}",
                                              len - 4, len)),
                       id});
    }
    {
        const std::string text = "not a zstd frame";
        out.push_back({"frame_invalid",
                       ArchiveBuilder()
                           .add_entry({"eor/portal", id, 0, Bytes(text.begin(), text.end()), 100,
                                       dat::kZraFlagCompressed})
                           .build()
                           .bytes,
                       "Failed to recover compressed file 0000002A", id});
    }
    {
        const Bytes frame = zstd_compress(patterned_bytes(110), {.content_size = false});
        out.push_back({"frame_longer_than_size",
                       ArchiveBuilder().add_entry({"eor/portal", id, 0, frame, 100, dat::kZraFlagCompressed}).build().bytes,
                       "Failed to recover compressed file 0000002A", id});
    }
    {
        const Bytes frame = zstd_compress(patterned_bytes(90));
        out.push_back({"frame_shorter_than_size",
                       ArchiveBuilder().add_entry({"eor/portal", id, 0, frame, 100, dat::kZraFlagCompressed}).build().bytes,
                       corruption("Decompressed size mismatch for 0x0000002A: expected 100, got 90"), id});
    }
}

}  // namespace

std::vector<MalformedArchive> malformed_archives() {
    std::vector<MalformedArchive> out;
    add_open_failures(out);
    add_entry_failures(out);
    return out;
}

}  // namespace support
