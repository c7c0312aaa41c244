// The spell table decoder, and the export of whatever it decodes.
#include <cstdint>
#include <span>

#include "dat/records/spell_table.hpp"
#include "tools/spell_export.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto table = dat::read_spell_table(std::span<const std::uint8_t>(data, size));
    if (!table) return 0;
    // Decoded text is always valid UTF-8, so the document always serializes.
    const auto file = tools::export_spell_table(*table, {});
    if (!tools::to_pretty_json(file)) __builtin_trap();
    return 0;
}
