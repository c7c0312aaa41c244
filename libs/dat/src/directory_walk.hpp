#pragma once
// Records the directory walk: the entries in the order they were met and
// the shape of the tree, so that the entries of a well-formed B-tree can be
// put in key order by an in-order pass instead of a sort.

#include <cstdint>
#include <vector>

#include "dat/dat_directory.hpp"

namespace dat {

class DirectoryWalk {
public:
    static constexpr std::int32_t kRoot = -1;

    // Starts a node reached through child slot `slot` of node `parent`
    // (kRoot for the root); returns its index. Entries added from now on
    // belong to it.
    std::int32_t enter_node(std::int32_t parent, std::size_t slot);
    void add_entry(const DatFileEntry& entry);

    // The directory: for repeated ids the entry met last wins.
    DatDirectory finish() &&;

private:
    static constexpr std::size_t kSlots = 62;

    struct Node {
        std::uint32_t first_entry = 0;
        std::uint32_t entry_count = 0;
    };

    std::vector<DatFileEntry> in_key_order() const;

    std::vector<DatFileEntry> entries_;  // in walk order
    std::vector<Node> nodes_;
    std::vector<std::int32_t> children_;  // kSlots per node; -1: none
};

}  // namespace dat
