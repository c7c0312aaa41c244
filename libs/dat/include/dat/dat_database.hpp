#pragma once
// An open DAT database: the header, the whole directory loaded at open, and
// the file, from which each request reads a block chain again. Read only.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "dat/dat_directory.hpp"
#include "dat/dat_file_entry.hpp"
#include "dat/dat_header.hpp"
#include "dat/error.hpp"
#include "dat/io.hpp"

namespace dat {

class DirectoryWalk;

class DatDatabase {
public:
    // A directory node is the content of one 1716-byte chain.
    static constexpr std::uint32_t kNodeSize = 1716;
    static constexpr std::size_t kNodeBranches = 62;
    static constexpr std::size_t kNodeEntries = 61;

    // Opens the file read-only, reads the header and loads the directory.
    static Expected<DatDatabase> new_(const std::filesystem::path& path);
    // The same, over any positional source (bytes in memory, for example).
    static Expected<DatDatabase> from_source(std::unique_ptr<ByteSource> source);

    const DatHeader& header() const { return header_; }
    const DatDirectory& files() const { return files_; }

    // Exactly `size` bytes from the chain that starts at `offset`.
    Expected<Bytes> read_file_data(std::uint32_t offset, std::uint32_t size) const;
    // The contents of file `id`, LRS-decompressed when its entry says so.
    Expected<Bytes> get_file(std::uint32_t id) const;

private:
    struct NodeLinks {
        std::array<std::uint32_t, kNodeBranches> branches{};
        std::uint32_t entry_count = 0;
        bool is_leaf() const { return branches[0] == 0; }
    };

    DatDatabase(std::unique_ptr<ByteSource> source, std::uint64_t length, const DatHeader& header)
        : source_(std::move(source)), length_(length), header_(header) {}

    Expected<void> read_directory();
    // Reads the node at `offset`, adds its entries to `walk` and returns
    // its child links.
    Expected<NodeLinks> read_node(std::uint32_t offset, DirectoryWalk& walk) const;

    std::unique_ptr<ByteSource> source_;
    std::uint64_t length_ = 0;  // file length at open; bounds every allocation
    DatHeader header_;
    DatDirectory files_;
};

}  // namespace dat
