#pragma once
// Labels of archive entries for reports that walk the whole index. The
// index is sorted by namespace, so checking the namespace bytes once per
// run of equal bytes checks every entry; type labels are formatted once per
// type code.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "dat/archive/format.hpp"
#include "dat/file_type.hpp"

namespace app {

class EntryNamespaceLabel {
public:
    // The entry's namespace label, or the InvalidNamespace error of its bytes.
    dat::Expected<std::string_view> of(const dat::ZraEntry& entry) {
        if (!last_ || last_->bytes() != entry.namespace_bytes) {
            auto ns = entry.namespace_id();
            if (!ns) return dat::fail(ns.error());
            last_ = *ns;
        }
        return last_->as_str();
    }

private:
    std::optional<dat::ResourceNamespace> last_;
};

class TypeLabels {
public:
    std::string_view of(std::uint32_t type_id) {
        auto it = labels_.find(type_id);
        if (it == labels_.end()) it = labels_.emplace(type_id, dat::format_type_label(type_id)).first;
        return it->second;
    }

private:
    std::unordered_map<std::uint32_t, std::string> labels_;
};

}  // namespace app
