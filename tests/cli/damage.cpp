#include "damage.hpp"

#include <algorithm>
#include <array>
#include <random>
#include <set>
#include <string_view>

#include <fmt/format.h>

#include "support/dat_builder.hpp"

namespace damage {
namespace {

using dat::Bytes;

constexpr std::uint64_t kHeaderOffset = 0x140;
constexpr std::uint32_t kNodeSize = 1716;
constexpr std::uint32_t kBranchSlots = 62;
constexpr std::uint32_t kCountPosition = 4 * kBranchSlots;
constexpr std::uint32_t kEntriesPosition = kCountPosition + 4;
constexpr std::uint32_t kEntrySize = 24;
constexpr std::uint32_t kMaxEntries = 61;

// Header words in order; the 16 version bytes are damaged as four words.
constexpr std::array<const char*, 20> kHeaderWords = {
    "magic",           "block_size",      "file_size",       "dataset",         "subset",
    "free_head",       "free_tail",       "free_count",      "root_offset",     "new_lru",
    "old_lru",         "use_lru",         "master_map_id",   "engine_version",  "game_version",
    "version_string0", "version_string1", "version_string2", "version_string3", "version_minor"};
// The words that decide how the file is read or what its files are.
const std::set<std::string_view> kUsedHeaderWords = {"magic", "block_size", "dataset", "root_offset"};
constexpr std::uint64_t kBlockSizeAt = kHeaderOffset + 4;
constexpr std::uint64_t kRootAt = kHeaderOffset + 32;

std::uint32_t word_at(const Bytes& bytes, std::uint64_t offset) {
    return offset + 4 <= bytes.size() ? support::get_u32(bytes, offset) : 0;
}

// A chain as the reader walks it: the blocks `size` bytes need, at most
// one visit per block.
struct Chain {
    std::string name;
    std::vector<std::uint32_t> blocks;
    std::uint32_t block_size = 0;

    // The file offset of logical byte `position` of the chain.
    std::uint64_t file_offset(std::uint64_t position) const {
        const std::uint64_t payload = block_size - 4;
        const std::size_t index = std::min<std::size_t>(position / payload, blocks.size() - 1);
        return blocks[index] + 4 + (position - index * payload);
    }
};

Chain walk_chain(const Bytes& bytes, std::string name, std::uint32_t start, std::uint32_t block_size,
                 std::uint32_t size) {
    Chain chain{std::move(name), {}, block_size};
    std::set<std::uint32_t> seen;
    std::uint64_t remaining = size;
    std::uint32_t current = start;
    while (remaining > 0 && current + std::uint64_t{4} <= bytes.size() && seen.insert(current).second) {
        chain.blocks.push_back(current);
        const std::uint32_t link = word_at(bytes, current);
        if (link == 0 || remaining <= block_size - 4) break;
        remaining -= block_size - 4;
        current = link;
    }
    return chain;
}

struct Node {
    Chain chain;
    std::uint32_t entry_count = 0;
    std::vector<std::uint32_t> branches;  // the slots the reader visits
};

struct Entry {
    std::uint64_t at = 0;  // file offset of the 24-byte record
    std::uint32_t id = 0;
    Chain chain;
};

struct Layout {
    std::uint32_t block_size = 0;
    std::uint32_t root = 0;
    std::vector<Node> nodes;
    std::vector<Entry> entries;
};

// Walks an undamaged DAT file: the test's own reading of the format, kept
// apart from the reader under test.
Layout walk(const Bytes& bytes) {
    Layout layout;
    layout.block_size = word_at(bytes, kBlockSizeAt);
    layout.root = word_at(bytes, kRootAt);
    if (layout.block_size <= 4 || layout.block_size % 4 != 0) return layout;
    std::vector<std::uint32_t> pending{layout.root};
    std::set<std::uint32_t> visited;
    while (!pending.empty()) {
        const std::uint32_t offset = pending.back();
        pending.pop_back();
        if (offset == 0 || !visited.insert(offset).second) continue;
        Node node;
        node.chain = walk_chain(bytes, fmt::format("node{}", layout.nodes.size()), offset, layout.block_size, kNodeSize);
        if (node.chain.blocks.empty()) continue;
        node.entry_count = word_at(bytes, node.chain.file_offset(kCountPosition));
        const std::uint32_t count = std::min(node.entry_count, kMaxEntries);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint64_t at = node.chain.file_offset(kEntriesPosition + kEntrySize * i);
            const std::uint32_t id = word_at(bytes, at + 4);
            layout.entries.push_back({at, id,
                                      walk_chain(bytes, fmt::format("file{:08X}", id), word_at(bytes, at + 8),
                                                 layout.block_size, word_at(bytes, at + 12))});
        }
        if (word_at(bytes, node.chain.file_offset(0)) != 0) {
            for (std::uint32_t k = 0; k <= count && k < kBranchSlots; ++k) {
                const std::uint32_t child = word_at(bytes, node.chain.file_offset(4 * k));
                node.branches.push_back(child);
                pending.push_back(child);
            }
        }
        layout.nodes.push_back(std::move(node));
    }
    return layout;
}

class DamageList {
public:
    explicit DamageList(const Bytes& original) : original_(original) {}

    void truncate(std::uint64_t at) {
        if (at < original_.size() && cuts_.insert(at).second) {
            items_.push_back({fmt::format("cut-at-0x{:X}", at), Bytes(original_.begin(), original_.begin() + at), {}});
        }
    }
    void set_word(const std::string& what, std::uint64_t at, std::uint32_t value) {
        if (at + 4 > original_.size() || word_at(original_, at) == value) return;
        Bytes bytes = original_;
        support::put_u32(bytes, at, value);
        items_.push_back({fmt::format("{}-0x{:X}", what, value), std::move(bytes), file_});
    }
    const Bytes& original() const { return original_; }
    void add(std::string label, Bytes bytes) { items_.push_back({std::move(label), std::move(bytes), file_}); }
    void flip_word(const std::string& what, std::uint64_t at) {
        set_word(what, at, word_at(original_, at) ^ 0x1);
        set_word(what, at, word_at(original_, at) ^ 0x80000000);
    }
    std::uint64_t size() const { return original_.size(); }
    // The file whose entry or chain the next damage belongs to.
    void scope_to(std::optional<std::uint32_t> file) { file_ = file; }
    std::vector<DamagedInput> take() { return std::move(items_); }

private:
    const Bytes& original_;
    std::set<std::uint64_t> cuts_;
    std::vector<DamagedInput> items_;
    std::optional<std::uint32_t> file_;
};

// The words the reader uses are damaged one by one; the words it only
// keeps (and meta prints) are damaged all at once.
void damage_header(DamageList& list, const Layout& layout) {
    for (std::size_t i = 0; i <= kHeaderWords.size(); ++i) list.truncate(kHeaderOffset + 4 * i);
    for (const std::uint32_t value : {0x80000001u, 0xFFFFFFFFu}) {
        Bytes bytes = list.original();
        for (std::size_t i = 0; i < kHeaderWords.size(); ++i) {
            const std::uint64_t at = kHeaderOffset + 4 * i;
            if (!kUsedHeaderWords.contains(kHeaderWords[i])) support::put_u32(bytes, at, value == 0xFFFFFFFFu ? value : word_at(bytes, at) ^ value);
        }
        list.add(fmt::format("header-kept-words-0x{:X}", value), std::move(bytes));
    }
    for (const std::string_view name : kUsedHeaderWords) {
        const std::size_t i = static_cast<std::size_t>(std::ranges::find(kHeaderWords, name) - kHeaderWords.begin());
        list.flip_word(fmt::format("header-{}", name), kHeaderOffset + 4 * i);
    }
    for (const std::uint32_t value : {0u, 4u, 5u, 8u, 0xFFFFu, 0xFFFFFFFFu, layout.block_size * 2, layout.block_size + 2}) {
        list.set_word("header-block_size", kBlockSizeAt, value);
    }
    const auto end = static_cast<std::uint32_t>(list.size());
    for (const std::uint32_t value : {end, 0xFFFFFFF0u, layout.root + 4, 1u}) list.set_word("header-root_offset", kRootAt, value);
}

// Links ending the chain early, pointing outside the file and back to the
// chain's start, for every link the reader follows.
void damage_links(DamageList& list, const Chain& chain) {
    const auto end = static_cast<std::uint32_t>(list.size());
    for (std::size_t j = 0; j < chain.blocks.size(); ++j) {
        const std::uint32_t block = chain.blocks[j];
        list.truncate(block);
        list.truncate(block + std::uint64_t{4});
        if (j + 1 == chain.blocks.size()) continue;
        const std::string what = fmt::format("{}-link{}", chain.name, j);
        // Back into the chain: to its start (the block itself when first).
        for (const std::uint32_t value : {0u, end, chain.blocks.front()}) list.set_word(what, block, value);
    }
}

void damage_node(DamageList& list, const Layout& layout, const Node& node) {
    const Chain& chain = node.chain;
    list.truncate(chain.file_offset(kCountPosition));
    list.truncate(chain.file_offset(kEntriesPosition));
    for (std::uint32_t i = 0; i <= std::min(node.entry_count, kMaxEntries); ++i) {
        list.truncate(chain.file_offset(kEntriesPosition + kEntrySize * i));
    }
    for (const std::uint32_t value : {0u, 62u, 0xFFFFu, 0xFFFFFFFFu}) {
        list.set_word(chain.name + "-count", chain.file_offset(kCountPosition), value);
    }
    const auto end = static_cast<std::uint32_t>(list.size());
    const std::uint32_t self = chain.blocks.front();
    if (node.branches.empty()) {
        // A leaf made an inner node whose first child is itself or the root.
        for (const std::uint32_t value : {self, layout.root, end}) list.set_word(chain.name + "-branch0", chain.file_offset(0), value);
    }
    for (std::size_t k = 0; k < node.branches.size(); ++k) {
        const std::string what = fmt::format("{}-branch{}", chain.name, k);
        for (const std::uint32_t value : {end, 0xFFFFFFFCu, layout.root, self}) list.set_word(what, chain.file_offset(4 * k), value);
    }
    damage_links(list, chain);
}

void damage_entry(DamageList& list, const Entry& entry) {
    const std::string what = fmt::format("entry{:08X}", entry.id);
    list.scope_to(entry.id);
    // The compression bit; the other bits are only shown.
    list.set_word(what + "-bit_flags", entry.at, word_at(list.original(), entry.at) ^ 0x1);
    const auto end = static_cast<std::uint32_t>(list.size());
    const std::uint32_t offset = entry.chain.blocks.empty() ? 0 : entry.chain.blocks.front();
    for (const std::uint32_t value : {end, offset + 4}) list.set_word(what + "-offset", entry.at + 8, value);
    for (const std::uint32_t value : {0xFFFFFFFFu, end + 1}) list.set_word(what + "-size", entry.at + 12, value);
    damage_links(list, entry.chain);
    list.scope_to(std::nullopt);
}

}  // namespace

std::vector<DamagedInput> dat_damage(const Bytes& original) {
    DamageList list(original);
    const Layout layout = walk(original);
    damage_header(list, layout);
    for (const auto& node : layout.nodes) damage_node(list, layout, node);
    for (const auto& entry : layout.entries) damage_entry(list, entry);
    list.truncate(0);
    list.truncate(original.size() - 1);
    return list.take();
}

std::vector<DamagedInput> edge_damage(const Bytes& original) {
    DamageList list(original);
    for (std::uint64_t k = 0; k <= 16; ++k) {
        for (const std::uint64_t at : {4 * k, original.size() >= 4 * k ? original.size() - 4 * k : 0}) {
            list.truncate(at);
            list.flip_word(fmt::format("word-at-0x{:X}", at), at);
            list.set_word(fmt::format("word-at-0x{:X}", at), at, 0xFFFFFFFF);
            list.set_word(fmt::format("word-at-0x{:X}", at), at, 0);
        }
    }
    return list.take();
}

Bytes mutate(const Bytes& original, std::uint32_t seed, double share, std::size_t first_byte) {
    Bytes bytes = original;
    if (bytes.size() <= first_byte) return bytes;
    std::mt19937 random(seed);
    const std::size_t span = bytes.size() - first_byte;
    const auto count = std::max<std::size_t>(1, static_cast<std::size_t>(share * static_cast<double>(span)));
    std::uniform_int_distribution<std::size_t> position(first_byte, bytes.size() - 1);
    std::uniform_int_distribution<int> byte_value(0, 255);
    for (std::size_t i = 0; i < count; ++i) {
        auto& byte = bytes[position(random)];
        if (random() % 2 == 0) {
            byte = static_cast<std::uint8_t>(byte_value(random));
        } else {
            byte ^= static_cast<std::uint8_t>(1u << (random() % 8));
        }
    }
    return bytes;
}

}  // namespace damage
