#pragma once
// The files weenie-find scans: in a DAT every entry with the table prefix
// 0x0E, in an archive every index record whose stored type is the table
// type, whatever its file id.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dat/dat_database.hpp"
#include "dat/file_type.hpp"

namespace app {

inline constexpr std::uint32_t kTablePrefixMask = 0xFF000000;
inline constexpr std::uint32_t kTablePrefix = static_cast<std::uint32_t>(dat::DatFileType::Table) << 24;
inline constexpr std::uint32_t kTableTypeId = static_cast<std::uint32_t>(dat::DatFileType::Table);

// A table file to scan; archive candidates carry their namespace label.
struct TableCandidate {
    std::optional<std::string> namespace_label;
    std::uint32_t file_id = 0;

    friend bool operator==(const TableCandidate&, const TableCandidate&) = default;
};

// Every directory entry with the table prefix, in directory order.
std::vector<TableCandidate> dat_table_candidates(const dat::DatDatabase& database);

// Every index record, read by index, whose stored type is the table type.
// Records that cannot be read or whose namespace is not a valid label are
// left out without a word. `Archive` is the archive reader (header(),
// read_entry_at(i), and entries with type_id, file_id, namespace_id()).
template <class Archive>
std::vector<TableCandidate> archive_table_candidates(const Archive& archive) {
    std::vector<TableCandidate> candidates;
    for (std::uint32_t index = 0; index < archive.header().entry_count; ++index) {
        const auto entry = archive.read_entry_at(index);
        if (!entry || entry->type_id != kTableTypeId) continue;
        const auto label = entry->namespace_id();
        if (!label) continue;
        candidates.push_back({std::string(label->as_str()), entry->file_id});
    }
    return candidates;
}

}  // namespace app
