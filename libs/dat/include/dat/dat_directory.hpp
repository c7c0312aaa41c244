#pragma once
// The loaded directory of a DAT file: every entry, one per id, held sorted
// by id. A cell dataset has about a million entries, so the directory is a
// flat sorted array: one allocation, binary-search lookup, and iteration in
// ascending id order (which is the order the listing wants).

#include <cstdint>
#include <span>
#include <vector>

#include "dat/dat_file_entry.hpp"

namespace dat {

class DatDirectory {
public:
    using const_iterator = std::vector<DatFileEntry>::const_iterator;

    DatDirectory() = default;

    // Takes the entries in the order the tree walk met them; of several
    // entries with the same id the one met last is kept. `key_order` is the
    // same entries rearranged in tree order: when its ids are strictly
    // ascending (a well-formed B-tree) it is the directory, without a sort.
    static DatDirectory from_walk_order(std::vector<DatFileEntry> walk, std::vector<DatFileEntry> key_order = {});

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const DatFileEntry* find(std::uint32_t id) const;
    bool contains(std::uint32_t id) const { return find(id) != nullptr; }

    // Ascending by id.
    const_iterator begin() const { return entries_.begin(); }
    const_iterator end() const { return entries_.end(); }
    std::span<const DatFileEntry> entries() const { return entries_; }

private:
    explicit DatDirectory(std::vector<DatFileEntry> entries) : entries_(std::move(entries)) {}
    std::vector<DatFileEntry> entries_;
};

}  // namespace dat
