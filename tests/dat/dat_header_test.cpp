#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dat/dat_database.hpp"
#include "dat_test_helpers.hpp"
#include "support/dat_builder.hpp"
#include "support/temp_dir.hpp"

namespace {

using dat::Bytes;
using dat::DatDatabase;
using dat_test::open_bytes;

TEST(DatHeaderTest, AHeaderOnlyFileWithNoRootOpensEmpty) {
    support::DatImage image(1024);
    Bytes bytes = image.bytes();
    bytes.resize(0x190);
    auto opened = open_bytes(bytes);
    ASSERT_TRUE(opened.db) << opened.db.error().message();
    EXPECT_TRUE(opened.db->files().empty());
    auto missing = opened.db->get_file(0x0600001A);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().message(), "File ID 0600001A not found in provider");
}

TEST(DatHeaderTest, AShortFileNamesTheFieldThatCameUpShort) {
    struct Case {
        std::size_t length;
        const char* field;
    };
    const std::vector<Case> cases = {
        {0, "magic"},           {0x100, "magic"},          {0x143, "magic"},        {0x144, "block_size"},
        {0x148, "file_size"},   {0x14C, "dataset"},        {0x150, "subset"},       {0x154, "free_head"},
        {0x158, "free_tail"},   {0x15C, "free_count"},     {0x160, "root_offset"},  {0x164, "new_lru"},
        {0x168, "old_lru"},     {0x16C, "use_lru"},        {0x170, "master_map_id"}, {0x174, "engine_version"},
        {0x178, "game_version"}, {0x17C, "version_string"}, {0x18B, "version_string"}, {0x18C, "version_minor"},
        {0x18F, "version_minor"},
    };
    const Bytes full = support::DatImage(1024).bytes();
    for (const auto& c : cases) {
        auto opened = open_bytes(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(c.length)));
        ASSERT_FALSE(opened.db) << c.length;
        const auto& error = opened.db.error();
        EXPECT_EQ(error.kind(), dat::DatErrorKind::BinRead);
        const std::string inner = std::string("failed to fill whole buffer\nWhile parsing field '") + c.field +
                                  "' in DatHeader";
        EXPECT_EQ(error.message(), "Binary read error: " + inner) << c.length;
        EXPECT_EQ(error.cause(), inner);
    }
}

TEST(DatHeaderTest, KeepsEveryFieldAsStoredWithoutValidation) {
    dat::DatHeader header;
    std::uint32_t value = 0x11111111;
    for (auto* field : {&header.magic, &header.file_size, &header.dataset, &header.subset, &header.free_head,
                        &header.free_tail, &header.free_count, &header.new_lru, &header.old_lru, &header.use_lru,
                        &header.master_map_id, &header.engine_version, &header.game_version, &header.version_minor}) {
        *field = value;
        value += 0x01010101;
    }
    header.magic = 0xCAFEF00D;  // not the retail magic: still opens
    header.block_size = 256;
    header.version_string = {'v', '1', 0, '.', 0, 0, 'x', 0, 0, 0, 0, 0, 0, 0, 0, 0xFF};
    support::DatImage image(header);
    auto opened = open_bytes(image.bytes());
    ASSERT_TRUE(opened.db) << opened.db.error().message();
    const auto& read = opened.db->header();
    EXPECT_EQ(support::encode_header(read), support::encode_header(header));
    EXPECT_EQ(read.version_string, header.version_string);
    EXPECT_EQ(read.magic, 0xCAFEF00Du);
}

TEST(DatHeaderTest, AMissingPathIsAPathError) {
    support::TempDir dir;
    const auto path = dir / "absent.dat";
    auto db = DatDatabase::new_(path);
    ASSERT_FALSE(db);
    EXPECT_EQ(db.error().kind(), dat::DatErrorKind::PathError);
    EXPECT_EQ(db.error().message(), "Failed to open file at " + path.string() + ": No such file or directory (os error 2)");
    EXPECT_EQ(db.error().cause(), "No such file or directory (os error 2)");
}

TEST(DatHeaderTest, ADirectoryPathFailsReadingTheHeader) {
    support::TempDir dir;
    auto db = DatDatabase::new_(dir.path());
    ASSERT_FALSE(db);
    EXPECT_EQ(db.error().kind(), dat::DatErrorKind::BinRead);
    EXPECT_EQ(db.error().message(),
              "Binary read error: Is a directory (os error 21)\nWhile parsing field 'magic' in DatHeader");
}

TEST(DatHeaderTest, OpensFromAPathOnDisk) {
    support::TempDir dir;
    support::DatBuilder builder(256, 2);
    builder.add_file(0xA9B4FFFF, Bytes(300, 7));
    builder.write(dir / "cell.dat");
    auto db = DatDatabase::new_(dir / "cell.dat");
    ASSERT_TRUE(db) << db.error().message();
    EXPECT_EQ(db->header().block_size, 256u);
    EXPECT_EQ(db->get_file(0xA9B4FFFF).value(), Bytes(300, 7));
}

}  // namespace
