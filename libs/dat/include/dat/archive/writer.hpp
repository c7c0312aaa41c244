#pragma once
// The two archive writers.
//
// ZraStreamWriter writes each resource's bytes as soon as it is added and
// keeps only the index records; finish() appends the sorted namespace block
// and index and rewrites the header. ZraWriter collects whole resources in
// memory and writes them, sorted, through a ZraStreamWriter.
//
// Both refuse a repeated (namespace, file id), a resource of 4 GiB or more
// and more entries than a reader accepts. Compression failures are not
// errors: the resource is stored as it is and a warning goes to the hook of
// warning_hook.hpp.

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "dat/archive/format.hpp"
#include "dat/error.hpp"
#include "dat/io.hpp"
#include "dat/namespace.hpp"
#include "dat/output_file.hpp"

namespace dat {

struct ZraKey {
    ResourceNamespace ns;
    std::uint32_t file_id = 0;
    friend bool operator==(const ZraKey&, const ZraKey&) = default;
    friend auto operator<=>(const ZraKey&, const ZraKey&) = default;  // namespace bytes, then id
};

struct ZraKeyHash {
    std::size_t operator()(const ZraKey& key) const noexcept {
        return std::hash<ResourceNamespace>{}(key.ns) * 31 + key.file_id;
    }
};

class ZraStreamWriter {
public:
    // Creates or truncates `path` and writes a placeholder header.
    static Expected<ZraStreamWriter> create(const std::filesystem::path& path, bool compress);
    // The same on a file the caller opened (positioned at its start).
    static Expected<ZraStreamWriter> create(OutputFile file, bool compress);

    Expected<void> add(std::string_view ns, std::uint32_t file_id, std::uint32_t type_id, Bytes data);
    Expected<void> add_pruned(std::string_view ns, std::uint32_t file_id, std::uint32_t type_id, Bytes data);
    Expected<void> write_entry(std::string_view ns, std::uint32_t file_id, std::uint32_t type_id, Bytes data,
                               bool pruned);

    // Writes the namespace block, the index and the final header, then
    // closes the file.
    Expected<void> finish() &&;

    // The records written so far, in the order added.
    const std::vector<ZraEntry>& entries() const { return entries_; }

private:
    ZraStreamWriter(OutputFile file, bool compress) : file_(std::move(file)), compress_(compress) {}

    OutputFile file_;
    bool compress_;
    std::vector<ZraEntry> entries_;
    std::unordered_set<ZraKey, ZraKeyHash> seen_;
};

class ZraWriter {
public:
    static ZraWriter new_() { return ZraWriter(); }

    // Whether resources are stored compressed where that makes them shorter.
    bool compress = true;

    Expected<void> add(std::string_view ns, std::uint32_t file_id, std::uint32_t type_id, Bytes data);
    Expected<void> insert(std::string_view ns, std::uint32_t file_id, std::uint32_t type_id, Bytes data,
                          bool pruned);

    // Writes the archive, resources in (namespace, file id) order. On failure
    // the file is left incomplete.
    Expected<void> write(const std::filesystem::path& path) &&;
    Expected<void> write_to(OutputFile file) &&;

    std::size_t size() const { return entries_.size(); }

private:
    struct Item {
        std::uint32_t type_id = 0;
        Bytes data;
        bool pruned = false;
    };
    Expected<void> write_with(ZraStreamWriter stream);

    std::unordered_map<ZraKey, Item, ZraKeyHash> entries_;
};

}  // namespace dat
