#include "spell_table_builder.hpp"

#include <bit>
#include <cstring>

#include <fmt/format.h>

namespace support {
namespace {

// Appends little-endian values and notes, for each field, where it ends
// and which context lines a cut inside it reports.
class LayoutWriter {
public:
    explicit LayoutWriter(std::vector<EncodedField>* layout) : layout_(layout) {}

    // Runs `write` with "While parsing field '{field}' in {record}" as the
    // innermost context line.
    template <class F>
    void within(std::string_view field, std::string_view record, F&& write) {
        context_.push_back(fmt::format("While parsing field '{}' in {}", field, record));
        write();
        context_.pop_back();
    }

    // A field made of the bytes written by `write`.
    template <class F>
    void field(std::string_view name, std::string_view record, F&& write) {
        within(name, record, [&] {
            write();
            leaf();
        });
    }

    // A value with no field of its own (a table count, a key): a cut in it
    // reports the enclosing lines.
    template <class F>
    void unnamed(F&& write) {
        write();
        leaf();
    }

    void u16(std::uint16_t v) { put(v); }
    void u32(std::uint32_t v) { put(v); }
    void i32(std::int32_t v) { put(v); }
    void u64(std::uint64_t v) { put(v); }
    void f32(float v) { put(std::bit_cast<std::uint32_t>(v)); }
    void raw(const std::string& bytes) { out_.insert(out_.end(), bytes.begin(), bytes.end()); }

    // Zero bytes up to the next multiple of 4; they belong to the next field.
    void align4() {
        while (out_.size() % 4 != 0) out_.push_back(0);
    }

    void set_extras(std::optional<dat::SpellExtrasKind> kind) { extras_ = kind; }
    std::vector<std::uint8_t> take() { return std::move(out_); }

private:
    template <class T>
    void put(T v) {
        std::uint8_t bytes[sizeof(T)];
        std::memcpy(bytes, &v, sizeof(T));
        out_.insert(out_.end(), bytes, bytes + sizeof(T));
    }

    void leaf() {
        if (!layout_) return;
        layout_->push_back({out_.size(), {context_.rbegin(), context_.rend()}, extras_});
    }

    std::vector<EncodedField>* layout_;
    std::vector<std::uint8_t> out_;
    std::vector<std::string> context_;  // outermost first
    std::optional<dat::SpellExtrasKind> extras_;
};

void write_obfuscated(LayoutWriter& w, const std::string& text) {
    w.u16(static_cast<std::uint16_t>(text.size()));
    std::string swapped = text;
    for (char& c : swapped) {
        const auto b = static_cast<std::uint8_t>(c);
        c = static_cast<char>(static_cast<std::uint8_t>((b << 4) | (b >> 4)));
    }
    w.raw(swapped);
}

void write_extras(LayoutWriter& w, const dat::SpellExtras& extras) {
    if (const auto* e = std::get_if<dat::SpellExtras::Enchantment>(&extras.variant)) {
        constexpr std::string_view record = "SpellExtras::Enchantment";
        w.set_extras(dat::SpellExtrasKind::Enchantment);
        w.field("duration", record, [&] { w.u64(e->duration); });
        w.field("degrade_modifier", record, [&] { w.u32(e->degrade_modifier); });
        w.field("degrade_limit", record, [&] { w.u32(e->degrade_limit); });
    } else if (const auto* p = std::get_if<dat::SpellExtras::PortalSummon>(&extras.variant)) {
        w.set_extras(dat::SpellExtrasKind::PortalSummon);
        w.field("portal_lifetime", "SpellExtras::PortalSummon", [&] { w.u64(p->portal_lifetime); });
    }
    w.set_extras(std::nullopt);
}

void write_spell(LayoutWriter& w, const dat::SpellBase& s) {
    constexpr std::string_view record = "SpellBase";
    auto u32 = [&](std::string_view name, std::uint32_t v) { w.field(name, record, [&] { w.u32(v); }); };
    w.field("name", record, [&] { write_obfuscated(w, s.name); });
    w.align4();
    w.field("description", record, [&] { write_obfuscated(w, s.description); });
    w.align4();
    u32("school", s.school);
    u32("icon_id", s.icon_id);
    u32("category", s.category);
    u32("bitfield", s.bitfield);
    u32("base_mana", s.base_mana);
    w.field("base_range_constant", record, [&] { w.f32(s.base_range_constant); });
    w.field("base_range_mod", record, [&] { w.f32(s.base_range_mod); });
    u32("power", s.power);
    u32("spell_economy_mod", s.spell_economy_mod);
    u32("formula_version", s.formula_version);
    u32("component_loss", s.component_loss);
    u32("meta_spell_type", s.meta_spell_type);
    u32("meta_spell_id", s.meta_spell_id);
    w.within("extras", record, [&] { write_extras(w, s.extras); });
    w.field("raw_components", record, [&] {
        for (const std::uint32_t c : s.raw_components) w.u32(c);
    });
    u32("caster_effect", s.caster_effect);
    u32("target_effect", s.target_effect);
    u32("fizzle_effect", s.fizzle_effect);
    w.field("recovery_interval", record, [&] { w.u64(s.recovery_interval); });
    u32("recovery_amount", s.recovery_amount);
    u32("display_order", s.display_order);
    u32("non_component_target_type", s.non_component_target_type);
    u32("mana_mod", s.mana_mod);
}

void write_tiers(LayoutWriter& w, const SpellTierSpec& tier) {
    constexpr std::string_view record = "SpellSetTiers";
    const std::int32_t count = tier.spell_count.value_or(static_cast<std::int32_t>(tier.spells.size()));
    w.field("spell_count", record, [&] { w.i32(count); });
    w.field("spells", record, [&] {
        for (const std::uint32_t spell : tier.spells) w.u32(spell);
    });
}

// A count, the ignored u16, then each entry as its key and its value.
template <class Entries, class WriteEntry>
void write_keyed_table(LayoutWriter& w, std::uint16_t ignored, const Entries& entries, WriteEntry&& write_entry) {
    w.unnamed([&] { w.u16(static_cast<std::uint16_t>(entries.size())); });
    w.unnamed([&] { w.u16(ignored); });
    for (const auto& entry : entries) write_entry(entry);
}

}  // namespace

SpellTableBuilder& SpellTableBuilder::spell(std::uint32_t id, const dat::SpellBase& spell) {
    spells_.emplace_back(id, spell);
    return *this;
}

SpellTableBuilder& SpellTableBuilder::spells(const std::vector<std::pair<std::uint32_t, dat::SpellBase>>& spells) {
    spells_.insert(spells_.end(), spells.begin(), spells.end());
    return *this;
}

SpellTableBuilder& SpellTableBuilder::spell_set(std::uint32_t id, std::vector<SpellTierSpec> tiers) {
    sets_.push_back({id, std::move(tiers)});
    return *this;
}

SpellTableBuilder& SpellTableBuilder::ignored_u16(std::uint16_t value) {
    ignored_ = value;
    return *this;
}

std::vector<std::uint8_t> SpellTableBuilder::build(std::vector<EncodedField>* layout) const {
    if (layout) layout->clear();
    LayoutWriter w(layout);
    constexpr std::string_view record = "SpellTable";
    w.field("id", record, [&] { w.u32(table_id_); });
    w.within("spells", record, [&] {
        write_keyed_table(w, ignored_, spells_, [&](const auto& entry) {
            w.unnamed([&] { w.u32(entry.first); });
            write_spell(w, entry.second);
        });
    });
    w.within("spell_sets", record, [&] {
        write_keyed_table(w, ignored_, sets_, [&](const SetSpec& set) {
            w.unnamed([&] { w.u32(set.id); });
            w.within("tiers", "SpellSet", [&] {
                write_keyed_table(w, ignored_, set.tiers, [&](const SpellTierSpec& tier) {
                    w.unnamed([&] { w.u32(tier.key); });
                    write_tiers(w, tier);
                });
            });
        });
    });
    return w.take();
}

dat::SpellBase make_spell(std::uint32_t seed) {
    static constexpr std::uint32_t kMetaTypes[] = {1, 7, 0, 12, 3, 0xFFFFFFFF};
    dat::SpellBase s;
    s.name = fmt::format("Spell {}", seed);
    while (s.name.size() % 4 != seed % 4) s.name += '*';
    // Quotes, a tab and a backslash, so exports show JSON escapes.
    s.description =
        (seed / 4) % 4 == 0 ? std::string() : fmt::format("Adds {} \"motes\" per turn;\tstacks \\ fades", seed % 50);
    while (s.description.size() % 4 != (seed / 4) % 4) s.description += '.';
    s.school = seed % 5 + 1;
    s.icon_id = 0x06000000 + seed;
    s.category = seed % 7 + 1;
    s.bitfield = seed * 0x01010101u;
    s.base_mana = 5 + seed % 300;
    s.base_range_constant = 0.25f * static_cast<float>(seed % 200);
    s.base_range_mod = 0.1f * static_cast<float>(seed % 10);
    s.power = 10 * (seed % 40);
    s.spell_economy_mod = 0x3F800000;
    s.formula_version = 1 + seed % 3;
    s.component_loss = 0x3DCCCCCD;
    s.meta_spell_type = kMetaTypes[seed % std::size(kMetaTypes)];
    s.meta_spell_id = seed;
    switch (dat::spell_extras_kind(s.meta_spell_type)) {
        case dat::SpellExtrasKind::Enchantment:
            s.extras.variant = dat::SpellExtras::Enchantment{3600ull * (seed % 5 + 1), 0x3F000000, 0x3F800000};
            break;
        case dat::SpellExtrasKind::PortalSummon:
            s.extras.variant = dat::SpellExtras::PortalSummon{0x4082C00000000000ull + seed};
            break;
        case dat::SpellExtrasKind::None: s.extras.variant = dat::SpellExtras::None{}; break;
    }
    for (std::uint32_t i = 0; i < 8; ++i) s.raw_components[i] = i < seed % 9 ? 1 + (seed + i) % 200 : 0;
    s.caster_effect = seed % 30;
    s.target_effect = seed % 40;
    s.fizzle_effect = 1;
    s.recovery_interval = 0x4024000000000000ull;
    s.recovery_amount = 0x3F800000;
    s.display_order = seed;
    s.non_component_target_type = 0x10;
    s.mana_mod = seed % 15;
    return s;
}

std::vector<std::pair<std::uint32_t, dat::SpellBase>> make_spells(std::size_t count, std::uint32_t first_id) {
    std::vector<std::pair<std::uint32_t, dat::SpellBase>> spells;
    spells.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto id = first_id + static_cast<std::uint32_t>(i);
        spells.emplace_back(id, make_spell(id));
    }
    return spells;
}

}  // namespace support
