#pragma once
// The spell table: every spell definition keyed by spell id, and the spell
// sets keyed by set id, each set holding tiers of member spells.
//
// Layout (little-endian, positions counted from the first byte of the table):
//   SpellTable     id u32, spells: keyed table of SpellBase, spell_sets: keyed table of SpellSet
//   keyed table    count u16, an ignored u16, then count × (key u32, value record)
//   SpellBase      name (nibble-swapped string), align 4, description, align 4,
//                  13 fixed 4-byte fields, extras (16, 8 or 0 bytes chosen by
//                  meta_spell_type), 8 × u32 components, 7 fields of 4 bytes
//                  and one of 8: 120 bytes after the second alignment plus extras
//   SpellSet       tiers: keyed table of SpellSetTiers
//   SpellSetTiers  spell_count i32, then spell_count × u32
// Fields the program never interprets are kept as their raw 32- or 64-bit values.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "dat/cursor.hpp"
#include "dat/error.hpp"

namespace dat {

struct SpellExtras {
    // meta_spell_type 1 or 12.
    struct Enchantment {
        static constexpr std::size_t kEncodedSize = 16;
        std::uint64_t duration = 0;
        std::uint32_t degrade_modifier = 0;
        std::uint32_t degrade_limit = 0;
        bool operator==(const Enchantment&) const = default;
    };
    // meta_spell_type 7.
    struct PortalSummon {
        static constexpr std::size_t kEncodedSize = 8;
        std::uint64_t portal_lifetime = 0;
        bool operator==(const PortalSummon&) const = default;
    };
    // Every other meta_spell_type: nothing is stored.
    struct None {
        static constexpr std::size_t kEncodedSize = 0;
        bool operator==(const None&) const = default;
    };

    std::variant<Enchantment, PortalSummon, None> variant = None{};
    bool operator==(const SpellExtras&) const = default;
};

struct SpellBase {
    // Bytes of the fixed part after the second alignment, without extras.
    static constexpr std::size_t kFixedEncodedSize = 120;

    std::string name;
    std::string description;
    std::uint32_t school = 0;  // 1 war, 2 life, 3 item, 4 creature, 5 void
    std::uint32_t icon_id = 0;
    std::uint32_t category = 0;
    std::uint32_t bitfield = 0;
    std::uint32_t base_mana = 0;
    float base_range_constant = 0;
    float base_range_mod = 0;
    std::uint32_t power = 0;
    std::uint32_t spell_economy_mod = 0;
    std::uint32_t formula_version = 0;
    std::uint32_t component_loss = 0;
    std::uint32_t meta_spell_type = 0;
    std::uint32_t meta_spell_id = 0;
    SpellExtras extras;
    std::array<std::uint32_t, 8> raw_components{};
    std::uint32_t caster_effect = 0;
    std::uint32_t target_effect = 0;
    std::uint32_t fizzle_effect = 0;
    std::uint64_t recovery_interval = 0;
    std::uint32_t recovery_amount = 0;
    std::uint32_t display_order = 0;
    std::uint32_t non_component_target_type = 0;
    std::uint32_t mana_mod = 0;
    bool operator==(const SpellBase&) const = default;
};

struct SpellSetTiers {
    std::int32_t spell_count = 0;
    std::vector<std::uint32_t> spells;
    bool operator==(const SpellSetTiers&) const = default;
};

struct SpellSet {
    std::unordered_map<std::uint32_t, SpellSetTiers> tiers;
    bool operator==(const SpellSet&) const = default;
};

struct SpellTable {
    std::uint32_t id = 0;
    std::unordered_map<std::uint32_t, SpellBase> spells;
    std::unordered_map<std::uint32_t, SpellSet> spell_sets;
    bool operator==(const SpellTable&) const = default;
};

// Which extras a spell of this meta_spell_type carries.
enum class SpellExtrasKind : std::uint8_t { Enchantment, PortalSummon, None };
SpellExtrasKind spell_extras_kind(std::uint32_t meta_spell_type);

// Decodes a whole table from the cursor. The cursor's position 0 is the
// first byte of the table: the two alignments of each spell count from it.
// Bytes after the spell sets are left unread. Later duplicate keys replace
// earlier ones; nothing partial is returned on failure.
RecordResult<SpellTable> read_spell_table(ByteCursor& cursor);

// The same over a table's file bytes, starting at position 0.
RecordResult<SpellTable> read_spell_table(std::span<const std::uint8_t> bytes);

}  // namespace dat
