#include "commands/table_candidates.hpp"

namespace app {

std::vector<TableCandidate> dat_table_candidates(const dat::DatDatabase& database) {
    std::vector<TableCandidate> candidates;
    for (const auto& entry : database.files()) {
        if ((entry.id & kTablePrefixMask) == kTablePrefix) candidates.push_back({std::nullopt, entry.id});
    }
    return candidates;
}

}  // namespace app
