#include <gtest/gtest.h>

#include <numeric>

#include "dat/records/landblock.hpp"
#include "support/failure_text.hpp"
#include "support/record_builders.hpp"

namespace {

using dat::CellLandblock;
using dat::LandblockInfo;
using support::Bytes;

std::string short_read_with(const std::vector<std::string>& context) {
    std::string text = "Binary read error: failed to fill whole buffer";
    for (const auto& line : context) text += "\n" + line;
    return text;
}

support::CellLandblockRecord sample_block() {
    support::CellLandblockRecord block;
    block.id = 0x1234FFFF;
    block.has_objects = 2;
    std::iota(block.terrain.begin(), block.terrain.end(), std::uint16_t{0x100});
    std::iota(block.height.begin(), block.height.end(), std::uint8_t{0});
    return block;
}

// Objects, buildings with an odd and an even stab list, a building without
// portals, and a restriction table with a repeated key.
support::LandblockInfoRecord sample_info() {
    support::LandblockInfoRecord info;
    info.id = 0x1234FFFE;
    info.num_cells = 3;
    info.objects = {{0x01000001, {{1.0F, 2.0F, 3.0F}, {0.5F, 0.25F, 0.125F, 0.0625F}}}, {0x01000002, {}}};
    info.pack_mask = 3;
    info.buildings = {
        {0x01000100, {{12.5F, 0.0F, -3.0F}, {}}, 4, {{1, 0x0100, 2, {7}}, {2, 0x0101, 3, {8, 9}}}},
        {0x01000200, {{96.0F, 48.0F, 0.5F}, {}}, 0, {}},
    };
    info.restriction_pairs = {{0x1234, 1}, {0x5678, 2}, {0x1234, 3}};
    info.bucket_size = 0x99;
    return info;
}

TEST(CellLandblock, DecodesTheGrid) {
    const auto block = CellLandblock::unpack(support::cell_landblock_bytes(sample_block())).value();
    EXPECT_EQ(block.id, 0x1234FFFFu);
    EXPECT_EQ(block.has_objects, 2u);
    EXPECT_EQ(block.terrain[0], 0x100);
    EXPECT_EQ(block.terrain[80], 0x150);
    EXPECT_EQ(block.height[80], 80);
}

TEST(CellLandblock, LengthEdges) {
    const auto writer = support::write_cell_landblock(sample_block());
    const auto& bytes = writer.data();
    ASSERT_EQ(bytes.size(), 252u);
    // Trailing bytes and the missing padding byte change nothing.
    Bytes longer = bytes;
    longer.push_back(0x55);
    EXPECT_TRUE(CellLandblock::unpack(longer).has_value());
    EXPECT_TRUE(CellLandblock::unpack(std::span(bytes).first(251)).has_value());
    EXPECT_EQ(support::failure_text(CellLandblock::unpack(std::span(bytes).first(250))),
              "Binary read error: failed to fill whole buffer\nWhile parsing field 'height' in CellLandblock");
    EXPECT_EQ(support::failure_text(CellLandblock::unpack(std::span(bytes).first(7))),
              "Binary read error: failed to fill whole buffer\nWhile parsing field 'has_objects' in CellLandblock");
    // Every other cut names the field the data ends in.
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        const auto expected = writer.context_at_cut(cut);
        const auto result = CellLandblock::unpack(std::span(bytes).first(cut));
        ASSERT_EQ(support::failure_text(result), expected ? short_read_with(*expected) : support::kSucceeded) << cut;
    }
}

TEST(LandblockInfo, DecodesEveryPart) {
    const auto info = LandblockInfo::unpack(support::landblock_info_bytes(sample_info())).value();
    EXPECT_EQ(info.id, 0x1234FFFEu);
    EXPECT_EQ(info.num_cells, 3u);
    ASSERT_EQ(info.objects.size(), 2u);
    const auto& frame = info.objects[0].frame;
    EXPECT_EQ(info.objects[0].id, 0x01000001u);
    EXPECT_EQ(frame.origin, (common::Vector3{1.0F, 2.0F, 3.0F}));
    EXPECT_EQ(frame.orientation, (common::Quaternion{0.5F, 0.25F, 0.125F, 0.0625F}));

    ASSERT_EQ(info.buildings.size(), 2u);
    const auto& house = info.buildings[0];
    EXPECT_EQ(house.model_id, 0x01000100u);
    EXPECT_EQ(house.frame.origin, (common::Vector3{12.5F, 0.0F, -3.0F}));
    EXPECT_EQ(house.num_leaves, 4u);
    ASSERT_EQ(house.portals.size(), 2u);
    EXPECT_EQ(house.portals[0].other_cell_id, 0x0100);
    EXPECT_EQ(house.portals[0].stab_list, (std::vector<std::uint16_t>{7}));
    // The second portal is found after the first one's padding.
    EXPECT_EQ(house.portals[1].flags, 2);
    EXPECT_EQ(house.portals[1].other_portal_id, 3);
    EXPECT_EQ(house.portals[1].stab_list, (std::vector<std::uint16_t>{8, 9}));
    EXPECT_EQ(info.buildings[1].model_id, 0x01000200u);
    EXPECT_TRUE(info.buildings[1].portals.empty());

    ASSERT_TRUE(info.restriction_tables.has_value());
    EXPECT_EQ(info.restriction_tables->tables.size(), 2u);
    EXPECT_EQ(info.restriction_tables->tables.at(0x1234), 3u);  // the later pair wins
}

TEST(LandblockInfo, PortalsKeepAFourByteRhythm) {
    for (const std::size_t stabs : {0u, 1u, 2u, 3u}) {
        support::LandblockInfoRecord info;
        support::PortalRecord portal;
        portal.stab_list.assign(stabs, 0x4242);
        info.buildings = {{0x01000100, {}, 0, {portal}}};
        const auto bytes = support::landblock_info_bytes(info);
        const std::size_t portal_size = bytes.size() - 16 - 40;
        EXPECT_EQ(portal_size, 8 + 2 * stabs + (stabs % 2) * 2) << stabs;
        EXPECT_EQ(portal_size % 4, 0u);
        const auto decoded = LandblockInfo::unpack(bytes).value();
        EXPECT_EQ(decoded.buildings[0].portals[0].stab_list.size(), stabs);
        // The padding after an odd list need not be present at the end.
        if (stabs % 2 == 1) {
            EXPECT_TRUE(LandblockInfo::unpack(std::span(bytes).first(bytes.size() - 2)).has_value());
        }
    }
}

TEST(LandblockInfo, PackMaskBitZeroAloneSelectsTheRestrictionTable) {
    support::LandblockInfoRecord info;
    const auto empty = support::landblock_info_bytes(info);
    ASSERT_EQ(empty.size(), 16u);
    const auto decoded = LandblockInfo::unpack(empty).value();
    EXPECT_TRUE(decoded.objects.empty());
    EXPECT_TRUE(decoded.buildings.empty());
    EXPECT_FALSE(decoded.restriction_tables.has_value());

    info.pack_mask = 2;
    info.restriction_pairs = {{1, 2}};
    Bytes with_trailing = support::landblock_info_bytes(info);
    with_trailing.insert(with_trailing.end(), {1, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0});
    EXPECT_FALSE(LandblockInfo::unpack(with_trailing).value().restriction_tables.has_value());

    info.pack_mask = 3;
    const auto table = LandblockInfo::unpack(support::landblock_info_bytes(info)).value().restriction_tables;
    ASSERT_TRUE(table.has_value());
    EXPECT_EQ(table->tables.at(1), 2u);
}

TEST(LandblockInfo, EveryCutNamesTheFieldAndItsEnclosingRecords) {
    const auto writer = support::write_landblock_info(sample_info());
    const auto& bytes = writer.data();
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        const auto expected = writer.context_at_cut(cut);
        ASSERT_TRUE(expected.has_value()) << cut;  // the record ends in the restriction table
        ASSERT_EQ(support::failure_text(LandblockInfo::unpack(std::span(bytes).first(cut))), short_read_with(*expected))
            << cut;
    }
    EXPECT_TRUE(LandblockInfo::unpack(bytes).has_value());
}

TEST(LandblockInfo, NestedFailuresListEveryEnclosingRecord) {
    // Literal checks of the layout the builder predicts above.
    const auto bytes = support::landblock_info_bytes(sample_info());
    const std::size_t objects_end = 12 + 2 * 32;
    const std::size_t first_stab_list = objects_end + 4 + 40 + 8;
    EXPECT_EQ(support::failure_text(LandblockInfo::unpack(std::span(bytes).first(first_stab_list + 1))),
              short_read_with({"While parsing field 'stab_list' in PortalInternal",
                               "While parsing field 'portals' in BuildInfo",
                               "While parsing field 'buildings' in LandblockInfo"}));
    EXPECT_EQ(support::failure_text(LandblockInfo::unpack(std::span(bytes).first(12 + 4 + 4 + 1))),
              short_read_with({"While parsing field 'y' in Vector3", "While parsing field 'origin' in Frame",
                               "While parsing field 'frame' in Stab", "While parsing field 'objects' in LandblockInfo"}));
    EXPECT_EQ(support::failure_text(LandblockInfo::unpack(std::span(bytes).first(bytes.size() - 1))),
              short_read_with({"While parsing field 'tables' in RestrictionTable",
                               "While parsing field 'restriction_tables' in LandblockInfo"}));
}

TEST(LandblockInfo, HugeCountsFailAtTheFirstMissingElement) {
    struct Case {
        const char* name;
        std::size_t count_offset;
        std::vector<std::string> context;
    };
    support::LandblockInfoRecord info;
    info.buildings = {{0x01000100, {}, 0, {{1, 2, 3, {4, 5}}}}};
    info.pack_mask = 1;
    const auto bytes = support::landblock_info_bytes(info);
    const Case cases[] = {
        {"num_objects", 8, {"While parsing field 'objects' in LandblockInfo"}},
        {"num_buildings", 12, {"While parsing field 'buildings' in LandblockInfo"}},
        {"num_portals", 16 + 36, {"While parsing field 'portals' in BuildInfo",
                                  "While parsing field 'buildings' in LandblockInfo"}},
        {"num_stabs", 16 + 40 + 6, {"While parsing field 'stab_list' in PortalInternal",
                                    "While parsing field 'portals' in BuildInfo",
                                    "While parsing field 'buildings' in LandblockInfo"}},
        {"count", 16 + 40 + 12, {"While parsing field 'tables' in RestrictionTable",
                                 "While parsing field 'restriction_tables' in LandblockInfo"}},
    };
    // The bytes that are there are read as elements first; the failure then
    // comes at the end of the data, inside the list of the damaged count.
    for (const auto& c : cases) {
        Bytes damaged = bytes;
        const std::size_t width = std::string_view(c.name) == "num_objects" || std::string_view(c.name) == "num_portals"
                                      ? 4 : 2;
        std::fill_n(damaged.begin() + static_cast<std::ptrdiff_t>(c.count_offset), width, 0xFF);
        const auto result = LandblockInfo::unpack(damaged);
        ASSERT_FALSE(result.has_value()) << c.name;
        const auto& context = result.error().record_error()->context();
        ASSERT_GE(context.size(), c.context.size()) << c.name;
        EXPECT_TRUE(std::equal(c.context.begin(), c.context.end(), context.end() - c.context.size())) << c.name;
    }
}

}  // namespace
