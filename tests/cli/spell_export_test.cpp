#include <gtest/gtest.h>

#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "cli_fixture.hpp"
#include "dat/records/spell_table.hpp"
#include "support/spell_table_builder.hpp"
#include "tools/spell_export.hpp"

namespace {

using cli_test::Expected;

constexpr std::uint32_t kSpellTableId = 0x0E00000E;

class SpellExportCommand : public cli_test::ToolFixture {
protected:
    // A portal DAT holding `table` as the spell table, plus another file.
    std::string write_portal(const std::string& name, const dat::Bytes& table) const {
        support::DatBuilder builder(1024, 1);
        builder.add_file(0x06000001, dat::Bytes(40, 0xAB));
        builder.add_file(kSpellTableId, table);
        return write_dat(name, builder);
    }

    // What the library makes of `spells` for `request`, as the command prints it.
    static std::string document(const std::vector<std::pair<std::uint32_t, dat::SpellBase>>& spells,
                                const tools::SpellExportRequest& request) {
        const auto table = dat::read_spell_table(support::SpellTableBuilder(kSpellTableId).spells(spells).build());
        return tools::to_pretty_json(tools::export_spell_table(table.value(), request)).value() + "\n";
    }

    std::vector<std::pair<std::uint32_t, dat::SpellBase>> spells = support::make_spells(60, 2000);
    dat::Bytes table = support::SpellTableBuilder(kSpellTableId).spells(spells).spell_set(1, {{1, {2000}}}).build();
};

TEST_F(SpellExportCommand, PrintsTheDocument) {
    dat::SpellBase bolt = support::make_spell(5);
    bolt.name = "Bolt";
    bolt.description = "Deals \"fire\"";
    bolt.school = 1;
    bolt.category = 3;
    bolt.power = 150;
    bolt.base_range_constant = 0.1f;
    bolt.base_range_mod = std::bit_cast<float>(0x7FC00000u);
    dat::SpellBase heal = bolt;
    heal.name = "Heal";
    heal.school = 2;
    heal.base_range_constant = 2.0f;
    const auto dat = write_portal("portal.dat", support::SpellTableBuilder(0x0E00000Fu)
                                                    .spell(10, bolt)
                                                    .spell(9, heal)
                                                    .build());
    expect_run({"spell-export", dat, "--fields", "power,name", "--fields", "base-range-constant,base-range-mod"},
               {0, R"({
  "fileId": 234881039,
  "fields": [
    "power",
    "name",
    "base_range_constant",
    "base_range_mod"
  ],
  "spells": {
    "9": {
      "base_range_constant": 2.0,
      "base_range_mod": null,
      "name": "Heal",
      "power": 150
    },
    "10": {
      "base_range_constant": 0.10000000149011612,
      "base_range_mod": null,
      "name": "Bolt",
      "power": 150
    }
  }
}
)",
                "" });
}

TEST_F(SpellExportCommand, SelectsSpellsAndFieldsFromTheOptions) {
    const auto dat = write_portal("portal.dat", table);
    using enum tools::SpellExportField;
    using tools::SpellSchool;
    struct Case {
        std::vector<std::string> options;
        tools::SpellExportRequest request;
    };
    const Case cases[] = {
        {{}, {}},
        {{"--preset", "minimal"}, {{}, {}, {}, tools::SpellExportPreset::Minimal}},
        {{"--preset", "minimal", "--fields", "power"}, {{}, {}, {Power}, tools::SpellExportPreset::Minimal}},
        {{"--schools", "war,void", "--categories", "3"}, {{SpellSchool::War, SpellSchool::Void}, {3}, {}, {}}},
        {{"--schools", "life", "--schools", "item", "--fields", "raw-components,base-mana,mana-mod,formula-version"},
         {{SpellSchool::Life, SpellSchool::Item}, {}, {RawComponents, BaseMana, ManaMod, FormulaVersion}, {}}},
        {{"--categories", "99"}, {{}, {99}, {}, {}}},
        {{"--namespace", "", "--schools", "creature"}, {{SpellSchool::Creature}, {}, {}, {}}},  // ignored by a DAT
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"spell-export", dat};
        args.insert(args.end(), c.options.begin(), c.options.end());
        expect_run(args, {0, document(spells, c.request), ""});
    }

    // Every spell with all twelve fields, read back by a real parser.
    const auto json = nlohmann::json::parse(run({"spell-export", dat}).out);
    EXPECT_EQ(json.at("fields").size(), 12u);
    ASSERT_EQ(json.at("spells").size(), spells.size());
    for (const auto& [id, spell] : spells) {
        const auto& item = json.at("spells").at(std::to_string(id));
        EXPECT_EQ(item.at("name").get<std::string>(), spell.name);
        EXPECT_EQ(item.at("base_range_mod").get<double>(), static_cast<double>(spell.base_range_mod));
    }
    EXPECT_EQ(nlohmann::json::parse(run({"spell-export", dat, "--categories", "99"}).out).at("spells"),
              nlohmann::json::object());
}

TEST_F(SpellExportCommand, WritesTheFileThatStandardOutputShows) {
    const auto dat = write_portal("portal.dat", table);
    const std::string printed = run({"spell-export", dat, "--schools", "war"}).out;
    const std::size_t war_spells = 12;  // every fifth of the 60

    expect_run({"spell-export", dat, "--schools", "war", "-o", "out/deep/spells.json"},
               {0, fmt::format("wrote {} spells with 12 fields to out/deep/spells.json\n", war_spells), ""});
    EXPECT_EQ(support::read_text(path("out/deep/spells.json")), printed);

    // A bare file name, and replacing an existing file's whole contents.
    support::write_text(path("spells.json"), std::string(100000, 'x'));
    expect_run({"spell-export", dat, "--schools", "war", "--output", "spells.json"},
               {0, fmt::format("wrote {} spells with 12 fields to spells.json\n", war_spells), ""});
    EXPECT_EQ(support::read_text(path("spells.json")), printed);

    expect_run({"spell-export", dat, "--preset", "minimal", "--categories", "99", "-o", "./none.json"},
               {0, "wrote 0 spells with 8 fields to ./none.json\n", ""});
    EXPECT_EQ(nlohmann::json::parse(support::read_text(path("none.json"))).at("spells"), nlohmann::json::object());

    // Bytes of the path that are not UTF-8 show as U+FFFD in the report.
    expect_run({"spell-export", dat, "-o", "caf\xE9.json"},
               {0, "wrote 60 spells with 12 fields to caf\xEF\xBF\xBD.json\n", ""});
    EXPECT_TRUE(std::filesystem::exists(path("caf\xE9.json")));
}

TEST_F(SpellExportCommand, NewDirectoriesGetMode0777LessTheUmask) {
    const auto dat = write_portal("portal.dat", table);
    ASSERT_EQ(run({"spell-export", dat, "-o", "a/b/spells.json"}).status, 0);
    struct stat st {};
    ASSERT_EQ(::stat(path("a/b").c_str(), &st), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0777 & ~mask);
}

TEST_F(SpellExportCommand, ReportsOutputPathsThatCannotBeWritten) {
    const auto dat = write_portal("portal.dat", table);
    support::write_text(path("blocker"), "a file");
    std::filesystem::create_directory(path("taken.json"));
    struct Case {
        std::string output;
        std::string err;
    };
    const Case cases[] = {
        {"blocker/spells.json", "Error: could not create blocker\n\nCaused by:\n    File exists (os error 17)\n"},
        {"blocker/sub/spells.json",
         "Error: could not create blocker/sub\n\nCaused by:\n    Not a directory (os error 20)\n"},
        {"taken.json", "Error: could not write taken.json\n\nCaused by:\n    Is a directory (os error 21)\n"},
        // A trailing slash or "." does not make the last component a directory to create.
        {"made/taken.json/", "Error: could not write made/taken.json/\n\nCaused by:\n    Is a directory (os error 21)\n"},
        {"pp/x/.", "Error: could not write pp/x/.\n\nCaused by:\n    No such file or directory (os error 2)\n"},
    };
    for (const auto& c : cases) expect_run({"spell-export", dat, "-o", c.output}, {1, "", c.err});
    // Directories made before the write failed stay.
    EXPECT_TRUE(std::filesystem::is_directory(path("made")));
    EXPECT_TRUE(std::filesystem::is_directory(path("pp")));
    EXPECT_FALSE(std::filesystem::exists(path("made/taken.json")));
    EXPECT_FALSE(std::filesystem::exists(path("pp/x")));
}

TEST_F(SpellExportCommand, ReportsAMissingOrDamagedTable) {
    support::DatBuilder without;
    without.add_file(0x06000001, dat::Bytes(8, 1));
    const auto empty = write_dat("empty.dat", without);
    expect_run({"spell-export", empty, "-o", "out/spells.json"},
               {1, "", "Error: File ID 0E00000E not found in provider\n"});
    EXPECT_FALSE(std::filesystem::exists(path("out")));

    std::vector<support::EncodedField> layout;
    const auto bytes = support::SpellTableBuilder().spell(1, support::make_spell(1)).build(&layout);
    std::size_t power_end = 0;
    for (const auto& field : layout) {
        if (field.context[0] == "While parsing field 'power' in SpellBase") power_end = field.end;
    }
    const auto cut = write_portal("cut.dat", dat::Bytes(bytes.begin(), bytes.begin() + power_end - 2));
    expect_run({"spell-export", cut},
               {1, "",
                "Error: failed to fill whole buffer\n"
                "While parsing field 'power' in SpellBase\n"
                "While parsing field 'spells' in SpellTable\n"});

    const auto sets = write_portal("sets.dat", support::SpellTableBuilder().spell_set(4, {{1, {}, -3}}).build());
    expect_run({"spell-export", sets, "-o", "never.json"},
               {1, "",
                "Error: count -3 out of range of usize\n"
                "While parsing field 'spells' in SpellSetTiers\n"
                "While parsing field 'tiers' in SpellSet\n"
                "While parsing field 'spell_sets' in SpellTable\n"});
    EXPECT_FALSE(std::filesystem::exists(path("never.json")));

    expect_run({"spell-export", "missing.bin"},
               {1, "", "Error: Could not open provider for \"missing.bin\". Expected .zra or .dat\n"});
}

TEST_F(SpellExportCommand, ExportsTenThousandSpells) {
    const auto many = support::make_spells(10000, 1);
    const auto dat = write_portal("many.dat", support::SpellTableBuilder(kSpellTableId).spells(many).build());
    const auto result = run({"spell-export", dat, "-o", "many.json"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "wrote 10000 spells with 12 fields to many.json\n");
    EXPECT_EQ(support::read_text(path("many.json")), document(many, {}));
}

}  // namespace

namespace {

// The bundled portal sample holds a spell table of 36 spells, stored
// LRS-compressed.
TEST(SpellExportSample, ExportsTheBundledTable) {
    const auto portal = std::filesystem::path(DAT_TOOL_SOURCE_DIR) / "samples" / "portal.dat";
    const auto result = support::run_tool({"spell-export", portal.string(), "--schools", "void", "--preset", "minimal"});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto json = nlohmann::json::parse(result.out);
    EXPECT_EQ(json.at("fileId"), 0x0E00000Eu);
    EXPECT_EQ(json.at("spells").size(), 7u);  // ids 4, 9, ..., 34
    for (const auto& [id, spell] : json.at("spells").items()) EXPECT_EQ(spell.at("school"), 5u) << id;
    EXPECT_EQ(json.at("spells").at("4").at("name"), "Iron Skin");
}

}  // namespace
