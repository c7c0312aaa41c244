#include <gtest/gtest.h>

#include <fmt/format.h>

#include <string>
#include <vector>

#include "dat/dat_database.hpp"
#include "dat_test_helpers.hpp"
#include "support/dat_builder.hpp"
#include "support/records.hpp"

namespace {

using dat::Bytes;
using dat::DatFileEntry;
using dat_test::open_bytes;
using support::DatImage;
using support::DirectoryNode;

DatFileEntry entry(std::uint32_t id, std::uint32_t offset = 0, std::uint32_t size = 0, std::uint32_t flags = 0) {
    return {flags, id, offset, size, 0x5EED, 7};
}

std::vector<std::uint32_t> ids_of(const dat::DatDatabase& db) {
    std::vector<std::uint32_t> ids;
    for (const auto& e : db.files()) ids.push_back(e.id);
    return ids;
}

dat::DatDatabase open_ok(const DatImage& image) {
    auto opened = open_bytes(image.bytes());
    EXPECT_TRUE(opened.db) << opened.db.error().message();
    return std::move(*opened.db);
}

TEST(DirectoryTest, ALeafRootIgnoresItsBranchWordsAfterSlotZero) {
    DatImage image(1024);
    DirectoryNode root;
    root.entries = {entry(0x06000003), entry(0x01000001), entry(0x06000002)};
    for (std::size_t k = 1; k < root.branches.size(); ++k) root.branches[k] = 0x7FFF0000;
    image.header.root_offset = image.store_node(root);
    const auto db = open_ok(image);
    EXPECT_EQ(ids_of(db), (std::vector<std::uint32_t>{0x01000001, 0x06000002, 0x06000003}));
    EXPECT_EQ(*db.files().find(0x01000001), entry(0x01000001));
}

TEST(DirectoryTest, AnInnerNodeVisitsOnlyTheSlotsItsEntryCountCovers) {
    DatImage image(1024);
    DirectoryNode children[3];
    std::uint32_t offsets[3];
    for (std::uint32_t i = 0; i < 3; ++i) {
        children[i].entries = {entry(0x100 + i)};
        offsets[i] = image.store_node(children[i]);
    }
    DirectoryNode root;
    root.entries = {entry(0x10), entry(0x20)};
    root.branches = {offsets[0], offsets[1], offsets[2], 0x7FFF0000};  // slot 3 would fail if read
    image.header.root_offset = image.store_node(root);
    EXPECT_EQ(ids_of(open_ok(image)), (std::vector<std::uint32_t>{0x10, 0x20, 0x100, 0x101, 0x102}));
}

TEST(DirectoryTest, EmptySlotsAreSkippedAndTheLastSlotIsReachable) {
    DatImage image(256);
    DirectoryNode last_child;
    last_child.entries = {entry(0xFFFFFFF0)};
    DirectoryNode first_child;
    first_child.entries = {entry(0x1)};
    DirectoryNode root;
    for (std::uint32_t i = 0; i < 61; ++i) root.entries.push_back(entry(0x1000 + i));
    root.branches[0] = image.store_node(first_child);
    root.branches[61] = image.store_node(last_child);
    image.header.root_offset = image.store_node(root);
    const auto db = open_ok(image);
    EXPECT_EQ(db.files().size(), 63u);
    EXPECT_TRUE(db.files().contains(0xFFFFFFF0));
}

TEST(DirectoryTest, TheEntryReadLastWinsInPreOrder) {
    // root {A, B} -> child0 {A'} -> grandchild {B'}; child1 {A''}.
    // Pre-order: root, child0, grandchild, child1: A'' and B' survive.
    DatImage image(1024);
    DirectoryNode grandchild;
    grandchild.entries = {entry(0xB, 3)};
    DirectoryNode child0;
    child0.entries = {entry(0xA, 2)};
    child0.branches[0] = image.store_node(grandchild);
    DirectoryNode child1;
    child1.entries = {entry(0xA, 4), entry(0xC, 4), entry(0xC, 5)};
    DirectoryNode root;
    root.entries = {entry(0xA, 1), entry(0xB, 1)};
    root.branches[0] = image.store_node(child0);
    root.branches[1] = image.store_node(child1);
    image.header.root_offset = image.store_node(root);
    const auto db = open_ok(image);
    EXPECT_EQ(db.files().size(), 3u);
    EXPECT_EQ(db.files().find(0xA)->offset, 4u);
    EXPECT_EQ(db.files().find(0xB)->offset, 3u);
    EXPECT_EQ(db.files().find(0xC)->offset, 5u) << "within one node the later entry wins";
}

TEST(DirectoryTest, AnEntryCountAboveTheNodeCapacityIsAShortRecord) {
    DatImage image(1024);
    DirectoryNode root;
    for (std::uint32_t i = 0; i < 61; ++i) root.entries.push_back(entry(i + 1));
    root.entry_count = 62;
    image.header.root_offset = image.store_node(root);
    auto opened = open_bytes(image.bytes());
    ASSERT_FALSE(opened.db);
    EXPECT_EQ(opened.db.error().kind(), dat::DatErrorKind::BinRead);
    EXPECT_EQ(opened.db.error().message(),
              "Binary read error: failed to fill whole buffer\nWhile parsing field 'bit_flags' in DatFileEntry");
}

TEST(DirectoryTest, ANodeReachedTwiceIsCorruption) {
    struct Case {
        const char* what;
        // Builds the image; returns the offset that must be named.
        std::uint32_t (*build)(DatImage&);
    };
    const Case cases[] = {
        {"root links to itself",
         [](DatImage& image) {
             DirectoryNode root;
             root.entries = {entry(1)};
             root.branches[0] = image.next_offset();
             return image.header.root_offset = image.store_node(root);
         }},
        {"child links back to the root",
         [](DatImage& image) {
             const std::uint32_t root_at = image.next_offset();
             DirectoryNode child;
             child.entries = {entry(2)};
             child.branches[0] = root_at;
             DirectoryNode root;
             root.entries = {entry(1)};
             // The root is stored first, so the child follows it.
             root.branches[0] = root_at + 2 * 1024;
             image.header.root_offset = image.store_node(root);
             image.store_node(child);
             return root_at;
         }},
        {"two slots share one child",
         [](DatImage& image) {
             DirectoryNode child;
             child.entries = {entry(2)};
             const std::uint32_t child_at = image.store_node(child);
             DirectoryNode root;
             root.entries = {entry(1)};
             root.branches[0] = child_at;
             root.branches[1] = child_at;
             image.header.root_offset = image.store_node(root);
             return child_at;
         }},
    };
    for (const auto& c : cases) {
        DatImage image(1024);
        const std::uint32_t named = c.build(image);
        auto opened = open_bytes(image.bytes());
        ASSERT_FALSE(opened.db) << c.what;
        EXPECT_EQ(opened.db.error().kind(), dat::DatErrorKind::Corruption) << c.what;
        EXPECT_EQ(opened.db.error().message(),
                  fmt::format("Corruption detected: directory node at offset 0x{:08X} is reached more than once", named))
            << c.what;
    }
}

TEST(DirectoryTest, ANodeChainPastTheEndOfTheFileFailsTheOpen) {
    DatImage image(1024);
    image.header.root_offset = 0x00F00000;
    auto opened = open_bytes(image.bytes());
    ASSERT_FALSE(opened.db);
    EXPECT_EQ(opened.db.error().message(), "IO error: failed to fill whole buffer");
}

TEST(DirectoryTest, NodesAreReadOneBlockAtATime) {
    DatImage image(256);
    DirectoryNode root;
    root.entries = {entry(1)};
    image.header.root_offset = image.store_node(root, support::BlockLayout::Scattered);
    auto opened = open_bytes(image.bytes());
    ASSERT_TRUE(opened.db);
    // The header, then ceil(1716 / 252) = 7 blocks.
    EXPECT_EQ(opened.reads->size(), 1u + 7u);
}

TEST(DirectoryTest, GetFileReturnsStoredOrDecompressedBytes) {
    support::DatBuilder builder(256, 2);
    const Bytes plain = support::pattern_bytes(700, 1);
    const Bytes text = support::repetitive_bytes(3000, 2);
    builder.add_file(0x10, plain);
    builder.add_file(0x11, text, {.lrs = true});
    builder.add_file(0x12, {});
    builder.add_file(0x13, support::pattern_bytes(40, 3), {.lrs = true, .extra_flags = 0x00020000});
    auto opened = open_bytes(builder.build());
    ASSERT_TRUE(opened.db);
    const auto& db = *opened.db;

    EXPECT_EQ(db.get_file(0x10).value(), plain);
    const auto* compressed = db.files().find(0x11);
    ASSERT_NE(compressed, nullptr);
    EXPECT_EQ(compressed->bit_flags, 1u);
    EXPECT_LT(compressed->size, text.size());
    EXPECT_EQ(db.get_file(0x11).value(), text) << "the length comes from the compressed data";
    EXPECT_EQ(db.files().find(0x13)->bit_flags, 0x00020001u);
    EXPECT_EQ(db.get_file(0x13).value(), support::pattern_bytes(40, 3));

    opened.reads->clear();
    EXPECT_EQ(db.get_file(0x12).value(), Bytes{});
    EXPECT_TRUE(opened.reads->empty()) << "an empty file reads nothing";
    auto missing = db.get_file(0x14);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().kind(), dat::DatErrorKind::NotFound);
}

TEST(DirectoryTest, MultiLevelTreesOfEveryShapeLoadCompletely) {
    struct Case {
        std::size_t files;
        std::size_t capacity;
        std::uint32_t block_size;
        support::BlockLayout layout;
    };
    const Case cases[] = {
        {1, 61, 1024, support::BlockLayout::Contiguous},  {61, 61, 1024, support::BlockLayout::Contiguous},
        {62, 61, 256, support::BlockLayout::Contiguous},  {4000, 61, 256, support::BlockLayout::Scattered},
        {500, 1, 512, support::BlockLayout::Contiguous},  {700, 3, 256, support::BlockLayout::Scattered},
        {3844, 61, 1024, support::BlockLayout::Contiguous},
    };
    for (const auto& c : cases) {
        support::DatBuilder builder(c.block_size, 1);
        builder.set_node_capacity(c.capacity).set_layout(c.layout);
        std::vector<std::uint32_t> ids;
        for (std::size_t i = 0; i < c.files; ++i) {
            // Ids in scrambled order so the builder's sort matters.
            const auto id = static_cast<std::uint32_t>((i * 2654435761u) ^ 0x06000000u);
            ids.push_back(id);
            builder.add_file(id, support::pattern_bytes(i % 300, id));
        }
        auto opened = open_bytes(builder.build());
        ASSERT_TRUE(opened.db) << c.files << ": " << opened.db.error().message();
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(ids_of(*opened.db), ids) << c.files << " files, capacity " << c.capacity;
        for (std::size_t i = 0; i < c.files; i += 97) {
            const auto id = static_cast<std::uint32_t>((i * 2654435761u) ^ 0x06000000u);
            EXPECT_EQ(opened.db->get_file(id).value(), support::pattern_bytes(i % 300, id));
        }
    }
}

TEST(DirectoryTest, AHundredThousandFilesInADeepTree) {
    support::DatBuilder builder(256, 2);
    std::vector<std::uint32_t> ids;
    for (std::uint32_t i = 0; i < 100000; ++i) ids.push_back(((i / 64) << 16) | (0x100 + i % 64));
    builder.add_files_sharing_data(ids, support::pattern_bytes(600, 5));
    builder.add_file(0x0001FFFF, support::pattern_bytes(70, 6));
    auto opened = open_bytes(builder.build());
    ASSERT_TRUE(opened.db) << opened.db.error().message();
    const auto& files = opened.db->files();
    ASSERT_EQ(files.size(), 100001u);
    EXPECT_TRUE(std::is_sorted(files.begin(), files.end(), [](auto& a, auto& b) { return a.id < b.id; }));
    EXPECT_EQ(opened.db->get_file(ids[77777]).value(), support::pattern_bytes(600, 5));
    EXPECT_EQ(opened.db->get_file(0x0001FFFF).value(), support::pattern_bytes(70, 6));
}

}  // namespace
