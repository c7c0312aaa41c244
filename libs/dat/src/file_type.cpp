#include "dat/file_type.hpp"

#include <algorithm>
#include <array>

#include "dat/dat_header.hpp"

namespace dat {
namespace {

struct TypeLabel {
    DatFileType type;
    std::string_view label;
};

// Ascending by code, so lookups can search it.
constexpr std::array<TypeLabel, 48> kTypes{{
    {DatFileType::Unknown, "Unknown"},
    {DatFileType::Model, "Model (OBJ)"},
    {DatFileType::SetupModel, "SetupModel (SET)"},
    {DatFileType::Animation, "Animation (ANM)"},
    {DatFileType::Palette, "Palette (PAL)"},
    {DatFileType::SurfaceTexture, "SurfaceTexture (TEX)"},
    {DatFileType::Texture, "Texture (DDS/JPG)"},
    {DatFileType::Surface, "Surface (SUR)"},
    {DatFileType::MotionTable, "MotionTable (DSC)"},
    {DatFileType::Audio, "Audio (WAV)"},
    {DatFileType::EnvCell, "EnvCell (ENV)"},
    {DatFileType::Table, "Table"},
    {DatFileType::PaletteSet, "PaletteSet"},
    {DatFileType::Clothing, "Clothing (CLO)"},
    {DatFileType::DegradeInfo, "DegradeInfo"},
    {DatFileType::Scene, "Scene (SCN)"},
    {DatFileType::Region, "Region (RGN)"},
    {DatFileType::Keymap, "Keymap"},
    {DatFileType::RenderTexture, "RenderTexture"},
    {DatFileType::RenderMaterial, "RenderMaterial"},
    {DatFileType::MaterialModifier, "MaterialModifier"},
    {DatFileType::MaterialInstance, "MaterialInstance"},
    {DatFileType::RenderMesh, "RenderMesh"},
    {DatFileType::SoundTable, "SoundTable (STB)"},
    {DatFileType::Layout, "Layout"},
    {DatFileType::EnumMapper, "EnumMapper"},
    {DatFileType::StringTable, "StringTable"},
    {DatFileType::StringTableString, "StringTableString"},
    {DatFileType::DataIDMapper, "DataIDMapper"},
    {DatFileType::ActionMap, "ActionMap"},
    {DatFileType::DualDataIDMapper, "DualDataIDMapper"},
    {DatFileType::CombatManeuverTable, "CombatManeuverTable"},
    {DatFileType::LanguageString, "LanguageString"},
    {DatFileType::ParticleEmitter, "ParticleEmitter"},
    {DatFileType::PhysicsScript, "PhysicsScript"},
    {DatFileType::PhysicsScriptTable, "PhysicsScriptTable"},
    {DatFileType::MutateFilter, "MutateFilter"},
    {DatFileType::MasterProperty, "MasterProperty"},
    {DatFileType::Font, "Font"},
    {DatFileType::StringState, "StringState"},
    {DatFileType::BSPNodeType, "BSPNodeType"},
    {DatFileType::DatabaseProperties, "DatabaseProperties"},
    {DatFileType::IndoorCell, "IndoorCell"},
    {DatFileType::Landblock, "Landblock (Terrain)"},
    {DatFileType::LandblockInfo, "LandblockInfo (Static)"},
    {DatFileType::Iteration, "Iteration (Metadata)"},
    {DatFileType::Custom, "Custom"},
    {DatFileType::MotionKinematics, "MotionKinematics"},
}};

static_assert(std::is_sorted(kTypes.begin(), kTypes.end(),
                             [](const TypeLabel& a, const TypeLabel& b) { return a.type < b.type; }));

const TypeLabel* find_code(std::uint32_t code) {
    const auto it = std::lower_bound(kTypes.begin(), kTypes.end(), code, [](const TypeLabel& entry, std::uint32_t c) {
        return static_cast<std::uint32_t>(entry.type) < c;
    });
    return it != kTypes.end() && static_cast<std::uint32_t>(it->type) == code ? &*it : nullptr;
}

constexpr std::uint32_t kRetailMagic = 0x00005442;
constexpr std::uint32_t kIterationId = 0xFFFF0001;

// Cell-style ids: the low 16 bits name the record within a landblock.
std::optional<DatFileType> classify_landblock_part(std::uint32_t low16) {
    if (low16 == 0xFFFF) return DatFileType::Landblock;
    if (low16 == 0xFFFE) return DatFileType::LandblockInfo;
    return std::nullopt;
}

DatFileType classify_cell_part(std::uint32_t low16) {
    if (auto part = classify_landblock_part(low16)) return *part;
    return low16 == 0 ? DatFileType::Unknown : DatFileType::IndoorCell;
}

}  // namespace

std::optional<DatFileType> dat_file_type_from_code(std::uint32_t code) {
    if (const auto* entry = find_code(code)) return entry->type;
    return std::nullopt;
}

std::string_view label(DatFileType type) {
    const auto* entry = find_code(static_cast<std::uint32_t>(type));
    return entry ? entry->label : std::string_view("Unknown");
}

DatasetKind dataset_kind_from_fields(std::uint32_t magic, std::uint32_t block_size, std::uint32_t dataset) {
    if (magic != kRetailMagic) return DatasetKind::Unrecognized;
    if (block_size == 0x100 && dataset == 2) return DatasetKind::Cell;
    if (block_size == 0x400 && dataset == 1) return DatasetKind::Portal;
    return DatasetKind::OtherRetail;
}

DatasetKind dataset_kind_from_header(const DatHeader& header) {
    return dataset_kind_from_fields(header.magic, header.block_size, header.dataset);
}

std::optional<DatFileType> classify_portal_prefix(std::uint8_t prefix) {
    if (prefix == 0x07) return DatFileType::Texture;
    // Portal prefixes equal their type's code; the codes above 0x78 and 0
    // are no prefixes.
    if (prefix == 0x00 || prefix > 0x78) return std::nullopt;
    return dat_file_type_from_code(prefix);
}

DatFileType file_type_in_dat(std::uint32_t id, DatasetKind dataset) {
    if (id == kIterationId) return DatFileType::Iteration;
    const std::uint32_t low16 = id & 0xFFFF;
    const auto prefix = static_cast<std::uint8_t>(id >> 24);
    switch (dataset) {
        case DatasetKind::Portal:
        case DatasetKind::OtherRetail: return classify_portal_prefix(prefix).value_or(DatFileType::Unknown);
        case DatasetKind::Cell: return classify_cell_part(low16);
        case DatasetKind::Unrecognized:
            if (auto part = classify_landblock_part(low16)) return *part;
            if (auto type = classify_portal_prefix(prefix)) return *type;
            return classify_cell_part(low16);
    }
    return DatFileType::Unknown;
}

std::string format_type_label(std::uint32_t code) {
    const auto* entry = find_code(code);
    const std::string_view text = entry && code != 0 ? entry->label : std::string_view("Unknown");
    return fmt::format("{} (0x{:08X})", text, code);
}

}  // namespace dat
