#include "dat/dat_directory.hpp"

#include <algorithm>
#include <array>

namespace dat {
namespace {

// Below this size a comparison sort beats the radix passes' fixed cost.
constexpr std::size_t kRadixThreshold = 256;

// Stable least-significant-digit radix sort by id, one byte per pass; a
// pass whose byte is the same for every entry is skipped. Stability keeps
// entries with equal ids in walk order.
void radix_sort_by_id(std::vector<DatFileEntry>& entries) {
    std::vector<DatFileEntry> scratch(entries.size());
    for (unsigned shift = 0; shift < 32; shift += 8) {
        std::array<std::size_t, 257> starts{};
        for (const auto& entry : entries) ++starts[((entry.id >> shift) & 0xFF) + 1];
        const bool single_bucket = std::any_of(starts.begin() + 1, starts.end(),
                                               [&](std::size_t count) { return count == entries.size(); });
        if (single_bucket) continue;
        for (std::size_t b = 1; b < starts.size(); ++b) starts[b] += starts[b - 1];
        for (const auto& entry : entries) scratch[starts[(entry.id >> shift) & 0xFF]++] = entry;
        entries.swap(scratch);
    }
}

void stable_sort_by_id(std::vector<DatFileEntry>& entries) {
    if (entries.size() < kRadixThreshold) {
        std::stable_sort(entries.begin(), entries.end(),
                         [](const DatFileEntry& a, const DatFileEntry& b) { return a.id < b.id; });
    } else {
        radix_sort_by_id(entries);
    }
}

// Keeps the last entry of every run of equal ids.
void keep_last_of_each_id(std::vector<DatFileEntry>& entries) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const bool last_of_run = i + 1 == entries.size() || entries[i + 1].id != entries[i].id;
        if (last_of_run) entries[kept++] = entries[i];
    }
    entries.resize(kept);
}

}  // namespace

DatDirectory DatDirectory::from_walk_order(std::vector<DatFileEntry> entries) {
    stable_sort_by_id(entries);
    keep_last_of_each_id(entries);
    return DatDirectory(std::move(entries));
}

const DatFileEntry* DatDirectory::find(std::uint32_t id) const {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), id,
                                     [](const DatFileEntry& entry, std::uint32_t key) { return entry.id < key; });
    return it != entries_.end() && it->id == id ? &*it : nullptr;
}

}  // namespace dat
