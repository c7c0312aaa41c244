#include <numeric>

#include <fmt/format.h>

#include "cli_fixture.hpp"
#include "support/record_builders.hpp"

namespace {

using cli_test::Expected;
using cli_test::ToolFixture;

class LandblockCommandTest : public ToolFixture {
protected:
    // Heights 0..80 in storage order.
    static support::CellLandblockRecord ramp(std::uint32_t id) {
        support::CellLandblockRecord block;
        block.id = id;
        block.has_objects = 4;
        std::iota(block.height.begin(), block.height.end(), std::uint8_t{0});
        return block;
    }

    static support::LandblockInfoRecord two_buildings() {
        support::LandblockInfoRecord info;
        info.id = 0xDEADBEEF;  // the stored id is not what the heading shows
        info.objects = {{0x01000001, {}}, {0x01000002, {}}, {0x01000003, {}}};
        info.pack_mask = 1;
        info.buildings = {{0x01000100, {{12.5F, 0.0F, -3.0F}, {}}, 1, {{1, 2, 3, {4}}}},
                          {0x0100ABCD, {{1e-5F, 96.0F, 2.5e20F}, {}}, 0, {}}};
        info.restriction_pairs = {{1, 2}};
        return info;
    }
};

const std::string kRampCellPart =
    "Landblock ID:   1234FFFF\n"
    "Has Objects:     true\n"
    "Terrain Vertices: 81\n"
    "Height Vertices:  81\n"
    "\n"
    "Heightmap (9x9):\n"
    "  8  17  26  35  44  53  62  71  80 \n"
    "  7  16  25  34  43  52  61  70  79 \n"
    "  6  15  24  33  42  51  60  69  78 \n"
    "  5  14  23  32  41  50  59  68  77 \n"
    "  4  13  22  31  40  49  58  67  76 \n"
    "  3  12  21  30  39  48  57  66  75 \n"
    "  2  11  20  29  38  47  56  65  74 \n"
    "  1  10  19  28  37  46  55  64  73 \n"
    "  0   9  18  27  36  45  54  63  72 \n";

const std::string kTwoBuildingsInfoPart =
    "\n"
    "Landblock Info (1234FFFE):\n"
    "Objects:   3\n"
    "Buildings: 2\n"
    "  Building model: 01000100 at Vector3 { x: 12.5, y: 0.0, z: -3.0 }\n"
    "  Building model: 0100ABCD at Vector3 { x: 1e-5, y: 96.0, z: 2.5e20 }\n";

TEST_F(LandblockCommandTest, ShowsTheGridAndTheBuildings) {
    support::DatBuilder builder(256, 2);
    builder.add_file(0x1234FFFF, support::cell_landblock_bytes(ramp(0x1234FFFF)));
    builder.add_file(0x1234FFFE, support::landblock_info_bytes(two_buildings()), {.lrs = true});
    write_dat("cell.dat", builder);
    const Expected full{0, kRampCellPart + kTwoBuildingsInfoPart, ""};
    expect_run({"landblock", "cell.dat", "0x12340000"}, full);
    expect_run({"landblock", "cell.dat", "1234FFFF", "--namespace", "eor/cell"}, full);
}

TEST_F(LandblockCommandTest, AnIdWithALowHalfIsFetchedAsItIs) {
    // The record stored at 1234FFFE is read as a cell landblock; its stored
    // id is printed, and the info id is still 1234FFFE.
    support::DatBuilder builder(256, 2);
    auto block = ramp(0x55550000);
    builder.add_file(0x1234FFFE, support::cell_landblock_bytes(block));
    write_dat("cell.dat", builder);
    auto cell_part = kRampCellPart;
    cell_part.replace(cell_part.find("1234FFFF"), 8, "55550000");
    // The info fetch finds the same bytes; with zero terrain words they
    // decode as an info record without objects or buildings.
    expect_run({"landblock", "cell.dat", "0x1234FFFE"},
               {0, cell_part + "\nLandblock Info (1234FFFE):\nObjects:   0\nBuildings: 0\n", ""});
}

TEST_F(LandblockCommandTest, WithoutAnInfoRecordOnlyTheCellPartIsShown) {
    support::DatBuilder builder(256, 2);
    auto block = ramp(0x1234FFFF);
    block.has_objects = 0;
    block.height[8] = 0;
    block.height[17] = 255;
    block.height[26] = 7;
    builder.add_file(0x1234FFFF, support::cell_landblock_bytes(block));
    write_dat("cell.dat", builder);
    auto expected = kRampCellPart;
    expected.replace(expected.find("true"), 4, "false");
    expected.replace(expected.find("  8  17  26 "), 12, "  0 255   7 ");
    expect_run({"landblock", "cell.dat", "0x12340000"}, {0, expected, ""});
}

TEST_F(LandblockCommandTest, AnInfoWithoutBuildingsListsNone) {
    support::DatBuilder builder(256, 2);
    builder.add_file(0x1234FFFF, support::cell_landblock_bytes(ramp(0x1234FFFF)));
    builder.add_file(0x1234FFFE, support::landblock_info_bytes({}));
    write_dat("cell.dat", builder);
    expect_run({"landblock", "cell.dat", "0x12340000"},
               {0, kRampCellPart + "\nLandblock Info (1234FFFE):\nObjects:   0\nBuildings: 0\n", ""});
}

TEST_F(LandblockCommandTest, DecodeFailuresAreErrors) {
    support::DatBuilder builder(256, 2);
    auto cell = support::cell_landblock_bytes(ramp(0x1234FFFF));
    builder.add_file(0x1234FFFF, cell);
    auto info = support::landblock_info_bytes(two_buildings());
    info.resize(info.size() - 5);  // ends inside the restriction table's pair
    builder.add_file(0x1234FFFE, info);
    cell.resize(250);
    builder.add_file(0x7777FFFF, cell);
    write_dat("cell.dat", builder);

    const std::string table_failure =
        "failed to fill whole buffer\n"
        "{0}While parsing field 'tables' in RestrictionTable\n"
        "{0}While parsing field 'restriction_tables' in LandblockInfo\n";
    // The cell part has been printed when the info record fails.
    expect_run({"landblock", "cell.dat", "0x12340000"},
               {1, kRampCellPart,
                "Error: Binary read error: " + fmt::format(fmt::runtime(table_failure), "") + "\nCaused by:\n    " +
                    fmt::format(fmt::runtime(table_failure), "    ")});
    expect_run({"landblock", "cell.dat", "0x77770000"},
               {1, "",
                "Error: Binary read error: failed to fill whole buffer\nWhile parsing field 'height' in CellLandblock\n"
                "\nCaused by:\n    failed to fill whole buffer\n    While parsing field 'height' in CellLandblock\n"});
    expect_run({"landblock", "cell.dat", "0x4444"}, {1, "", "Error: File ID 00004444 not found in provider\n"});
    expect_run({"landblock", "cell.dat", "-"}, {1, "", "Error: invalid digit found in string\n"});
}

}  // namespace
