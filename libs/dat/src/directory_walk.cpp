#include "directory_walk.hpp"

namespace dat {

std::int32_t DirectoryWalk::enter_node(std::int32_t parent, std::size_t slot) {
    const auto index = static_cast<std::int32_t>(nodes_.size());
    nodes_.push_back({static_cast<std::uint32_t>(entries_.size()), 0});
    children_.resize(children_.size() + kSlots, -1);
    if (parent != kRoot) children_[static_cast<std::size_t>(parent) * kSlots + slot] = index;
    return index;
}

void DirectoryWalk::add_entry(const DatFileEntry& entry) {
    entries_.push_back(entry);
    ++nodes_.back().entry_count;
}

// Child 0, entry 0, child 1, entry 1, ..., the last child: ascending ids
// when the tree is a well-formed B-tree.
std::vector<DatFileEntry> DirectoryWalk::in_key_order() const {
    std::vector<DatFileEntry> ordered;
    if (nodes_.empty()) return ordered;
    ordered.reserve(entries_.size());
    struct Frame {
        std::size_t node;
        std::size_t step = 0;          // child `step`, then entry `step`
        bool child_done = false;
    };
    std::vector<Frame> stack{{0}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const Node& node = nodes_[frame.node];
        if (frame.step > node.entry_count) {
            stack.pop_back();
            continue;
        }
        if (!frame.child_done) {
            frame.child_done = true;
            const std::int32_t child = frame.step < kSlots ? children_[frame.node * kSlots + frame.step] : -1;
            if (child >= 0) {
                stack.push_back({static_cast<std::size_t>(child)});
                continue;
            }
        }
        if (frame.step < node.entry_count) ordered.push_back(entries_[node.first_entry + frame.step]);
        ++frame.step;
        frame.child_done = false;
    }
    return ordered;
}

DatDirectory DirectoryWalk::finish() && {
    auto ordered = in_key_order();
    return DatDirectory::from_walk_order(std::move(entries_), std::move(ordered));
}

}  // namespace dat
