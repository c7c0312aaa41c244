#include <gtest/gtest.h>

#include <bit>
#include <limits>

#include <nlohmann/json.hpp>

#include "dat/records/spell_table.hpp"
#include "support/spell_table_builder.hpp"
#include "tools/spell_export.hpp"

namespace {

using tools::SpellExportField;
using tools::SpellExportPreset;
using tools::SpellExportRequest;
using tools::SpellSchool;
using enum tools::SpellExportField;

std::vector<std::string> keys_of(const std::vector<SpellExportField>& fields) {
    std::vector<std::string> keys;
    for (const auto field : fields) keys.emplace_back(tools::json_key(field));
    return keys;
}

TEST(SpellExportRequest, ResolvesFields) {
    const std::vector<std::string> base = {"name",  "description",         "school",         "category",
                                           "bitfield", "base_mana",        "base_range_constant", "base_range_mod",
                                           "power", "raw_components", "mana_mod", "formula_version"};
    const std::vector<std::string> minimal = {"name",     "description",         "school",         "category",
                                              "bitfield", "base_range_constant", "base_range_mod", "power"};
    struct Case {
        std::vector<SpellExportField> fields;
        SpellExportPreset preset;
        std::vector<std::string> keys;
    };
    const Case cases[] = {
        {{}, SpellExportPreset::Base, base},
        {{}, SpellExportPreset::Minimal, minimal},
        {{Power, Name, Power}, SpellExportPreset::Base, {"power", "name"}},
        {{ManaMod}, SpellExportPreset::Minimal, {"mana_mod"}},
        {{Power}, SpellExportPreset::Minimal, {"power"}},
        {{RawComponents, BaseMana, RawComponents, BaseMana, Name}, SpellExportPreset::Base,
         {"raw_components", "base_mana", "name"}},
    };
    for (const auto& c : cases) {
        const SpellExportRequest request{{}, {}, c.fields, c.preset};
        EXPECT_EQ(keys_of(request.resolved_fields()), c.keys);
    }
}

// Spells with chosen schools and categories; the rest from make_spell.
dat::SpellTable table_of(const std::vector<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>>& spells) {
    dat::SpellTable table;
    table.id = 0x0E00000E;
    for (const auto& [id, school, category] : spells) {
        dat::SpellBase spell = support::make_spell(id);
        spell.school = school;
        spell.category = category;
        table.spells.insert_or_assign(id, spell);
    }
    return table;
}

std::vector<std::uint32_t> exported_ids(const tools::SpellExportFile& file) {
    std::vector<std::uint32_t> ids;
    for (const auto& entry : file.spells) ids.push_back(entry.first);
    return ids;
}

TEST(SpellExport, SelectsBySchoolAndCategory) {
    const auto table = table_of({{1, 1, 3}, {2, 1, 4}, {3, 2, 3}, {4, 5, 3}, {5, 5, 9}, {6, 0, 3}, {7, 6, 3},
                                 {8, 3, 1}, {9, 4, 2}});
    struct Case {
        std::vector<SpellSchool> schools;
        std::vector<std::uint32_t> categories;
        std::vector<std::uint32_t> ids;
    };
    const Case cases[] = {
        {{}, {}, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {{SpellSchool::War, SpellSchool::Void}, {}, {1, 2, 4, 5}},
        {{SpellSchool::War, SpellSchool::Void}, {3}, {1, 4}},
        {{}, {3}, {1, 3, 4, 6, 7}},
        {{SpellSchool::Item, SpellSchool::Creature, SpellSchool::Life}, {}, {3, 8, 9}},
        {{SpellSchool::Life, SpellSchool::Life}, {3, 3, 2}, {3}},
        {{}, {77}, {}},
        {{SpellSchool::Creature}, {3}, {}},
    };
    for (const auto& c : cases) {
        const SpellExportRequest request{c.schools, c.categories, {}, SpellExportPreset::Minimal};
        const auto file = tools::export_spell_table(table, request);
        EXPECT_EQ(exported_ids(file), c.ids);
        EXPECT_EQ(file.file_id, 0x0E00000Eu);
        EXPECT_EQ(file.fields.size(), 8u);
    }
}

std::string pretty(const tools::SpellExportFile& file) {
    auto text = tools::to_pretty_json(file);
    EXPECT_TRUE(text.has_value());
    return text.value_or("");
}

TEST(SpellExport, WritesTheDocumentLayout) {
    dat::SpellTable table;
    table.id = 0x0E00000F;  // the id inside the data, whatever it was fetched as
    dat::SpellBase a;
    a.name = "Flame \"Bolt\"";
    a.school = 1;
    a.power = 150;
    a.base_range_mod = std::bit_cast<float>(0x7FC00001u);  // a NaN
    a.raw_components = {1, 2, 3, 0, 0, 0, 0, 4294967295u};
    dat::SpellBase b = a;
    b.name = "Heal";
    b.base_range_mod = 0.5f;
    b.base_range_constant = std::numeric_limits<float>::infinity();
    table.spells = {{100, a}, {10, b}, {9, b}};

    const SpellExportRequest request{{}, {}, {Power, Name, BaseRangeMod, RawComponents, Power}, {}};
    const auto file = tools::export_spell_table(table, request);
    EXPECT_EQ(pretty(file),
              R"({
  "fileId": 234881039,
  "fields": [
    "power",
    "name",
    "base_range_mod",
    "raw_components"
  ],
  "spells": {
    "9": {
      "base_range_mod": 0.5,
      "name": "Heal",
      "power": 150,
      "raw_components": [
        1,
        2,
        3,
        0,
        0,
        0,
        0,
        4294967295
      ]
    },
    "10": {
      "base_range_mod": 0.5,
      "name": "Heal",
      "power": 150,
      "raw_components": [
        1,
        2,
        3,
        0,
        0,
        0,
        0,
        4294967295
      ]
    },
    "100": {
      "base_range_mod": null,
      "name": "Flame \"Bolt\"",
      "power": 150,
      "raw_components": [
        1,
        2,
        3,
        0,
        0,
        0,
        0,
        4294967295
      ]
    }
  }
})");

    const SpellExportRequest none_match{{}, {12345}, {BaseRangeConstant}, {}};
    EXPECT_EQ(pretty(tools::export_spell_table(table, none_match)),
              "{\n  \"fileId\": 234881039,\n  \"fields\": [\n    \"base_range_constant\"\n  ],\n  \"spells\": {}\n}");
    const SpellExportRequest infinite{{}, {}, {BaseRangeConstant}, {}};
    EXPECT_EQ(tools::export_spell_table(table, infinite).spells.at(9).at("base_range_constant"),
              tools::json::Value(tools::json::Null{}));
}

TEST(SpellExport, MinimalPresetOrdersMembersByKey) {
    dat::SpellTable table;
    table.spells = {{1, support::make_spell(1)}};
    const auto text = pretty(tools::export_spell_table(table, {{}, {}, {}, SpellExportPreset::Minimal}));
    const auto spell = nlohmann::ordered_json::parse(text).at("spells").at("1");
    std::vector<std::string> keys;
    for (const auto& item : spell.items()) keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"base_range_constant", "base_range_mod", "bitfield", "category",
                                              "description", "name", "power", "school"}));
}

// Every value of every spell, read back by a real JSON parser.
void expect_spell(const nlohmann::json& json, const dat::SpellBase& spell) {
    EXPECT_EQ(json.at("name").get<std::string>(), spell.name);
    EXPECT_EQ(json.at("description").get<std::string>(), spell.description);
    EXPECT_EQ(json.at("school").get<std::uint32_t>(), spell.school);
    EXPECT_EQ(json.at("category").get<std::uint32_t>(), spell.category);
    EXPECT_EQ(json.at("bitfield").get<std::uint32_t>(), spell.bitfield);
    EXPECT_EQ(json.at("base_mana").get<std::uint32_t>(), spell.base_mana);
    EXPECT_EQ(json.at("base_range_constant").get<double>(), static_cast<double>(spell.base_range_constant));
    EXPECT_EQ(json.at("base_range_mod").get<double>(), static_cast<double>(spell.base_range_mod));
    EXPECT_EQ(json.at("power").get<std::uint32_t>(), spell.power);
    EXPECT_EQ(json.at("raw_components").get<std::vector<std::uint32_t>>(),
              std::vector<std::uint32_t>(spell.raw_components.begin(), spell.raw_components.end()));
    EXPECT_EQ(json.at("mana_mod").get<std::uint32_t>(), spell.mana_mod);
    EXPECT_EQ(json.at("formula_version").get<std::uint32_t>(), spell.formula_version);
    EXPECT_EQ(json.size(), 12u);
}

TEST(SpellExport, TenThousandSpellsExportFromTableBytes) {
    // Ids descend in the data so that the document has to order them.
    auto spells = support::make_spells(10000, 1);
    std::reverse(spells.begin(), spells.end());
    const auto bytes = support::SpellTableBuilder(0x0E00000E).spells(spells).build();
    const auto table = dat::read_spell_table(bytes);
    ASSERT_TRUE(table.has_value()) << table.error().describe();

    const auto file = tools::export_spell_table(*table, {});
    const auto text = pretty(file);
    const auto json = nlohmann::ordered_json::parse(text);
    EXPECT_EQ(json.at("fileId").get<std::uint32_t>(), 0x0E00000Eu);
    EXPECT_EQ(json.at("fields").size(), 12u);
    const auto& exported = json.at("spells");
    ASSERT_EQ(exported.size(), 10000u);
    std::uint32_t expected_id = 1;
    for (const auto& item : exported.items()) {
        ASSERT_EQ(item.key(), std::to_string(expected_id));
        expect_spell(item.value(), support::make_spell(expected_id));
        ++expected_id;
    }
}

}  // namespace
