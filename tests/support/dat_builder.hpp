#pragma once
// Writes real DAT files for tests, benchmarks and the sample containers.
//
// DatImage is the low level: a file under construction, block by block,
// where a test places chains, directory nodes and raw bytes itself (to
// build damaged or unusual files). DatBuilder is the high level: add files,
// get a well-formed DAT with a B-tree directory of 1716-byte nodes.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "dat/dat_database.hpp"
#include "dat/io.hpp"

namespace support {

void put_u32(dat::Bytes& bytes, std::size_t offset, std::uint32_t value);
void put_u16(dat::Bytes& bytes, std::size_t offset, std::uint16_t value);
std::uint32_t get_u32(std::span<const std::uint8_t> bytes, std::size_t offset);
void append_u32(dat::Bytes& bytes, std::uint32_t value);
void append_u16(dat::Bytes& bytes, std::uint16_t value);

// The 80 header bytes as stored at 0x140.
std::array<std::uint8_t, dat::DatHeader::kSize> encode_header(const dat::DatHeader& header);

// A retail-looking header: magic 0x5442, the given block size and dataset.
dat::DatHeader retail_header(std::uint32_t block_size, std::uint32_t dataset);

enum class BlockLayout {
    Contiguous,  // a chain's blocks one after another, links pointing forward
    Scattered,   // blocks in reverse order with a garbage block between each
};

// One directory node's content.
struct DirectoryNode {
    std::array<std::uint32_t, dat::DatDatabase::kNodeBranches> branches{};
    std::vector<dat::DatFileEntry> entries;  // at most 61 are stored
    std::optional<std::uint32_t> entry_count;  // the stored count; default entries.size()

    dat::Bytes encode() const;  // exactly 1716 bytes
};

class DatImage {
public:
    explicit DatImage(std::uint32_t block_size);
    explicit DatImage(const dat::DatHeader& header);

    dat::DatHeader header;  // written at 0x140 by bytes(), as it is

    std::uint32_t block_size() const { return header.block_size; }
    // Where the next block (or raw bytes) will start.
    std::uint32_t next_offset() const { return static_cast<std::uint32_t>(image_.size()); }

    // Stores `payload` in a chain of blocks and returns the first block's
    // offset. An empty payload still takes one block.
    std::uint32_t store_chain(std::span<const std::uint8_t> payload, BlockLayout layout = BlockLayout::Contiguous);
    std::uint32_t store_node(const DirectoryNode& node, BlockLayout layout = BlockLayout::Contiguous);
    // Places bytes at the end of the image, starting a new block.
    std::uint32_t append_raw(std::span<const std::uint8_t> bytes);
    void patch_u32(std::uint64_t offset, std::uint32_t value);

    // The file: the header written over the image. Trimmed, the file ends
    // right after the last byte anything was stored in (so its last block
    // may be cut short).
    dat::Bytes bytes(bool trimmed = false) const;
    void write(const std::filesystem::path& path, bool trimmed = false) const;

private:
    std::uint32_t allocate_block();
    void write_block(std::uint32_t at, std::uint32_t link, std::span<const std::uint8_t> payload);

    dat::Bytes image_;
    std::uint64_t used_end_ = 0;
};

struct FileOptions {
    bool lrs = false;            // store LRS-compressed (flag bit 0 set)
    std::uint32_t extra_flags = 0;  // further bits for bit_flags, kept as given
    std::uint32_t timestamp = 0;
    std::uint32_t version = 0;
};

class DatBuilder {
public:
    explicit DatBuilder(std::uint32_t block_size = 1024, std::uint32_t dataset = 1);

    // Magic, dataset and the rest; root_offset and file_size are set by build().
    dat::DatHeader& header() { return header_; }

    DatBuilder& add_file(std::uint32_t id, dat::Bytes data, FileOptions options = {});
    // Several entries that share one stored chain (for very large directories).
    DatBuilder& add_files_sharing_data(std::vector<std::uint32_t> ids, dat::Bytes data);
    DatBuilder& set_layout(BlockLayout layout);
    // Entries per directory node, 1 to 61; smaller values give deeper trees.
    DatBuilder& set_node_capacity(std::size_t entries);

    DatImage build_image() const;
    dat::Bytes build() const { return build_image().bytes(); }
    void write(const std::filesystem::path& path) const { build_image().write(path); }

private:
    struct StoredFile {
        std::vector<std::uint32_t> ids;
        dat::Bytes data;
        FileOptions options;
    };

    std::uint32_t store_tree(DatImage& image, std::span<const dat::DatFileEntry> sorted, unsigned height) const;

    dat::DatHeader header_;
    std::vector<StoredFile> files_;
    BlockLayout layout_ = BlockLayout::Contiguous;
    std::size_t node_capacity_ = dat::DatDatabase::kNodeEntries;
};

}  // namespace support
