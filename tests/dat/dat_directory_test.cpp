#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "dat/dat_directory.hpp"

namespace {

using dat::DatDirectory;
using dat::DatFileEntry;

// What inserting the walk into a map, later entries replacing earlier ones, gives.
std::vector<DatFileEntry> reference(const std::vector<DatFileEntry>& walk) {
    std::map<std::uint32_t, DatFileEntry> map;
    for (const auto& e : walk) map[e.id] = e;
    std::vector<DatFileEntry> out;
    for (const auto& [id, e] : map) out.push_back(e);
    return out;
}

std::vector<DatFileEntry> contents(const DatDirectory& directory) { return {directory.begin(), directory.end()}; }

TEST(DatDirectoryTest, KeepsTheLastEntryOfEachIdInAscendingOrder) {
    for (std::size_t count : {0u, 1u, 2u, 100u, 5000u, 70000u}) {
        std::vector<DatFileEntry> walk;
        std::uint32_t state = 12345;
        for (std::size_t i = 0; i < count; ++i) {
            state = state * 1103515245u + 12345u;
            // Few distinct ids in every byte position, so duplicates are common.
            const std::uint32_t id = (state & 0x0F0F0F0F) | (i % 3 == 0 ? 0xF0000000u : 0u);
            walk.push_back({0, id, static_cast<std::uint32_t>(i), 0, 0, 0});
        }
        const auto directory = DatDirectory::from_walk_order(walk);
        EXPECT_EQ(contents(directory), reference(walk)) << count;
        for (const auto& e : reference(walk)) {
            ASSERT_NE(directory.find(e.id), nullptr);
            EXPECT_EQ(directory.find(e.id)->offset, e.offset);
        }
        EXPECT_EQ(directory.find(0x00F0F0F0u), nullptr);
    }
}

TEST(DatDirectoryTest, UsesTheKeyOrderOnlyWhenItIsStrictlyAscending) {
    const std::vector<DatFileEntry> walk = {{0, 5, 1, 0, 0, 0}, {0, 2, 2, 0, 0, 0}, {0, 5, 3, 0, 0, 0}};
    // Not ascending (a repeated id): the walk decides, the last 5 wins.
    const std::vector<DatFileEntry> repeated = {walk[1], walk[0], walk[2]};
    EXPECT_EQ(contents(DatDirectory::from_walk_order(walk, repeated)), (std::vector{walk[1], walk[2]}));
    const std::vector<DatFileEntry> distinct = {{0, 9, 1, 0, 0, 0}, {0, 3, 2, 0, 0, 0}};
    EXPECT_EQ(contents(DatDirectory::from_walk_order(distinct, distinct)), (std::vector{distinct[1], distinct[0]}));
    EXPECT_EQ(contents(DatDirectory::from_walk_order(distinct, {distinct[1], distinct[0]})),
              (std::vector{distinct[1], distinct[0]}));
}

}  // namespace
