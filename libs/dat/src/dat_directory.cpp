#include "dat/dat_directory.hpp"

#include <algorithm>
#include <array>

namespace dat {
namespace {

// Sort keys: the id in the high half, the entry's position in the walk in
// the low half, so equal ids stay in walk order.
using SortKey = std::uint64_t;

SortKey key_of(std::uint32_t id, std::size_t walk_index) { return (SortKey{id} << 32) | walk_index; }
std::uint32_t id_of(SortKey key) { return static_cast<std::uint32_t>(key >> 32); }
std::size_t walk_index_of(SortKey key) { return static_cast<std::size_t>(key & 0xFFFFFFFF); }

// Stable least-significant-digit radix sort by the id half, 11 bits per
// pass (three passes; the counts stay in the first-level cache); a pass
// whose digit is the same for every key is skipped. Sorting 8-byte keys
// instead of the 24-byte entries moves a third of the bytes.
void radix_sort_by_id(std::vector<SortKey>& keys) {
    constexpr unsigned kDigitBits = 11;
    constexpr std::size_t kBuckets = std::size_t{1} << kDigitBits;
    std::vector<SortKey> scratch(keys.size());
    std::vector<std::size_t> starts(kBuckets + 1);
    for (unsigned shift = 32; shift < 64; shift += kDigitBits) {
        std::fill(starts.begin(), starts.end(), 0);
        for (const SortKey key : keys) ++starts[((key >> shift) & (kBuckets - 1)) + 1];
        const bool one_digit =
            std::any_of(starts.begin() + 1, starts.end(), [&](std::size_t count) { return count == keys.size(); });
        if (one_digit) continue;
        for (std::size_t b = 1; b < starts.size(); ++b) starts[b] += starts[b - 1];
        for (const SortKey key : keys) scratch[starts[(key >> shift) & (kBuckets - 1)]++] = key;
        keys.swap(scratch);
    }
}

bool strictly_ascending(const std::vector<DatFileEntry>& entries) {
    return std::adjacent_find(entries.begin(), entries.end(), [](const DatFileEntry& a, const DatFileEntry& b) {
               return a.id >= b.id;
           }) == entries.end();
}

}  // namespace

DatDirectory DatDirectory::from_walk_order(std::vector<DatFileEntry> walk, std::vector<DatFileEntry> key_order) {
    if (key_order.size() == walk.size() && strictly_ascending(key_order)) return DatDirectory(std::move(key_order));
    if (strictly_ascending(walk)) return DatDirectory(std::move(walk));
    std::vector<SortKey> keys(walk.size());
    for (std::size_t i = 0; i < walk.size(); ++i) keys[i] = key_of(walk[i].id, i);
    radix_sort_by_id(keys);
    std::vector<DatFileEntry> sorted;
    sorted.reserve(walk.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        // Of a run of equal ids the last was met last in the walk: it wins.
        const bool last_of_run = i + 1 == keys.size() || id_of(keys[i + 1]) != id_of(keys[i]);
        if (last_of_run) sorted.push_back(walk[walk_index_of(keys[i])]);
    }
    return DatDirectory(std::move(sorted));
}

const DatFileEntry* DatDirectory::find(std::uint32_t id) const {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), id,
                                     [](const DatFileEntry& entry, std::uint32_t key) { return entry.id < key; });
    return it != entries_.end() && it->id == id ? &*it : nullptr;
}

}  // namespace dat
