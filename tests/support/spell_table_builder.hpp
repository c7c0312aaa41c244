#pragma once
// Builds spell table bytes for tests and samples, and records where every
// encoded field lies so tests can cut the table inside any of them.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dat/records/spell_table.hpp"

namespace support {

// One field of the encoded table: it ends at `end`, and a table cut
// anywhere after the previous field's end and before `end` fails in it
// (alignment padding belongs to the field after it). `context` holds the
// lines that failure reports, innermost first.
struct EncodedField {
    std::uint64_t end = 0;
    std::vector<std::string> context;
    // Set for fields inside a spell's extras: the selected variant.
    std::optional<dat::SpellExtrasKind> extras;
};

struct SpellTierSpec {
    SpellTierSpec(std::uint32_t key, std::vector<std::uint32_t> spells,
                  std::optional<std::int32_t> spell_count = std::nullopt)
        : key(key), spells(std::move(spells)), spell_count(spell_count) {}

    std::uint32_t key;
    std::vector<std::uint32_t> spells;
    // The stored count; by default the number of spells.
    std::optional<std::int32_t> spell_count;
};

class SpellTableBuilder {
public:
    explicit SpellTableBuilder(std::uint32_t table_id = 0x0E00000E) : table_id_(table_id) {}

    // Adds a spell in written order (a repeated id is written again). The
    // name and description are stored as their bytes, nibble-swapped; the
    // extras written are those of `spell.extras`, whatever its
    // meta_spell_type says.
    SpellTableBuilder& spell(std::uint32_t id, const dat::SpellBase& spell);
    SpellTableBuilder& spells(const std::vector<std::pair<std::uint32_t, dat::SpellBase>>& spells);
    SpellTableBuilder& spell_set(std::uint32_t id, std::vector<SpellTierSpec> tiers);
    // The u16 after every count, which readers ignore.
    SpellTableBuilder& ignored_u16(std::uint16_t value);

    std::vector<std::uint8_t> build(std::vector<EncodedField>* layout = nullptr) const;

private:
    struct SetSpec {
        std::uint32_t id;
        std::vector<SpellTierSpec> tiers;
    };
    std::uint32_t table_id_;
    std::uint16_t ignored_ = 0;
    std::vector<std::pair<std::uint32_t, dat::SpellBase>> spells_;
    std::vector<SetSpec> sets_;
};

// A spell whose values all derive from `seed`: the school cycles through
// 1 to 5, the extras through Enchantment (1 and 12), PortalSummon (7) and
// None (0, 3 and all bits set) with matching meta_spell_type, the name
// length through every remainder mod 4, and the floats through ordinary
// values.
dat::SpellBase make_spell(std::uint32_t seed);

// `count` spells made by make_spell, with ids first_id, first_id + 1, ...
std::vector<std::pair<std::uint32_t, dat::SpellBase>> make_spells(std::size_t count, std::uint32_t first_id = 1);

}  // namespace support
