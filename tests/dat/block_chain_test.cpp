#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dat/dat_database.hpp"
#include "dat_test_helpers.hpp"
#include "support/dat_builder.hpp"
#include "support/records.hpp"

namespace {

using dat::Bytes;
using dat_test::open_bytes;
using support::DatImage;

// A database with an empty directory over `image`, reads recorded.
dat_test::Opened open_image(const DatImage& image, bool trimmed = false) {
    auto opened = open_bytes(image.bytes(trimmed));
    EXPECT_TRUE(opened.db) << opened.db.error().message();
    opened.reads->clear();
    return opened;
}

Bytes block_of(std::uint32_t link, const Bytes& payload, std::uint32_t block_size) {
    Bytes block;
    support::append_u32(block, link);
    block.insert(block.end(), payload.begin(), payload.end());
    block.resize(std::max<std::size_t>(block.size(), block_size), 0);
    return block;
}

TEST(BlockChainTest, SizeZeroReadsNothing) {
    DatImage image(1024);
    auto opened = open_image(image);
    EXPECT_EQ(opened.db->read_file_data(0xFFFFFF00, 0).value(), Bytes{});
    EXPECT_TRUE(opened.reads->empty());
}

TEST(BlockChainTest, AFileFillingOneBlockIsOneReadWhateverTheLinkHolds) {
    DatImage image(1024);
    const Bytes payload = support::pattern_bytes(1020, 1);
    const std::uint32_t at = image.append_raw(block_of(0xDEADBEEF, payload, 1024));
    auto opened = open_image(image);
    EXPECT_EQ(opened.db->read_file_data(at, 1020).value(), payload);
    ASSERT_EQ(opened.reads->size(), 1u);
    EXPECT_EQ((*opened.reads)[0].offset, at);
    EXPECT_EQ((*opened.reads)[0].length, 1024u);
}

TEST(BlockChainTest, ALastBlockIsReadOnPastItsEnd) {
    // Link 0 in the first block: all 1021 bytes follow the link word contiguously.
    DatImage image(1024);
    Bytes raw;
    support::append_u32(raw, 0);
    const Bytes payload = support::pattern_bytes(1021, 2);
    raw.insert(raw.end(), payload.begin(), payload.end());
    const std::uint32_t at = image.append_raw(raw);
    auto opened = open_image(image);
    EXPECT_EQ(opened.db->read_file_data(at, 1021).value(), payload);
    EXPECT_EQ(opened.reads->size(), 2u);
}

TEST(BlockChainTest, FollowsLinksOnlyAsFarAsTheSizeNeeds) {
    // First block at 1024 links to 4096, whose own link is not followed.
    DatImage image(1024);
    const Bytes data = support::pattern_bytes(2040, 3);
    const Bytes first(data.begin(), data.begin() + 1020), second(data.begin() + 1020, data.end());
    ASSERT_EQ(image.append_raw(block_of(4096, first, 1024)), 1024u);
    image.append_raw(Bytes(2048, 0xEE));
    ASSERT_EQ(image.append_raw(block_of(0x7FFFFFF0, second, 1024)), 4096u);
    auto opened = open_image(image);
    EXPECT_EQ(opened.db->read_file_data(1024, 2040).value(), data);
    ASSERT_EQ(opened.reads->size(), 2u);
    EXPECT_EQ((*opened.reads)[1].offset, 4096u);
}

TEST(BlockChainTest, ALinkPastTheEndOfTheFileIsAShortRead) {
    DatImage image(1024);
    const std::uint32_t at = image.append_raw(block_of(0x00100000, Bytes(1020, 1), 1024));
    auto opened = open_image(image);
    auto read = opened.db->read_file_data(at, 1500);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.error().kind(), dat::DatErrorKind::Io);
    EXPECT_EQ(read.error().message(), "IO error: failed to fill whole buffer");
    EXPECT_EQ(read.error().cause(), "failed to fill whole buffer");
}

TEST(BlockChainTest, ASizeTheFileCannotHoldFailsWithoutReading) {
    // A block that links to itself could repeat forever; the size alone
    // already exceeds what the file can supply.
    DatImage image(1024);
    const std::uint32_t at = image.next_offset();
    image.append_raw(block_of(at, Bytes(1020, 1), 1024));
    auto opened = open_image(image);
    for (std::uint32_t size : {0xFFFFFFFFu, static_cast<std::uint32_t>(image.bytes().size())}) {
        auto read = opened.db->read_file_data(at, size);
        ASSERT_FALSE(read);
        EXPECT_EQ(read.error().message(), "IO error: failed to fill whole buffer");
    }
    EXPECT_TRUE(opened.reads->empty());
    // Within the file's length, the self-link is followed as often as the size needs.
    auto looped = opened.db->read_file_data(at, 1500);
    ASSERT_TRUE(looped);
    EXPECT_EQ(*looped, Bytes(1500, 1));
}

TEST(BlockChainTest, ABlockSizeWithoutPayloadIsCorruption) {
    for (std::uint32_t block_size : {0u, 1u, 4u}) {
        dat::DatHeader header = support::retail_header(block_size, 1);
        header.root_offset = 0x200;
        DatImage image(header);
        image.append_raw(Bytes(0x1000, 0));
        auto opened = open_bytes(image.bytes());
        ASSERT_FALSE(opened.db) << block_size;
        EXPECT_EQ(opened.db.error().kind(), dat::DatErrorKind::Corruption);
        EXPECT_EQ(opened.db.error().message(),
                  "Corruption detected: block size " + std::to_string(block_size) +
                      " leaves no room for data after the link word");
        // Without a directory to read, such a file opens.
        header.root_offset = 0;
        EXPECT_TRUE(open_bytes(DatImage(header).bytes()).db);
    }
}

TEST(BlockChainTest, ChainsOfEveryBlockSizeAndLayoutReadBackWithOneReadPerBlock) {
    for (std::uint32_t block_size : {5u, 8u, 64u, 255u, 256u, 1000u, 1024u, 4096u}) {
        const std::size_t payload = block_size - 4;
        for (auto layout : {support::BlockLayout::Contiguous, support::BlockLayout::Scattered}) {
            for (std::size_t size : {std::size_t{1}, payload - 1, payload, payload + 1, 3 * payload, std::size_t{5000}}) {
                if (size == 0) continue;
                DatImage image(block_size);
                const Bytes data = support::pattern_bytes(size, static_cast<std::uint32_t>(size + block_size));
                const std::uint32_t at = image.store_chain(data, layout);
                auto opened = open_image(image);
                auto read = opened.db->read_file_data(at, static_cast<std::uint32_t>(size));
                ASSERT_TRUE(read) << block_size << "/" << size << ": " << read.error().message();
                EXPECT_EQ(*read, data) << block_size << "/" << size;

                const std::size_t blocks = (size + payload - 1) / payload;
                ASSERT_EQ(opened.reads->size(), blocks) << block_size << "/" << size;
                std::size_t total = 0;
                for (const auto& r : *opened.reads) {
                    EXPECT_LE(r.length, block_size);
                    total += r.length;
                }
                EXPECT_EQ(total, size + 4 * blocks) << "nothing beyond the needed bytes is read";
            }
        }
    }
}

TEST(BlockChainTest, AFileThatEndsInsideItsLastBlockStillReads) {
    DatImage image(1024);
    const Bytes data = support::pattern_bytes(2500, 9);
    const std::uint32_t at = image.store_chain(data);
    const Bytes trimmed = image.bytes(true);
    ASSERT_EQ(trimmed.size(), at + 2 * 1024 + 4 + (2500 - 2 * 1020)) << "the file ends mid-block";
    auto opened = open_bytes(trimmed);
    ASSERT_TRUE(opened.db);
    EXPECT_EQ(opened.db->read_file_data(at, 2500).value(), data);
    // One byte more than the chain holds runs past the end of the file.
    EXPECT_FALSE(opened.db->read_file_data(at, 2501));
}

}  // namespace
