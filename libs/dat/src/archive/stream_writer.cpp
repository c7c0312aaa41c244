#include <algorithm>
#include <cstring>

#include <fmt/format.h>

#include "dat/archive/warning_hook.hpp"
#include "dat/archive/writer.hpp"
#include "dat/archive/zstd_frames.hpp"
#include "dat/byte_writer.hpp"

namespace dat {

namespace {

// Collects fixed-size records and writes them in 8 KiB pieces. A failed
// write while records are added is a record-writing error; the final flush
// reports a plain I/O error.
class RecordBuffer {
public:
    static constexpr std::size_t kCapacity = 8192;

    explicit RecordBuffer(OutputFile& file) : file_(file) { buffer_.reserve(2 * kCapacity); }

    template <class Record>
    Expected<void> put(const Record& record) {
        ByteWriter out(buffer_);
        record.encode(out);
        if (buffer_.size() < kCapacity) return {};
        // A record never exceeds the capacity: write one full piece, keep the rest.
        auto written = file_.write_all(std::span(buffer_).first(kCapacity));
        if (!written) return fail(RecordError::from_io(written.error()));
        buffer_.erase(buffer_.begin(), buffer_.begin() + kCapacity);
        return {};
    }

    Expected<void> put_u32(std::uint32_t value) {
        struct Count {
            std::uint32_t value;
            void encode(ByteWriter& out) const { out.u32(value); }
        };
        return put(Count{value});
    }

    Expected<void> flush() {
        if (auto written = drain(); !written) return fail(written.error());
        return {};
    }

private:
    IoResult<void> drain() {
        auto written = file_.write_all(buffer_);
        buffer_.clear();
        return written;
    }

    OutputFile& file_;
    Bytes buffer_;
};

Bytes encode_header(const ZraHeader& header) {
    Bytes raw;
    ByteWriter out(raw);
    header.encode(out);
    return raw;
}

Expected<void> write_header(OutputFile& file, const ZraHeader& header) {
    if (auto written = file.write_all(encode_header(header)); !written) {
        return fail(RecordError::from_io(written.error()));
    }
    return {};
}

// One namespace record per run of equal namespaces in the sorted entries.
std::vector<ZraNamespaceIndexEntry> namespace_runs(const std::vector<ZraEntry>& sorted) {
    std::vector<ZraNamespaceIndexEntry> runs;
    for (std::uint32_t i = 0; i < sorted.size(); ++i) {
        if (runs.empty() || runs.back().namespace_bytes != sorted[i].namespace_bytes) {
            runs.push_back({sorted[i].namespace_bytes, i, 0});
        }
        ++runs.back().entry_count;
    }
    return runs;
}

bool entry_order(const ZraEntry& a, const ZraEntry& b) {
    if (const int c = std::memcmp(a.namespace_bytes.data(), b.namespace_bytes.data(), ResourceNamespace::kSize); c != 0) {
        return c < 0;
    }
    return a.file_id < b.file_id;
}

}  // namespace

Expected<ZraStreamWriter> ZraStreamWriter::create(const std::filesystem::path& path, bool compress) {
    auto file = OutputFile::create(path);
    if (!file) return fail(file.error());
    return create(std::move(*file), compress);
}

Expected<ZraStreamWriter> ZraStreamWriter::create(OutputFile file, bool compress) {
    const ZraHeader placeholder{.magic = kZraMagic, .version = kZraVersion, .entry_count = 0, .index_offset = 0,
                                .metadata_size = 0};
    if (auto written = write_header(file, placeholder); !written) return fail(written.error());
    return ZraStreamWriter(std::move(file), compress);
}

Expected<void> ZraStreamWriter::add(std::string_view ns, std::uint32_t file_id, std::uint32_t type_id, Bytes data) {
    return write_entry(ns, file_id, type_id, std::move(data), false);
}

Expected<void> ZraStreamWriter::add_pruned(std::string_view ns, std::uint32_t file_id, std::uint32_t type_id,
                                           Bytes data) {
    return write_entry(ns, file_id, type_id, std::move(data), true);
}

Expected<void> ZraStreamWriter::write_entry(std::string_view ns, std::uint32_t file_id, std::uint32_t type_id,
                                            Bytes data, bool pruned) {
    auto resource_ns = ResourceNamespace::new_(ns);
    if (!resource_ns) return fail(resource_ns.error());
    if (!seen_.insert(ZraKey{*resource_ns, file_id}).second) {
        return fail(DatError::duplicate_namespaced_id(std::string(ns), file_id));
    }
    if (auto fits = zra_resource_fits(ns, file_id, data.size()); !fits) return fits;
    if (auto fits = zra_entry_count_fits(entries_.size() + 1); !fits) return fits;

    std::uint8_t flags = pruned ? kZraFlagPruned : 0;
    const auto size = static_cast<std::uint32_t>(data.size());
    Bytes stored = std::move(data);
    if (compress_) {
        auto frame = zstd_compress_if_smaller(stored);
        if (!frame) {
            emit_zra_warning(fmt::format("Compression failed for {}:0x{:08X}: {}", ns, file_id, frame.error()));
        } else if (*frame) {
            stored = std::move(**frame);
            flags |= kZraFlagCompressed;
        }
    }

    auto offset = file_.position();
    if (!offset) return fail(offset.error());
    if (auto written = file_.write_all(stored); !written) return fail(written.error());

    ZraEntry entry;
    entry.namespace_bytes = resource_ns->bytes();
    entry.file_id = file_id;
    entry.type_id = type_id;
    entry.offset = *offset;
    entry.size = size;
    entry.comp_size = static_cast<std::uint32_t>(stored.size());
    entry.flags = flags;
    entries_.push_back(entry);
    return {};
}

Expected<void> ZraStreamWriter::finish() && {
    std::stable_sort(entries_.begin(), entries_.end(), entry_order);
    const auto runs = namespace_runs(entries_);

    auto metadata_offset = file_.position();
    if (!metadata_offset) return fail(metadata_offset.error());
    {
        RecordBuffer block(file_);
        if (auto put = block.put_u32(static_cast<std::uint32_t>(runs.size())); !put) return put;
        for (const auto& run : runs) {
            if (auto put = block.put(run); !put) return put;
        }
        if (auto flushed = block.flush(); !flushed) return flushed;
    }

    auto index_offset = file_.position();
    if (!index_offset) return fail(index_offset.error());
    {
        RecordBuffer index(file_);
        for (const auto& entry : entries_) {
            if (auto put = index.put(entry); !put) return put;
        }
        if (auto flushed = index.flush(); !flushed) return flushed;
    }

    if (auto sought = file_.seek_to(0); !sought) return fail(sought.error());
    const ZraHeader header{.magic = kZraMagic,
                           .version = kZraVersion,
                           .entry_count = static_cast<std::uint32_t>(entries_.size()),
                           .index_offset = *index_offset,
                           .metadata_size = static_cast<std::uint32_t>(*index_offset - *metadata_offset)};
    if (auto written = write_header(file_, header); !written) return written;
    if (auto closed = file_.close(); !closed) return fail(closed.error());
    return {};
}

}  // namespace dat
