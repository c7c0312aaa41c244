#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <fmt/format.h>

#include "dat/dat_header.hpp"
#include "dat/file_type.hpp"

namespace {

using dat::DatasetKind;
using dat::DatFileType;

TEST(FileTypeTest, EveryCodeHasItsLabel) {
    const std::vector<std::pair<std::uint32_t, std::string>> table = {
        {0x00, "Unknown"},
        {0x01, "Model (OBJ)"},
        {0x02, "SetupModel (SET)"},
        {0x03, "Animation (ANM)"},
        {0x04, "Palette (PAL)"},
        {0x05, "SurfaceTexture (TEX)"},
        {0x06, "Texture (DDS/JPG)"},
        {0x08, "Surface (SUR)"},
        {0x09, "MotionTable (DSC)"},
        {0x0A, "Audio (WAV)"},
        {0x0D, "EnvCell (ENV)"},
        {0x0E, "Table"},
        {0x0F, "PaletteSet"},
        {0x10, "Clothing (CLO)"},
        {0x11, "DegradeInfo"},
        {0x12, "Scene (SCN)"},
        {0x13, "Region (RGN)"},
        {0x14, "Keymap"},
        {0x15, "RenderTexture"},
        {0x16, "RenderMaterial"},
        {0x17, "MaterialModifier"},
        {0x18, "MaterialInstance"},
        {0x19, "RenderMesh"},
        {0x20, "SoundTable (STB)"},
        {0x21, "Layout"},
        {0x22, "EnumMapper"},
        {0x23, "StringTable"},
        {0x24, "StringTableString"},
        {0x25, "DataIDMapper"},
        {0x26, "ActionMap"},
        {0x27, "DualDataIDMapper"},
        {0x30, "CombatManeuverTable"},
        {0x31, "LanguageString"},
        {0x32, "ParticleEmitter"},
        {0x33, "PhysicsScript"},
        {0x34, "PhysicsScriptTable"},
        {0x38, "MutateFilter"},
        {0x39, "MasterProperty"},
        {0x40, "Font"},
        {0x41, "StringState"},
        {0x42, "BSPNodeType"},
        {0x78, "DatabaseProperties"},
        {0xFD, "IndoorCell"},
        {0xFE, "Landblock (Terrain)"},
        {0xFF, "LandblockInfo (Static)"},
        {0xFE01, "Iteration (Metadata)"},
        {0xFFFFFF00, "Custom"},
        {0xFFFFFF01, "MotionKinematics"},
    };
    ASSERT_EQ(table.size(), 48u);
    for (const auto& [code, text] : table) {
        const auto type = dat::dat_file_type_from_code(code);
        ASSERT_TRUE(type) << code;
        EXPECT_EQ(fmt::format("{}", *type), text);
        EXPECT_EQ(dat::format_type_label(code), code == 0 ? "Unknown (0x00000000)" : fmt::format("{} (0x{:08X})", text, code));
    }
    // Every other value in the ranges the codes live in is no code.
    std::size_t codes = 0;
    for (std::uint32_t code = 0; code <= 0x10000; ++code) codes += dat::dat_file_type_from_code(code).has_value();
    for (std::uint32_t code = 0xFFFFFE00; code != 0; ++code) codes += dat::dat_file_type_from_code(code).has_value();
    EXPECT_EQ(codes, 48u);
}

TEST(FileTypeTest, FormatTypeLabelOfRawCodes) {
    EXPECT_EQ(dat::format_type_label(0x0A), "Audio (WAV) (0x0000000A)");
    EXPECT_EQ(dat::format_type_label(0xFFFFFF00), "Custom (0xFFFFFF00)");
    EXPECT_EQ(dat::format_type_label(0x07), "Unknown (0x00000007)");
    EXPECT_EQ(dat::format_type_label(0), "Unknown (0x00000000)");
    EXPECT_EQ(dat::format_type_label(0x12345678), "Unknown (0x12345678)");
}

TEST(FileTypeTest, PortalPrefixes) {
    for (unsigned prefix = 0; prefix < 256; ++prefix) {
        const bool listed = (prefix >= 0x01 && prefix <= 0x0A) || (prefix >= 0x0D && prefix <= 0x19) ||
                            (prefix >= 0x20 && prefix <= 0x27) || (prefix >= 0x30 && prefix <= 0x34) ||
                            prefix == 0x38 || prefix == 0x39 || (prefix >= 0x40 && prefix <= 0x42) || prefix == 0x78;
        const auto type = dat::classify_portal_prefix(static_cast<std::uint8_t>(prefix));
        ASSERT_EQ(type.has_value(), listed) << prefix;
        if (type) {
            EXPECT_EQ(static_cast<std::uint32_t>(*type), prefix == 0x07 ? 0x06u : prefix);
        }
    }
}

TEST(FileTypeTest, DatasetKindFromHeader) {
    struct Case {
        std::uint32_t magic, block_size, dataset;
        DatasetKind kind;
    };
    const std::vector<Case> cases = {
        {0x5442, 0x400, 1, DatasetKind::Portal},      {0x5442, 0x100, 2, DatasetKind::Cell},
        {0x5442, 0x400, 2, DatasetKind::OtherRetail}, {0x5442, 0x100, 1, DatasetKind::OtherRetail},
        {0x5442, 0x400, 3, DatasetKind::OtherRetail}, {0, 0x400, 1, DatasetKind::Unrecognized},
        {0x4254, 0x100, 2, DatasetKind::Unrecognized},
    };
    for (const auto& c : cases) {
        dat::DatHeader header;
        header.magic = c.magic;
        header.block_size = c.block_size;
        header.dataset = c.dataset;
        EXPECT_EQ(dat::dataset_kind_from_header(header), c.kind) << c.magic << " " << c.block_size << " " << c.dataset;
    }
}

TEST(FileTypeTest, TypeOfAnEntryById) {
    struct Case {
        std::uint32_t id;
        DatasetKind kind;
        std::string label;
    };
    const std::vector<Case> cases = {
        {0x06001234, DatasetKind::Portal, "Texture (DDS/JPG)"},
        {0x07001234, DatasetKind::Portal, "Texture (DDS/JPG)"},
        {0x0B000001, DatasetKind::Portal, "Unknown"},
        {0x0100FFFF, DatasetKind::Portal, "Model (OBJ)"},
        {0xFE00FFFF, DatasetKind::Portal, "Unknown"},  // 0xFE is no portal prefix
        {0x78000000, DatasetKind::OtherRetail, "DatabaseProperties"},
        {0xA9B4FFFF, DatasetKind::Cell, "Landblock (Terrain)"},
        {0xA9B4FFFE, DatasetKind::Cell, "LandblockInfo (Static)"},
        {0xA9B40100, DatasetKind::Cell, "IndoorCell"},
        {0xA9B40000, DatasetKind::Cell, "Unknown"},
        {0x06000001, DatasetKind::Cell, "IndoorCell"},  // the top bits are not looked at
        {0xFFFF0002, DatasetKind::Cell, "IndoorCell"},
        {0x0100FFFF, DatasetKind::Unrecognized, "Landblock (Terrain)"},
        {0x0100FFFE, DatasetKind::Unrecognized, "LandblockInfo (Static)"},
        {0x01000005, DatasetKind::Unrecognized, "Model (OBJ)"},
        {0xF0000005, DatasetKind::Unrecognized, "IndoorCell"},
        {0xF0000000, DatasetKind::Unrecognized, "Unknown"},
        {0x06000000, DatasetKind::Unrecognized, "Texture (DDS/JPG)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fmt::format("{}", dat::file_type_in_dat(c.id, c.kind)), c.label) << fmt::format("{:08X}", c.id);
    }
    for (auto kind : {DatasetKind::Portal, DatasetKind::Cell, DatasetKind::OtherRetail, DatasetKind::Unrecognized}) {
        EXPECT_EQ(dat::file_type_in_dat(0xFFFF0001, kind), DatFileType::Iteration);
    }
}

}  // namespace
