#pragma once
// An open ZRA archive. Opening validates the header and the namespace block
// and keeps both in memory; index records and entry bytes are read from the
// source on each request, always at an absolute offset.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "dat/archive/format.hpp"
#include "dat/error.hpp"
#include "dat/io.hpp"
#include "dat/namespace.hpp"

namespace dat {

class ZraReader {
public:
    // PathError when the file cannot be opened; otherwise as from_source.
    static Expected<ZraReader> open(const std::filesystem::path& path);
    static Expected<ZraReader> from_source(std::unique_ptr<ByteSource> source);

    const ZraHeader& header() const { return header_; }
    const std::vector<ZraNamespaceIndexEntry>& namespace_spans() const { return namespace_spans_; }
    std::uint64_t file_len() const { return file_len_; }

    // The only lookup for an archive of one namespace; an archive of several
    // needs find_entry_with_namespace_id.
    Expected<ZraEntry> find_entry(std::uint32_t file_id) const;
    // Binary search of the namespace's span, one index record per step.
    Expected<ZraEntry> find_entry_with_namespace_id(const ResourceNamespace& ns, std::uint32_t file_id) const;

    // The index record at `index` (below header().entry_count), unvalidated.
    Expected<ZraEntry> read_entry_at(std::uint32_t index) const;
    // `count` consecutive index records from `first` in one read; a range
    // beyond the index fails with an Other error.
    Expected<std::vector<ZraEntry>> read_entries(std::uint32_t first, std::uint32_t count) const;

    // The resource's bytes: stored bytes as they are, or the decoded frame
    // of a compressed entry, which must decode to exactly `size` bytes.
    Expected<Bytes> read_entry_data(const ZraEntry& entry) const;

    // Decodes zstd frames into at most `expected_size` bytes, allocating no
    // more than the frames can produce; nothing on any zstd error.
    static std::optional<Bytes> decompress_zstd(std::span<const std::uint8_t> data, std::uint32_t expected_size);

private:
    ZraReader(std::unique_ptr<ByteSource> source, ZraHeader header, std::vector<ZraNamespaceIndexEntry> spans,
              std::uint64_t file_len)
        : source_(std::move(source)), header_(header), namespace_spans_(std::move(spans)), file_len_(file_len) {}

    std::unique_ptr<ByteSource> source_;
    ZraHeader header_;
    std::vector<ZraNamespaceIndexEntry> namespace_spans_;
    std::uint64_t file_len_ = 0;
};

// Walks the index in order, reading many records per read. It yields the
// same records and the same error, at the same position, as reading them
// one by one with read_entry_at.
class ZraIndexWalker {
public:
    static constexpr std::uint32_t kRecordsPerRead = (64 * 1024) / ZraEntry::kSize;  // 1092

    explicit ZraIndexWalker(const ZraReader& reader, std::uint32_t records_per_read = kRecordsPerRead)
        : reader_(reader), records_per_read_(records_per_read == 0 ? 1 : records_per_read) {}

    // The next record, nothing after the last, or the error of reading it.
    Expected<std::optional<ZraEntry>> next();
    // Position of the record that next() returns.
    std::uint32_t position() const { return position_; }

private:
    const ZraReader& reader_;
    std::uint32_t records_per_read_;
    std::uint32_t position_ = 0;
    std::vector<ZraEntry> block_;   // the records from block_first_ on
    std::uint32_t block_first_ = 0;
    bool one_by_one_ = false;  // after a failed block read: find the failing record
};

}  // namespace dat
