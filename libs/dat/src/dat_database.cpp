#include "dat/dat_database.hpp"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include <fmt/format.h>

#include "dat/lrs.hpp"
#include "directory_walk.hpp"

namespace dat {
namespace {

constexpr std::uint32_t kLinkSize = 4;

std::uint32_t load_u32(const std::uint8_t* bytes) {
    std::uint32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// The header fields present in the file decide which field a short file
// fails on, so only the bytes that exist are read. A file whose length says
// it is too short is still asked for the whole header first: devices and
// pipes report no length, and either deliver the bytes or fail to seek.
Expected<DatHeader> read_header(const ByteSource& source, std::uint64_t length) {
    std::array<std::uint8_t, DatHeader::kSize> raw{};
    const std::uint64_t available =
        length > DatHeader::kOffset ? std::min<std::uint64_t>(DatHeader::kSize, length - DatHeader::kOffset) : 0;
    std::span<std::uint8_t> present(raw.data(), static_cast<std::size_t>(available));
    bool read_whole = false;
    if (available < DatHeader::kSize) {
        auto whole = source.read_exact_at_compat(raw, DatHeader::kOffset);
        if (!whole && whole.error().kind() == IoError::Kind::Os) return fail(whole.error());
        read_whole = whole.has_value();
        if (read_whole) present = raw;
    }
    if (!read_whole) {
        if (auto read = source.read_exact_at_compat(present, DatHeader::kOffset); !read) {
            return fail(RecordError::from_io(read.error()).within("magic", "DatHeader"));
        }
    }
    ByteCursor cursor(present);
    auto header = DatHeader::decode(cursor);
    if (!header) return fail(std::move(header.error()));
    return *header;
}

}  // namespace

Expected<DatDatabase> DatDatabase::new_(const std::filesystem::path& path) {
    auto file = PositionalFile::open(path);
    if (!file) return fail(DatError::path_error(path, file.error()));
    return from_source(std::make_unique<PositionalFile>(std::move(*file)));
}

Expected<DatDatabase> DatDatabase::from_source(std::unique_ptr<ByteSource> source) {
    auto length = source->len_compat();
    if (!length) return fail(length.error());
    auto header = read_header(*source, *length);
    if (!header) return fail(std::move(header.error()));
    DatDatabase database(std::move(source), *length, *header);
    if (auto loaded = database.read_directory(); !loaded) return fail(std::move(loaded.error()));
    return database;
}

Expected<Bytes> DatDatabase::read_file_data(std::uint32_t offset, std::uint32_t size) const {
    if (size == 0) return Bytes{};
    if (header_.block_size <= kLinkSize) {
        return fail(DatError::corruption(
            fmt::format("block size {} leaves no room for data after the link word", header_.block_size)));
    }
    // Every byte of a chain comes from a distinct place in the file, after
    // at least one link word: a larger size cannot be satisfied.
    if (std::uint64_t{size} + kLinkSize > length_) return fail(IoError::unexpected_eof());

    const std::uint64_t payload = header_.block_size - kLinkSize;
    Bytes result(size);
    // One read per block: its link word and the payload bytes still needed.
    Bytes block(static_cast<std::size_t>(kLinkSize + std::min<std::uint64_t>(payload, size)));
    std::uint64_t position = 0;
    std::uint64_t current = offset;
    for (;;) {
        const std::uint64_t chunk = std::min<std::uint64_t>(payload, size - position);
        const std::span wanted(block.data(), static_cast<std::size_t>(kLinkSize + chunk));
        if (auto read = source_->read_exact_at_compat(wanted, current); !read) return fail(read.error());
        const std::uint32_t link = load_u32(block.data());
        std::memcpy(result.data() + position, block.data() + kLinkSize, static_cast<std::size_t>(chunk));
        position += chunk;
        if (position == size) break;
        if (link == 0) {
            // The last block: the rest follows contiguously, past the block's end.
            const std::span rest(result.data() + position, static_cast<std::size_t>(size - position));
            if (auto read = source_->read_exact_at_compat(rest, current + kLinkSize + chunk); !read) {
                return fail(read.error());
            }
            break;
        }
        current = link;
    }
    return result;
}

Expected<DatDatabase::NodeLinks> DatDatabase::read_node(std::uint32_t offset, DirectoryWalk& walk) const {
    auto bytes = read_file_data(offset, kNodeSize);
    if (!bytes) return fail(std::move(bytes.error()));
    ByteCursor cursor(*bytes);
    NodeLinks links;
    auto branches = read_field("DatDirectoryNode", "branches", [&] { return cursor.bytes(sizeof links.branches); });
    if (!branches) return fail(std::move(branches.error()));
    std::memcpy(links.branches.data(), branches->data(), sizeof links.branches);
    auto count = read_field("DatDirectoryNode", "entry_count", [&] { return cursor.u32(); });
    if (!count) return fail(std::move(count.error()));
    links.entry_count = *count;
    // A count above the node's capacity runs out of node bytes at the first
    // entry too many, which fails like any short record.
    for (std::uint32_t i = 0; i < links.entry_count; ++i) {
        auto entry = DatFileEntry::decode(cursor);
        if (!entry) return fail(std::move(entry.error()));
        walk.add_entry(*entry);
    }
    return links;
}

Expected<void> DatDatabase::read_directory() {
    // Depth-first, pre-order, children in slot order, with an explicit
    // stack; a node reached twice means the tree is corrupt (a cycle would
    // otherwise never end, and shared subtrees could multiply the work).
    struct Pending {
        std::uint32_t offset;
        std::int32_t parent;
        std::size_t slot;
    };
    DirectoryWalk walk;
    std::vector<Pending> pending;
    std::unordered_set<std::uint32_t> visited;
    if (header_.root_offset != 0) pending.push_back({header_.root_offset, DirectoryWalk::kRoot, 0});
    while (!pending.empty()) {
        const Pending next = pending.back();
        pending.pop_back();
        if (!visited.insert(next.offset).second) {
            return fail(DatError::corruption(
                fmt::format("directory node at offset 0x{:08X} is reached more than once", next.offset)));
        }
        const std::int32_t node = walk.enter_node(next.parent, next.slot);
        auto links = read_node(next.offset, walk);
        if (!links) return fail(std::move(links.error()));
        if (links->is_leaf()) continue;
        const std::size_t last_slot = std::min<std::size_t>(links->entry_count, kNodeBranches - 1);
        for (std::size_t k = last_slot + 1; k-- > 0;) {
            if (links->branches[k] != 0) pending.push_back({links->branches[k], node, k});
        }
    }
    files_ = std::move(walk).finish();
    return {};
}

Expected<Bytes> DatDatabase::get_file(std::uint32_t id) const {
    const DatFileEntry* entry = files_.find(id);
    if (!entry) return fail(DatError::not_found(id));
    auto stored = read_file_data(entry->offset, entry->size);
    if (!stored) return fail(std::move(stored.error()));
    if (entry->is_lrs_compressed()) return decompress_lrs(*stored);
    return stored;
}

}  // namespace dat
