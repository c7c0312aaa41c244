#include "commands/command_helpers.hpp"
#include "commands/commands.hpp"
#include "common/math.hpp"
#include "dat/records/landblock.hpp"
#include "output.hpp"
#include "provider.hpp"

namespace app {
namespace {

constexpr std::uint32_t kLowHalf = 0x0000FFFF;
constexpr std::uint32_t kCellLandblockLow = 0xFFFF;
constexpr std::uint32_t kLandblockInfoLow = 0xFFFE;
constexpr std::size_t kGridSide = 9;

// A bare block number (low half 0) means its cell landblock; any other id
// is taken as it is.
std::uint32_t cell_landblock_id(std::uint32_t id) { return (id & kLowHalf) == 0 ? id | kCellLandblockLow : id; }
std::uint32_t landblock_info_id(std::uint32_t cell_id) { return (cell_id & ~kLowHalf) | kLandblockInfoLow; }

void print_cell_landblock(const dat::CellLandblock& block) {
    auto& out = standard_output();
    out.print("Landblock ID:   {:08X}\n", block.id);
    out.print("Has Objects:     {}\n", block.has_objects != 0);
    out.print("Terrain Vertices: {}\n", block.terrain.size());
    out.print("Height Vertices:  {}\n", block.height.size());
    out.print("\nHeightmap (9x9):\n");
    // Vertex (column c, row r) is stored at r + 9c; the top line is row 8.
    for (std::size_t line = 0; line < kGridSide; ++line) {
        const std::size_t row = kGridSide - 1 - line;
        std::string text;
        for (std::size_t column = 0; column < kGridSide; ++column) {
            text += fmt::format("{:3} ", block.height[row + kGridSide * column]);
        }
        out.print("{}\n", text);
    }
}

void print_landblock_info(std::uint32_t info_id, const dat::LandblockInfo& info) {
    auto& out = standard_output();
    out.print("\nLandblock Info ({:08X}):\n", info_id);
    out.print("Objects:   {}\n", info.objects.size());
    out.print("Buildings: {}\n", info.buildings.size());
    for (const auto& building : info.buildings) {
        out.print("  Building model: {:08X} at {}\n", building.model_id, common::diagnostic_text(building.frame.origin));
    }
}

}  // namespace

CommandResult run_landblock(const LandblockArgs& args) {
    auto provider = Provider::open(args.path);
    if (!provider) return std::unexpected(provider.error());
    auto id = id_argument(args.id);
    if (!id) return std::unexpected(id.error());

    const std::uint32_t cell_id = cell_landblock_id(*id);
    const auto cell_bytes = provider->get_file_in_namespace(args.namespace_label, cell_id);
    if (!cell_bytes) return std::unexpected(cell_bytes.error());
    const auto block = dat::CellLandblock::unpack(*cell_bytes);
    if (!block) return std::unexpected(block.error());
    print_cell_landblock(*block);

    // A block without an info record ends here, successfully.
    const std::uint32_t info_id = landblock_info_id(cell_id);
    const auto info_bytes = provider->get_file_in_namespace(args.namespace_label, info_id);
    if (!info_bytes) return {};
    const auto info = dat::LandblockInfo::unpack(*info_bytes);
    if (!info) return std::unexpected(info.error());
    print_landblock_info(info_id, *info);
    return {};
}

}  // namespace app
