#include <algorithm>

#include "dat/archive/writer.hpp"

namespace dat {

Expected<void> ZraWriter::add(std::string_view ns, std::uint32_t file_id, std::uint32_t type_id, Bytes data) {
    return insert(ns, file_id, type_id, std::move(data), false);
}

Expected<void> ZraWriter::insert(std::string_view ns, std::uint32_t file_id, std::uint32_t type_id, Bytes data,
                                 bool pruned) {
    auto resource_ns = ResourceNamespace::new_(ns);
    if (!resource_ns) return fail(resource_ns.error());
    ZraKey key{*resource_ns, file_id};
    if (entries_.contains(key)) return fail(DatError::duplicate_namespaced_id(std::string(ns), file_id));
    // Refused here already, so that no archive is started that could not be read back.
    if (auto fits = zra_resource_fits(ns, file_id, data.size()); !fits) return fits;
    if (auto fits = zra_entry_count_fits(entries_.size() + 1); !fits) return fits;
    entries_.emplace(key, Item{type_id, std::move(data), pruned});
    return {};
}

Expected<void> ZraWriter::write(const std::filesystem::path& path) && {
    auto stream = ZraStreamWriter::create(path, compress);
    if (!stream) return fail(stream.error());
    return write_with(std::move(*stream));
}

Expected<void> ZraWriter::write_to(OutputFile file) && {
    auto stream = ZraStreamWriter::create(std::move(file), compress);
    if (!stream) return fail(stream.error());
    return write_with(std::move(*stream));
}

Expected<void> ZraWriter::write_with(ZraStreamWriter stream) {
    std::vector<std::pair<ZraKey, Item>> items;
    items.reserve(entries_.size());
    for (auto& [key, item] : entries_) items.emplace_back(key, std::move(item));
    entries_.clear();
    std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    for (auto& [key, item] : items) {
        const std::string_view label = key.ns.as_str();
        auto added = item.pruned ? stream.add_pruned(label, key.file_id, item.type_id, std::move(item.data))
                                 : stream.add(label, key.file_id, item.type_id, std::move(item.data));
        if (!added) return added;
    }
    return std::move(stream).finish();
}

}  // namespace dat
