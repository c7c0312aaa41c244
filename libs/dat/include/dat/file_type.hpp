#pragma once
// Resource types of DAT files. A DAT entry has no type field: the type
// follows from its id, by the top byte in portal-style datasets and by the
// low 16 bits in cell-style datasets. The codes double as the type ids that
// archive entries store.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <fmt/format.h>

namespace dat {

enum class DatFileType : std::uint32_t {
    Unknown = 0x00,
    Model = 0x01,
    SetupModel = 0x02,
    Animation = 0x03,
    Palette = 0x04,
    SurfaceTexture = 0x05,
    Texture = 0x06,
    Surface = 0x08,
    MotionTable = 0x09,
    Audio = 0x0A,
    EnvCell = 0x0D,
    Table = 0x0E,
    PaletteSet = 0x0F,
    Clothing = 0x10,
    DegradeInfo = 0x11,
    Scene = 0x12,
    Region = 0x13,
    Keymap = 0x14,
    RenderTexture = 0x15,
    RenderMaterial = 0x16,
    MaterialModifier = 0x17,
    MaterialInstance = 0x18,
    RenderMesh = 0x19,
    SoundTable = 0x20,
    Layout = 0x21,
    EnumMapper = 0x22,
    StringTable = 0x23,
    StringTableString = 0x24,
    DataIDMapper = 0x25,
    ActionMap = 0x26,
    DualDataIDMapper = 0x27,
    CombatManeuverTable = 0x30,
    LanguageString = 0x31,
    ParticleEmitter = 0x32,
    PhysicsScript = 0x33,
    PhysicsScriptTable = 0x34,
    MutateFilter = 0x38,
    MasterProperty = 0x39,
    Font = 0x40,
    StringState = 0x41,
    BSPNodeType = 0x42,
    DatabaseProperties = 0x78,
    IndoorCell = 0xFD,
    Landblock = 0xFE,
    LandblockInfo = 0xFF,
    Iteration = 0xFE01,
    Custom = 0xFFFFFF00,
    MotionKinematics = 0xFFFFFF01,
};

// The type with this code, if the code is one of the 48.
std::optional<DatFileType> dat_file_type_from_code(std::uint32_t code);

// The display label, such as "Texture (DDS/JPG)".
std::string_view label(DatFileType type);

// Which id scheme an open DAT file uses (numbered as stored by callers).
enum class DatasetKind : std::uint8_t { Portal = 0, Cell = 1, OtherRetail = 2, Unrecognized = 3 };

struct DatHeader;

// The dataset kind of a header: its magic, block size and dataset number.
DatasetKind dataset_kind_from_header(const DatHeader& header);
DatasetKind dataset_kind_from_fields(std::uint32_t magic, std::uint32_t block_size, std::uint32_t dataset);

// The type a portal-style id's top byte names; 0x07 counts as a texture.
std::optional<DatFileType> classify_portal_prefix(std::uint8_t prefix);

// The type of the file with id `id` in a dataset of kind `dataset`.
DatFileType file_type_in_dat(std::uint32_t id, DatasetKind dataset);

// The text shown for a raw type code: "Audio (WAV) (0x0000000A)", or
// "Unknown (0x........)" for 0 and every value that is no type code.
std::string format_type_label(std::uint32_t code);

}  // namespace dat

// Printing a type writes its label; padding is the caller's business.
template <>
struct fmt::formatter<dat::DatFileType> : fmt::formatter<std::string_view> {
    template <class Context>
    auto format(dat::DatFileType type, Context& ctx) const {
        return fmt::formatter<std::string_view>::format(dat::label(type), ctx);
    }
};
