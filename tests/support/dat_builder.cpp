#include "support/dat_builder.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "support/lrs_compressor.hpp"
#include "support/temp_dir.hpp"

namespace support {
namespace {

constexpr std::uint32_t kLinkSize = 4;
constexpr std::uint32_t kHeaderEnd = dat::DatHeader::kOffset + dat::DatHeader::kSize;
constexpr std::uint8_t kGarbage = 0xA5;
constexpr std::uint32_t kGarbageLink = 0xDEADBEEF;

std::uint64_t first_block_offset(std::uint32_t block_size) {
    if (block_size == 0) return kHeaderEnd;
    return (std::uint64_t{kHeaderEnd} + block_size - 1) / block_size * block_size;
}

}  // namespace

void put_u32(dat::Bytes& bytes, std::size_t offset, std::uint32_t value) {
    if (bytes.size() < offset + 4) bytes.resize(offset + 4);
    std::memcpy(bytes.data() + offset, &value, 4);
}

void put_u16(dat::Bytes& bytes, std::size_t offset, std::uint16_t value) {
    if (bytes.size() < offset + 2) bytes.resize(offset + 2);
    std::memcpy(bytes.data() + offset, &value, 2);
}

std::uint32_t get_u32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    std::uint32_t value;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

void append_u32(dat::Bytes& bytes, std::uint32_t value) { put_u32(bytes, bytes.size(), value); }
void append_u16(dat::Bytes& bytes, std::uint16_t value) { put_u16(bytes, bytes.size(), value); }

std::array<std::uint8_t, dat::DatHeader::kSize> encode_header(const dat::DatHeader& h) {
    dat::Bytes out;
    for (std::uint32_t value : {h.magic, h.block_size, h.file_size, h.dataset, h.subset, h.free_head, h.free_tail,
                                h.free_count, h.root_offset, h.new_lru, h.old_lru, h.use_lru, h.master_map_id,
                                h.engine_version, h.game_version}) {
        append_u32(out, value);
    }
    out.insert(out.end(), h.version_string.begin(), h.version_string.end());
    append_u32(out, h.version_minor);
    std::array<std::uint8_t, dat::DatHeader::kSize> raw{};
    std::copy(out.begin(), out.end(), raw.begin());
    return raw;
}

dat::DatHeader retail_header(std::uint32_t block_size, std::uint32_t dataset) {
    dat::DatHeader header;
    header.magic = 0x00005442;
    header.block_size = block_size;
    header.dataset = dataset;
    return header;
}

dat::Bytes DirectoryNode::encode() const {
    dat::Bytes out;
    for (std::uint32_t branch : branches) append_u32(out, branch);
    append_u32(out, entry_count.value_or(static_cast<std::uint32_t>(entries.size())));
    for (std::size_t i = 0; i < std::min(entries.size(), dat::DatDatabase::kNodeEntries); ++i) {
        const auto& e = entries[i];
        for (std::uint32_t value : {e.bit_flags, e.id, e.offset, e.size, e.timestamp, e.version}) append_u32(out, value);
    }
    out.resize(dat::DatDatabase::kNodeSize, 0);
    return out;
}

DatImage::DatImage(std::uint32_t block_size) : DatImage(retail_header(block_size, 1)) {}

DatImage::DatImage(const dat::DatHeader& h) : header(h), image_(first_block_offset(h.block_size), 0) {}

std::uint32_t DatImage::allocate_block() {
    const std::uint64_t at = image_.size();
    if (at + block_size() > UINT32_MAX) throw std::length_error("DAT image outgrows 32-bit offsets");
    image_.resize(at + block_size(), 0);
    return static_cast<std::uint32_t>(at);
}

void DatImage::write_block(std::uint32_t at, std::uint32_t link, std::span<const std::uint8_t> payload) {
    put_u32(image_, at, link);
    std::copy(payload.begin(), payload.end(), image_.begin() + at + kLinkSize);
    used_end_ = std::max<std::uint64_t>(used_end_, std::uint64_t{at} + kLinkSize + payload.size());
}

std::uint32_t DatImage::store_chain(std::span<const std::uint8_t> payload, BlockLayout layout) {
    if (block_size() <= kLinkSize) throw std::invalid_argument("block size leaves no payload");
    const std::size_t per_block = block_size() - kLinkSize;
    const std::size_t count = std::max<std::size_t>(1, (payload.size() + per_block - 1) / per_block);

    std::vector<std::uint32_t> blocks(count);
    if (layout == BlockLayout::Contiguous) {
        for (auto& block : blocks) block = allocate_block();
    } else {
        // Reverse order, a garbage block in front of each: links go backwards
        // and never to the next block.
        std::vector<std::uint32_t> slots(2 * count);
        for (auto& slot : slots) slot = allocate_block();
        for (std::size_t j = 0; j < count; ++j) {
            const std::uint32_t gap = slots[2 * (count - 1 - j)];
            blocks[j] = slots[2 * (count - 1 - j) + 1];
            std::fill_n(image_.begin() + gap, block_size(), kGarbage);
            put_u32(image_, gap, kGarbageLink);
        }
    }
    for (std::size_t j = 0; j < count; ++j) {
        const std::uint32_t link = j + 1 < count ? blocks[j + 1] : 0;
        const std::size_t from = std::min(payload.size(), j * per_block);
        const std::size_t length = std::min(per_block, payload.size() - from);
        write_block(blocks[j], link, payload.subspan(from, length));
    }
    return blocks.front();
}

std::uint32_t DatImage::store_node(const DirectoryNode& node, BlockLayout layout) {
    return store_chain(node.encode(), layout);
}

std::uint32_t DatImage::append_raw(std::span<const std::uint8_t> bytes) {
    const std::uint64_t at = image_.size();
    if (at + bytes.size() > UINT32_MAX) throw std::length_error("DAT image outgrows 32-bit offsets");
    image_.insert(image_.end(), bytes.begin(), bytes.end());
    used_end_ = std::max<std::uint64_t>(used_end_, image_.size());
    if (block_size() > 0 && image_.size() % block_size() != 0) {
        image_.resize((image_.size() / block_size() + 1) * block_size(), 0);
    }
    return static_cast<std::uint32_t>(at);
}

void DatImage::patch_u32(std::uint64_t offset, std::uint32_t value) {
    put_u32(image_, static_cast<std::size_t>(offset), value);
    used_end_ = std::max<std::uint64_t>(used_end_, offset + 4);
}

dat::Bytes DatImage::bytes(bool trimmed) const {
    dat::Bytes out = image_;
    const auto raw = encode_header(header);
    std::copy(raw.begin(), raw.end(), out.begin() + dat::DatHeader::kOffset);
    if (trimmed) out.resize(std::max<std::uint64_t>(used_end_, kHeaderEnd));
    return out;
}

void DatImage::write(const std::filesystem::path& path, bool trimmed) const { write_bytes(path, bytes(trimmed)); }

DatBuilder::DatBuilder(std::uint32_t block_size, std::uint32_t dataset) : header_(retail_header(block_size, dataset)) {}

DatBuilder& DatBuilder::add_file(std::uint32_t id, dat::Bytes data, FileOptions options) {
    files_.push_back({{id}, std::move(data), options});
    return *this;
}

DatBuilder& DatBuilder::add_files_sharing_data(std::vector<std::uint32_t> ids, dat::Bytes data) {
    files_.push_back({std::move(ids), std::move(data), {}});
    return *this;
}

DatBuilder& DatBuilder::set_layout(BlockLayout layout) {
    layout_ = layout;
    return *this;
}

DatBuilder& DatBuilder::set_node_capacity(std::size_t entries) {
    if (entries < 1 || entries > dat::DatDatabase::kNodeEntries) throw std::invalid_argument("node capacity");
    node_capacity_ = entries;
    return *this;
}

// Bulk-loads a B-tree of the given height over entries sorted by id: the
// children are stored before their parent, which records their offsets.
std::uint32_t DatBuilder::store_tree(DatImage& image, std::span<const dat::DatFileEntry> sorted,
                                     unsigned height) const {
    DirectoryNode node;
    if (height == 1) {
        node.entries.assign(sorted.begin(), sorted.end());
        return image.store_node(node, layout_);
    }
    std::uint64_t child_capacity = node_capacity_;  // entries a subtree of height - 1 can hold
    for (unsigned h = 2; h < height; ++h) child_capacity = (node_capacity_ + 1) * (child_capacity + 1) - 1;
    const std::size_t children = static_cast<std::size_t>((sorted.size() + 1 + child_capacity) / (child_capacity + 1));
    const std::size_t in_children = sorted.size() - (children - 1);
    std::size_t at = 0;
    for (std::size_t i = 0; i < children; ++i) {
        const std::size_t take = in_children / children + (i < in_children % children ? 1 : 0);
        // Only small node capacities leave a trailing child empty; its slot stays 0.
        if (take > 0) node.branches[i] = store_tree(image, sorted.subspan(at, take), height - 1);
        at += take;
        if (i + 1 < children) node.entries.push_back(sorted[at++]);
    }
    return image.store_node(node, layout_);
}

DatImage DatBuilder::build_image() const {
    DatImage image(header_);
    std::vector<dat::DatFileEntry> entries;
    for (const auto& file : files_) {
        const dat::Bytes stored = file.options.lrs ? compress_lrs(file.data) : file.data;
        const std::uint32_t offset = image.store_chain(stored, layout_);
        const std::uint32_t flags = file.options.extra_flags | (file.options.lrs ? dat::DatFileEntry::kLrsCompressed : 0);
        for (std::uint32_t id : file.ids) {
            entries.push_back({flags, id, offset, static_cast<std::uint32_t>(stored.size()), file.options.timestamp,
                               file.options.version});
        }
    }
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.id < b.id; });

    std::uint32_t root = 0;
    if (!entries.empty()) {
        unsigned height = 1;
        for (std::uint64_t capacity = node_capacity_; capacity < entries.size();
             capacity = (node_capacity_ + 1) * (capacity + 1) - 1) {
            ++height;
        }
        root = store_tree(image, entries, height);
    }
    image.header.root_offset = root;
    image.header.file_size = image.next_offset();
    return image;
}

}  // namespace support
