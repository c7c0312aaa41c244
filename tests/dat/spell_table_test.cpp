#include <gtest/gtest.h>

#include <fmt/format.h>

#include "dat/records/spell_table.hpp"
#include "support/spell_table_builder.hpp"

namespace {

using Bytes = std::vector<std::uint8_t>;
using dat::SpellExtras;
using dat::SpellExtrasKind;

dat::SpellTable decode(const Bytes& bytes) {
    auto table = dat::read_spell_table(bytes);
    EXPECT_TRUE(table.has_value()) << (table ? "" : table.error().describe());
    return table ? std::move(*table) : dat::SpellTable{};
}

std::string decode_error(const Bytes& bytes) {
    auto table = dat::read_spell_table(bytes);
    return table ? "decoded" : table.error().describe();
}

dat::SpellBase spell_with_meta(std::uint32_t meta_spell_type) {
    dat::SpellBase s = support::make_spell(3);
    s.meta_spell_type = meta_spell_type;
    switch (dat::spell_extras_kind(meta_spell_type)) {
        case SpellExtrasKind::Enchantment: s.extras.variant = SpellExtras::Enchantment{0x1122334455667788, 7, 9}; break;
        case SpellExtrasKind::PortalSummon: s.extras.variant = SpellExtras::PortalSummon{0xAABBCCDDEEFF0011}; break;
        case SpellExtrasKind::None: s.extras.variant = SpellExtras::None{}; break;
    }
    return s;
}

TEST(SpellTable, EmptyTableIsTwelveBytes) {
    const Bytes bytes = support::SpellTableBuilder(0x0E00000E).ignored_u16(0xBEEF).build();
    ASSERT_EQ(bytes.size(), 12u);
    const auto table = decode(bytes);
    EXPECT_EQ(table.id, 0x0E00000Eu);
    EXPECT_TRUE(table.spells.empty());
    EXPECT_TRUE(table.spell_sets.empty());
}

TEST(SpellTable, DecodesSpellsOfEverySchoolVariantAndNameLength) {
    const auto spells = support::make_spells(60, 100);
    Bytes bytes = support::SpellTableBuilder(0x0E00000E)
                      .ignored_u16(0x1234)
                      .spells(spells)
                      .spell_set(40, {{1, {100, 101, 102}}, {2, {}}, {9, {159}}})
                      .spell_set(41, {})
                      .build();
    bytes.insert(bytes.end(), {0xDE, 0xAD, 0xBE});  // bytes after the sets are not read

    const auto table = decode(bytes);
    EXPECT_EQ(table.id, 0x0E00000Eu);
    ASSERT_EQ(table.spells.size(), spells.size());
    for (const auto& [id, spell] : spells) EXPECT_EQ(table.spells.at(id), spell) << "spell " << id;
    ASSERT_EQ(table.spell_sets.size(), 2u);
    const auto& tiers = table.spell_sets.at(40).tiers;
    ASSERT_EQ(tiers.size(), 3u);
    EXPECT_EQ(tiers.at(1), (dat::SpellSetTiers{3, {100, 101, 102}}));
    EXPECT_EQ(tiers.at(2), (dat::SpellSetTiers{0, {}}));
    EXPECT_EQ(tiers.at(9), (dat::SpellSetTiers{1, {159}}));
    EXPECT_TRUE(table.spell_sets.at(41).tiers.empty());
}

// The padding after each string is skipped, not read: filling it with
// non-zero bytes must not change what decodes.
TEST(SpellTable, AlignsAfterEachStringFromTheStartOfTheTable) {
    for (std::size_t name_length = 0; name_length < 8; ++name_length) {
        for (std::size_t description_length = 0; description_length < 4; ++description_length) {
            dat::SpellBase s = spell_with_meta(0);
            s.name = std::string(name_length, 'n');
            s.description = std::string(description_length, 'd');
            std::vector<support::EncodedField> layout;
            Bytes bytes = support::SpellTableBuilder().spell(1, s).build(&layout);

            // Spell bytes start at 12; the name's text at 14.
            const std::uint64_t name_end = 14 + name_length;
            const std::uint64_t description_start = (name_end + 3) / 4 * 4;
            const std::uint64_t description_end = description_start + 2 + description_length;
            const std::uint64_t fixed_start = (description_end + 3) / 4 * 4;
            for (auto at = name_end; at < description_start; ++at) bytes[at] = 0xEE;
            for (auto at = description_end; at < fixed_start; ++at) bytes[at] = 0xEE;
            // The fixed part is 120 bytes, followed by the 4-byte empty set table.
            ASSERT_EQ(bytes.size(), fixed_start + dat::SpellBase::kFixedEncodedSize + 4);

            const auto table = decode(bytes);
            ASSERT_EQ(table.spells.size(), 1u);
            EXPECT_EQ(table.spells.at(1), s) << "name " << name_length << ", description " << description_length;
        }
    }
}

TEST(SpellTable, MetaSpellTypeSelectsTheExtras) {
    struct Case {
        std::uint32_t meta_spell_type;
        std::size_t extras_size;
    };
    const Case cases[] = {{0, 0},  {1, 16}, {2, 0},  {6, 0},  {7, 8},           {8, 0},
                          {11, 0}, {12, 16}, {13, 0}, {0x80000001u, 0}, {0xFFFFFFFFu, 0}};
    const std::size_t none_size = support::SpellTableBuilder().spell(1, spell_with_meta(0)).build().size();
    for (const auto& c : cases) {
        const dat::SpellBase s = spell_with_meta(c.meta_spell_type);
        const Bytes bytes = support::SpellTableBuilder().spell(1, s).spell_set(2, {{3, {4}}}).build();
        EXPECT_EQ(bytes.size(), none_size + 20 + c.extras_size) << c.meta_spell_type;  // 20: the one set
        const auto table = decode(bytes);
        EXPECT_EQ(table.spells.at(1), s) << c.meta_spell_type;
        EXPECT_EQ(table.spell_sets.at(2).tiers.at(3).spells, std::vector<std::uint32_t>{4});
    }
}

TEST(SpellTable, LaterDuplicateKeysReplaceEarlierOnes) {
    dat::SpellBase first = spell_with_meta(1);
    first.name = "first";
    dat::SpellBase second = spell_with_meta(7);
    second.name = "second";
    const Bytes bytes = support::SpellTableBuilder()
                            .spell(5, first)
                            .spell(6, first)
                            .spell(5, second)
                            .spell_set(9, {{1, {10}}, {1, {11, 12}}})
                            .spell_set(9, {{2, {20}}})
                            .build();
    const auto table = decode(bytes);
    ASSERT_EQ(table.spells.size(), 2u);
    EXPECT_EQ(table.spells.at(5), second);
    EXPECT_EQ(table.spells.at(6), first);
    ASSERT_EQ(table.spell_sets.size(), 1u);
    const auto& tiers = table.spell_sets.at(9).tiers;
    ASSERT_EQ(tiers.size(), 1u);
    EXPECT_EQ(tiers.at(2).spells, std::vector<std::uint32_t>{20});

    const Bytes tiers_twice = support::SpellTableBuilder().spell_set(9, {{1, {10}}, {1, {11, 12}}}).build();
    EXPECT_EQ(decode(tiers_twice).spell_sets.at(9).tiers.at(1), (dat::SpellSetTiers{2, {11, 12}}));
}

TEST(SpellTable, NonAsciiTextDecodesAsWindows1252) {
    dat::SpellBase s = spell_with_meta(0);
    s.name = "Caf\xE9 \x80";
    s.description = "\xEF\xBB\xBF\xC3\xA9";  // UTF-8 after a byte-order mark
    const auto table = decode(support::SpellTableBuilder().spell(1, s).build());
    EXPECT_EQ(table.spells.at(1).name, "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(table.spells.at(1).description, "\xC3\xA9");
}

TEST(SpellTable, TierCounts) {
    const std::string context =
        "\nWhile parsing field 'spells' in SpellSetTiers"
        "\nWhile parsing field 'tiers' in SpellSet"
        "\nWhile parsing field 'spell_sets' in SpellTable";
    const Bytes negative = support::SpellTableBuilder().spell_set(1, {{1, {5, 6}, -1}}).build();
    EXPECT_EQ(decode_error(negative), "count -1 out of range of usize" + context);
    const Bytes most_negative = support::SpellTableBuilder().spell_set(1, {{1, {}, INT32_MIN}}).build();
    EXPECT_EQ(decode_error(most_negative), "count -2147483648 out of range of usize" + context);
    // A huge count fails at the end of the data, without reserving room for it.
    const Bytes huge = support::SpellTableBuilder().spell_set(1, {{1, {5, 6}, INT32_MAX}}).build();
    EXPECT_EQ(decode_error(huge), "failed to fill whole buffer" + context);
}

std::string variant_failure(SpellExtrasKind selected, const std::string& inner) {
    const std::string reasons[] = {
        "assertion failed: `meta_spell_type == 1 || meta_spell_type == 12`",
        "assertion failed: `meta_spell_type == 7`",
        "assertion failed: `meta_spell_type != 1 && meta_spell_type != 12 && meta_spell_type != 7`",
    };
    const char* names[] = {"Enchantment", "PortalSummon", "None"};
    std::string text = "no variant of SpellExtras matched";
    for (int i = 0; i < 3; ++i) {
        text += fmt::format("\n{}: ", names[i]);
        text += static_cast<int>(selected) == i ? "failed to fill whole buffer\n  " + inner : reasons[i];
    }
    return text;
}

// What a table cut inside `field` must report.
std::string expected_failure(const support::EncodedField& field) {
    std::string text;
    std::size_t next = 0;
    if (field.extras) {
        text = variant_failure(*field.extras, field.context[0]);
        next = 1;
    } else {
        text = "failed to fill whole buffer";
    }
    for (; next < field.context.size(); ++next) text += "\n" + field.context[next];
    return text;
}

// Cuts the table at every length short of complete: each cut fails in the
// field that runs past the end, with the context of every enclosing record.
TEST(SpellTable, EveryTruncationNamesItsFieldAndRecords) {
    dat::SpellBase odd_name = spell_with_meta(12);
    odd_name.name = "abc";  // ends at 4k + 1
    odd_name.description = "de";
    std::vector<support::EncodedField> layout;
    const Bytes bytes = support::SpellTableBuilder()
                            .spell(1, odd_name)
                            .spell(2, spell_with_meta(7))
                            .spell(3, spell_with_meta(0))
                            .spell_set(7, {{1, {1, 2}}, {2, {3}}})
                            .build(&layout);
    ASSERT_EQ(layout.back().end, bytes.size());

    std::size_t field = 0;
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        while (layout[field].end <= cut) ++field;
        const Bytes truncated(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
        ASSERT_EQ(decode_error(truncated), expected_failure(layout[field])) << "cut at " << cut;
    }
}

TEST(SpellTable, TruncationExamplesReadAsExpected) {
    std::vector<support::EncodedField> layout;
    const Bytes bytes = support::SpellTableBuilder().spell(1, spell_with_meta(7)).build(&layout);
    auto cut_before = [&](std::string_view line) {
        for (std::size_t i = 0; i < layout.size(); ++i) {
            if (layout[i].context[0] == line) return Bytes(bytes.begin(), bytes.begin() + layout[i].end - 1);
        }
        ADD_FAILURE() << "no field " << line;
        return Bytes{};
    };
    EXPECT_EQ(decode_error(cut_before("While parsing field 'power' in SpellBase")),
              "failed to fill whole buffer\n"
              "While parsing field 'power' in SpellBase\n"
              "While parsing field 'spells' in SpellTable");
    EXPECT_EQ(decode_error(cut_before("While parsing field 'mana_mod' in SpellBase")),
              "failed to fill whole buffer\n"
              "While parsing field 'mana_mod' in SpellBase\n"
              "While parsing field 'spells' in SpellTable");
    EXPECT_EQ(decode_error(cut_before("While parsing field 'portal_lifetime' in SpellExtras::PortalSummon")),
              "no variant of SpellExtras matched\n"
              "Enchantment: assertion failed: `meta_spell_type == 1 || meta_spell_type == 12`\n"
              "PortalSummon: failed to fill whole buffer\n"
              "  While parsing field 'portal_lifetime' in SpellExtras::PortalSummon\n"
              "None: assertion failed: `meta_spell_type != 1 && meta_spell_type != 12 && meta_spell_type != 7`\n"
              "While parsing field 'extras' in SpellBase\n"
              "While parsing field 'spells' in SpellTable");
    EXPECT_EQ(decode_error({0x0E, 0x00}), "failed to fill whole buffer\nWhile parsing field 'id' in SpellTable");
}

}  // namespace
