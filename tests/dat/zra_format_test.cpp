// Record layouts and the smallest archives the writers produce, byte for byte.

#include <gtest/gtest.h>

#include "dat/archive/format.hpp"
#include "dat/archive/writer.hpp"
#include "support/archive_builder.hpp"
#include "support/temp_dir.hpp"

namespace {

using dat::Bytes;

Bytes encode(const auto& record) {
    Bytes out;
    dat::ByteWriter writer(out);
    record.encode(writer);
    return out;
}

TEST(ZraFormat, RecordsPutEachFieldAtItsOffset) {
    dat::ZraEntry entry;
    entry.namespace_bytes = support::raw_namespace("eor/cell");
    entry.file_id = 0x11223344;
    entry.type_id = 0x55667788;
    entry.offset = 0x0102030405060708;
    entry.size = 0xA1A2A3A4;
    entry.comp_size = 0xB1B2B3B4;
    entry.flags = 0x05;
    entry.storage_id = 0xC1;
    entry.reserved = 0xD1D2;
    const Bytes raw = encode(entry);
    ASSERT_EQ(raw.size(), dat::ZraEntry::kSize);
    EXPECT_EQ(std::string(raw.begin(), raw.begin() + 8), "eor/cell");
    EXPECT_EQ(raw[31], 0);
    EXPECT_EQ(support::get_u32(raw, 32), 0x11223344u);
    EXPECT_EQ(support::get_u32(raw, 36), 0x55667788u);
    EXPECT_EQ(support::get_u64(raw, 40), 0x0102030405060708u);
    EXPECT_EQ(support::get_u32(raw, 48), 0xA1A2A3A4u);
    EXPECT_EQ(support::get_u32(raw, 52), 0xB1B2B3B4u);
    EXPECT_EQ(raw[56], 0x05);
    EXPECT_EQ(raw[57], 0xC1);
    EXPECT_EQ(raw[58], 0xD2);
    EXPECT_EQ(raw[59], 0xD1);
    dat::ByteCursor cursor(raw);
    EXPECT_EQ(dat::ZraEntry::decode(cursor).value(), entry);

    const dat::ZraHeader header{.entry_count = 3, .index_offset = 0x1122334455667788, .metadata_size = 44};
    const Bytes header_raw = encode(header);
    ASSERT_EQ(header_raw.size(), dat::ZraHeader::kSize);
    EXPECT_EQ(Bytes(header_raw.begin(), header_raw.begin() + 4), (Bytes{'Z', 'R', 'A', 0}));
    EXPECT_EQ(support::get_u32(header_raw, 4), 2u);
    EXPECT_EQ(support::get_u64(header_raw, 12), 0x1122334455667788u);
    EXPECT_EQ(support::get_u32(header_raw, 20), 44u);
    dat::ByteCursor header_cursor(header_raw);
    EXPECT_EQ(dat::ZraHeader::decode(header_cursor).value(), header);

    const auto span = support::span("eor/portal", 7, 9);
    const Bytes span_raw = encode(span);
    ASSERT_EQ(span_raw.size(), dat::ZraNamespaceIndexEntry::kSize);
    EXPECT_EQ(support::get_u32(span_raw, 32), 7u);
    EXPECT_EQ(support::get_u32(span_raw, 36), 9u);
}

TEST(ZraFormat, ShortRecordNamesTheField) {
    const Bytes raw(40, 0);  // ends inside `offset`
    dat::ByteCursor cursor(raw);
    const auto entry = dat::ZraEntry::decode(cursor);
    ASSERT_FALSE(entry);
    EXPECT_EQ(entry.error().describe(), "failed to fill whole buffer\nWhile parsing field 'offset' in ZraEntry");
}

TEST(ZraFormat, EmptyArchiveIs28Bytes) {
    support::TempDir dir;
    ASSERT_TRUE(dat::ZraWriter::new_().write(dir / "a.zra"));
    const Bytes expected = {'Z', 'R', 'A', 0, 2, 0, 0, 0, 0, 0, 0, 0, 28, 0, 0, 0,
                            0,   0,   0,   0, 4, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(support::read_bytes(dir / "a.zra"), expected);
}

TEST(ZraFormat, OneEntryArchiveIs133Bytes) {
    support::TempDir dir;
    auto writer = dat::ZraStreamWriter::create(dir / "a.zra", true).value();
    ASSERT_TRUE(writer.add("eor/portal", 0x0600001A, 6, Bytes{'h', 'e', 'l', 'l', 'o'}));
    ASSERT_TRUE(std::move(writer).finish());
    const Bytes bytes = support::read_bytes(dir / "a.zra");
    ASSERT_EQ(bytes.size(), 133u);

    Bytes expected = {'Z', 'R', 'A', 0, 2, 0, 0, 0, 1, 0, 0, 0, 73, 0, 0, 0, 0, 0, 0, 0, 44, 0, 0, 0};
    for (char c : std::string("hello")) expected.push_back(static_cast<std::uint8_t>(c));
    expected.insert(expected.end(), {1, 0, 0, 0});  // namespace count at 29
    const auto ns = support::raw_namespace("eor/portal");
    expected.insert(expected.end(), ns.begin(), ns.end());
    expected.insert(expected.end(), {0, 0, 0, 0, 1, 0, 0, 0});
    expected.insert(expected.end(), ns.begin(), ns.end());  // index record at 73
    expected.insert(expected.end(), {0x1A, 0, 0, 0x06, 6, 0, 0, 0, 24, 0, 0, 0, 0, 0, 0, 0,
                                     5,    0, 0, 0,    5, 0, 0, 0, 0,  0, 0, 0});
    EXPECT_EQ(bytes, expected);
}

TEST(ZraFormat, WriterLimitsMatchWhatReadersAccept) {
    EXPECT_TRUE(dat::zra_resource_fits("eor/portal", 1, UINT32_MAX));
    const auto too_big = dat::zra_resource_fits("eor/portal", 0x1A, std::uint64_t{1} << 32);
    ASSERT_FALSE(too_big);
    EXPECT_EQ(too_big.error().message(),
              "Other error: resource eor/portal:0000001A is 4294967296 bytes; archive entries must be smaller than 4 "
              "GiB");
    EXPECT_TRUE(dat::zra_entry_count_fits(71'582'788));
    const auto too_many = dat::zra_entry_count_fits(71'582'789);
    ASSERT_FALSE(too_many);
    EXPECT_EQ(too_many.error().message(), "Other error: an archive holds at most 71582788 entries");
}

}  // namespace
