#include "dat/records/spell_table.hpp"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include <fmt/format.h>

#include "dat/records/text.hpp"

namespace dat {
namespace {

// Reads the fields of one record in order. After the first failure the
// remaining reads do nothing, so a record reads as a flat list of fields;
// the failure carries the line naming its field and this record.
class FieldReader {
public:
    FieldReader(ByteCursor& cursor, std::string_view record) : cursor_(cursor), record_(record) {}

    template <class T, class Read>
    FieldReader& read(std::string_view field, T& out, Read&& read_value) {
        if (error_) return *this;
        auto value = read_field(record_, field, [&] { return read_value(cursor_); });
        if (value) {
            out = std::move(*value);
        } else {
            error_ = std::move(value.error());
        }
        return *this;
    }

    FieldReader& u32(std::string_view field, std::uint32_t& out) {
        return read(field, out, [](ByteCursor& c) { return c.u32(); });
    }
    FieldReader& u64(std::string_view field, std::uint64_t& out) {
        return read(field, out, [](ByteCursor& c) { return c.u64(); });
    }
    FieldReader& f32(std::string_view field, float& out) {
        return read(field, out, [](ByteCursor& c) { return c.f32(); });
    }

    // Moves to the next multiple of 4 of the absolute position.
    FieldReader& align4(std::string_view field) {
        if (error_) return *this;
        auto moved = read_field(record_, field, [&] { return cursor_.skip_to_multiple_of(4); });
        if (!moved) error_ = std::move(moved.error());
        return *this;
    }

    template <class T>
    RecordResult<T> finish(T value) {
        if (error_) return std::unexpected(std::move(*error_));
        return value;
    }

private:
    ByteCursor& cursor_;
    std::string_view record_;
    std::optional<RecordError> error_;
};

// A u16 count, an ignored u16, then count × (u32 key, value). Room is
// reserved for no more entries than the count and the remaining bytes allow.
template <class Value, class ReadValue>
RecordResult<std::unordered_map<std::uint32_t, Value>> read_keyed_table(ByteCursor& cursor,
                                                                        std::uint64_t min_entry_size,
                                                                        ReadValue&& read_value) {
    const auto count = cursor.u16();
    if (!count) return std::unexpected(count.error());
    if (auto ignored = cursor.u16(); !ignored) return std::unexpected(ignored.error());

    std::unordered_map<std::uint32_t, Value> table;
    table.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(*count, cursor.remaining() / min_entry_size)));
    for (std::uint32_t i = 0; i < *count; ++i) {
        const auto key = cursor.u32();
        if (!key) return std::unexpected(key.error());
        auto value = read_value(cursor);
        if (!value) return std::unexpected(std::move(value.error()));
        table.insert_or_assign(*key, std::move(*value));
    }
    return table;
}

constexpr std::string_view kVariantNames[] = {"Enchantment", "PortalSummon", "None"};
constexpr std::string_view kVariantConditions[] = {
    "assertion failed: `meta_spell_type == 1 || meta_spell_type == 12`",
    "assertion failed: `meta_spell_type == 7`",
    "assertion failed: `meta_spell_type != 1 && meta_spell_type != 12 && meta_spell_type != 7`",
};

// The failure of the extras: one line per variant with the reason it did
// not apply; the selected variant's own error is indented below its name.
RecordError no_variant_matched(SpellExtrasKind selected, const RecordError& error) {
    std::string text = "no variant of SpellExtras matched";
    for (std::size_t i = 0; i < std::size(kVariantNames); ++i) {
        text += fmt::format("\n{}: ", kVariantNames[i]);
        if (static_cast<SpellExtrasKind>(i) != selected) {
            text += kVariantConditions[i];
            continue;
        }
        text += error.base();
        for (const auto& line : error.context()) text += fmt::format("\n  {}", line);
    }
    return RecordError::message(std::move(text));
}

RecordResult<SpellExtras> read_spell_extras(ByteCursor& cursor, std::uint32_t meta_spell_type) {
    const SpellExtrasKind kind = spell_extras_kind(meta_spell_type);
    RecordResult<SpellExtras> extras;
    switch (kind) {
        case SpellExtrasKind::Enchantment: {
            SpellExtras::Enchantment e;
            extras = FieldReader(cursor, "SpellExtras::Enchantment")
                         .u64("duration", e.duration)
                         .u32("degrade_modifier", e.degrade_modifier)
                         .u32("degrade_limit", e.degrade_limit)
                         .finish(SpellExtras{e});
            break;
        }
        case SpellExtrasKind::PortalSummon: {
            SpellExtras::PortalSummon p;
            extras = FieldReader(cursor, "SpellExtras::PortalSummon")
                         .u64("portal_lifetime", p.portal_lifetime)
                         .finish(SpellExtras{p});
            break;
        }
        case SpellExtrasKind::None: extras = SpellExtras{SpellExtras::None{}}; break;
    }
    if (!extras) return std::unexpected(no_variant_matched(kind, extras.error()));
    return extras;
}

RecordResult<SpellBase> read_spell_base(ByteCursor& cursor) {
    SpellBase s;
    FieldReader r(cursor, "SpellBase");
    r.read("name", s.name, read_obfuscated_string)
        .align4("_align1")
        .read("description", s.description, read_obfuscated_string)
        .align4("_align2")
        .u32("school", s.school)
        .u32("icon_id", s.icon_id)
        .u32("category", s.category)
        .u32("bitfield", s.bitfield)
        .u32("base_mana", s.base_mana)
        .f32("base_range_constant", s.base_range_constant)
        .f32("base_range_mod", s.base_range_mod)
        .u32("power", s.power)
        .u32("spell_economy_mod", s.spell_economy_mod)
        .u32("formula_version", s.formula_version)
        .u32("component_loss", s.component_loss)
        .u32("meta_spell_type", s.meta_spell_type)
        .u32("meta_spell_id", s.meta_spell_id)
        .read("extras", s.extras, [&](ByteCursor& c) { return read_spell_extras(c, s.meta_spell_type); })
        .read("raw_components", s.raw_components,
              [](ByteCursor& c) -> RecordResult<std::array<std::uint32_t, 8>> {
                  std::array<std::uint32_t, 8> components{};
                  for (auto& component : components) {
                      auto value = c.u32();
                      if (!value) return std::unexpected(value.error());
                      component = *value;
                  }
                  return components;
              })
        .u32("caster_effect", s.caster_effect)
        .u32("target_effect", s.target_effect)
        .u32("fizzle_effect", s.fizzle_effect)
        .u64("recovery_interval", s.recovery_interval)
        .u32("recovery_amount", s.recovery_amount)
        .u32("display_order", s.display_order)
        .u32("non_component_target_type", s.non_component_target_type)
        .u32("mana_mod", s.mana_mod);
    return r.finish(std::move(s));
}

// The list grows as values are read; a damaged count fails at the end of
// the data instead of reserving room for all of it.
RecordResult<std::vector<std::uint32_t>> read_tier_spells(ByteCursor& cursor, std::int32_t count) {
    if (count < 0) return std::unexpected(RecordError::message(fmt::format("count {} out of range of usize", count)));
    std::vector<std::uint32_t> spells;
    spells.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(count),
                                                                    cursor.remaining() / 4)));
    for (std::int32_t i = 0; i < count; ++i) {
        auto value = cursor.u32();
        if (!value) return std::unexpected(value.error());
        spells.push_back(*value);
    }
    return spells;
}

RecordResult<SpellSetTiers> read_spell_set_tiers(ByteCursor& cursor) {
    SpellSetTiers t;
    FieldReader r(cursor, "SpellSetTiers");
    r.read("spell_count", t.spell_count, [](ByteCursor& c) { return c.i32(); })
        .read("spells", t.spells, [&](ByteCursor& c) { return read_tier_spells(c, t.spell_count); });
    return r.finish(std::move(t));
}

// Smallest encoded entries (key included), which bound how much room a
// keyed table may reserve for the bytes that are left.
constexpr std::uint64_t kMinSpellEntry = 4 + 2 + 2 + SpellBase::kFixedEncodedSize;
constexpr std::uint64_t kMinSpellSetEntry = 4 + 4;
constexpr std::uint64_t kMinTierEntry = 4 + 4;

RecordResult<SpellSet> read_spell_set(ByteCursor& cursor) {
    SpellSet set;
    FieldReader r(cursor, "SpellSet");
    r.read("tiers", set.tiers,
           [](ByteCursor& c) { return read_keyed_table<SpellSetTiers>(c, kMinTierEntry, read_spell_set_tiers); });
    return r.finish(std::move(set));
}

}  // namespace

SpellExtrasKind spell_extras_kind(std::uint32_t meta_spell_type) {
    if (meta_spell_type == 1 || meta_spell_type == 12) return SpellExtrasKind::Enchantment;
    if (meta_spell_type == 7) return SpellExtrasKind::PortalSummon;
    return SpellExtrasKind::None;
}

RecordResult<SpellTable> read_spell_table(ByteCursor& cursor) {
    SpellTable table;
    FieldReader r(cursor, "SpellTable");
    r.u32("id", table.id)
        .read("spells", table.spells,
              [](ByteCursor& c) { return read_keyed_table<SpellBase>(c, kMinSpellEntry, read_spell_base); })
        .read("spell_sets", table.spell_sets,
              [](ByteCursor& c) { return read_keyed_table<SpellSet>(c, kMinSpellSetEntry, read_spell_set); });
    return r.finish(std::move(table));
}

RecordResult<SpellTable> read_spell_table(std::span<const std::uint8_t> bytes) {
    ByteCursor cursor(bytes);
    return read_spell_table(cursor);
}

}  // namespace dat
