#include <gtest/gtest.h>

#include <vector>

#include "cli.hpp"

namespace {

std::expected<app::Cli, app::ParseExit> parse(std::vector<const char*> args) {
    args.insert(args.begin(), "dat-tool");
    return app::parse_command_line(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, SpellExportCollectsListsInOrderWithRepetitions) {
    auto cli = parse({"spell-export", "p.dat", "--schools", "war,life", "--schools=void", "--categories", "1,+2",
                      "--categories", "1", "--fields", "power,name,power"});
    ASSERT_TRUE(cli.has_value()) << cli.error().err;
    const auto& args = std::get<app::SpellExportArgs>(cli->command);
    using tools::SpellSchool;
    EXPECT_EQ(args.schools, (std::vector{SpellSchool::War, SpellSchool::Life, SpellSchool::Void}));
    EXPECT_EQ(args.categories, (std::vector<std::uint32_t>{1, 2, 1}));
    using tools::SpellExportField;
    EXPECT_EQ(args.fields, (std::vector{SpellExportField::Power, SpellExportField::Name, SpellExportField::Power}));
    EXPECT_EQ(args.preset, tools::SpellExportPreset::Base);
    EXPECT_FALSE(args.output.has_value());
    EXPECT_FALSE(args.namespace_label.has_value());
}

TEST(CommandLine, DefaultsAndOptionalValues) {
    auto spells = parse({"spell-export", "p", "--preset", "minimal", "-o", "out/s.json", "--namespace", "eor/cell"});
    ASSERT_TRUE(spells.has_value());
    const auto& s = std::get<app::SpellExportArgs>(spells->command);
    EXPECT_TRUE(s.schools.empty());
    EXPECT_EQ(s.preset, tools::SpellExportPreset::Minimal);
    EXPECT_EQ(s.output, std::filesystem::path("out/s.json"));
    EXPECT_EQ(s.namespace_label, "eor/cell");

    auto info = parse({"info", "x.zra", " 0x1f ", "--namespace="});
    ASSERT_TRUE(info.has_value());
    const auto& i = std::get<app::InfoArgs>(info->command);
    EXPECT_EQ(i.id, " 0x1f ");
    EXPECT_EQ(i.namespace_label, "");  // given but empty: validated by the command

    auto pack = parse({"zra-pack", "in", "out.zra", "-c"});
    ASSERT_TRUE(pack.has_value());
    EXPECT_TRUE(std::get<app::ZraPackArgs>(pack->command).compress);

    auto raw = parse({"meta", "bad\xFFname.dat"});
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(std::get<app::MetaArgs>(raw->command).path.native(), "bad\xFFname.dat");
}

}  // namespace
