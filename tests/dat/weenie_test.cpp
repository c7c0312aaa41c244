#include <gtest/gtest.h>

#include "dat/records/weenie.hpp"
#include "support/failure_text.hpp"
#include "support/record_builders.hpp"

namespace {

using dat::Weenie;
using dat::WeenieTable;
using support::Bytes;
using support::WeenieRecord;

// Every property kind, with one entry per section that the store must drop.
WeenieRecord full_record() {
    WeenieRecord w;
    w.wcid = 0x1F4;
    w.weenie_type = 10;
    w.unused = 0xDEADBEEF;
    w.ints = {{25, 7}, {391, 1}, {9015, -3}};
    w.int64s = {{1, -5000000000LL}, {9, 1}};
    w.bools = {{0, 0x02}, {1, 0x00}, {131, 1}};
    w.floats = {{0, 1.5}, {172, 2.0}};
    w.strings = {{1, "Bow"}, {16, "a\xE9"}, {53, "dropped"}, {2, ""}};
    w.dids = {{8, 0x06001234}, {62, 1}, {1, 0}};
    w.iids = {{8000, 5}, {46, 5}};
    return w;
}

TEST(Weenie, DecodesTheSmallestRecord) {
    const Bytes bytes = {0x01, 0, 0, 0, 0x0A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const auto weenie = Weenie::unpack(bytes).value();
    EXPECT_EQ(weenie.wcid, 1u);
    EXPECT_EQ(weenie.weenie_type, 10u);
    EXPECT_FALSE(weenie.name().has_value());
    EXPECT_FALSE(weenie.icon_id().has_value());
    EXPECT_TRUE(weenie.properties.int_properties.empty());
}

TEST(Weenie, KeepsOnlyWhatTheStoreAccepts) {
    const auto weenie = Weenie::unpack(support::weenie_bytes(full_record())).value();
    const auto& p = weenie.properties;
    EXPECT_EQ(weenie.wcid, 0x1F4u);
    EXPECT_EQ(weenie.name(), "Bow");
    EXPECT_EQ(weenie.icon_id(), 0x06001234u);
    EXPECT_EQ(p.int_properties.size(), 2u);
    EXPECT_EQ(p.int64_properties.at(*common::PropertyInt64::from_repr(1)), -5000000000LL);
    EXPECT_EQ(p.int64_properties.size(), 1u);
    ASSERT_EQ(p.bool_properties.size(), 2u);
    EXPECT_TRUE(p.bool_properties.at(*common::PropertyBool::from_repr(0)));  // 0x02 is true
    EXPECT_FALSE(p.bool_properties.at(*common::PropertyBool::from_repr(1)));
    EXPECT_EQ(p.float_properties.size(), 1u);
    EXPECT_EQ(p.string_properties.size(), 2u);  // "dropped" has a bad key, "" is never stored
    EXPECT_EQ(p.string_properties.at(*common::PropertyString::from_repr(16)), "a\xC3\xA9");
    EXPECT_EQ(p.did_properties.size(), 1u);
    EXPECT_EQ(p.iid_properties.size(), 1u);
}

TEST(Weenie, StringPaddingFollowsTheCursorPositionNotTheRecordStart) {
    WeenieRecord w;
    w.wcid = 7;
    w.strings = {{1, "Bow"}};
    w.dids = {{8, 0x06000042}};

    // From the record's start the string entry begins at 22: 9 bytes of
    // entry, then 1 byte of padding up to 32.
    support::RecordWriter at_start;
    support::write_weenie(at_start, w, 0xFF);
    dat::ByteCursor cursor(at_start.data());
    const auto weenie = Weenie::unpack_from_reader(cursor).value();
    EXPECT_EQ(weenie.name(), "Bow");
    EXPECT_EQ(weenie.icon_id(), 0x06000042u);
    EXPECT_EQ(cursor.position(), at_start.size());
    EXPECT_EQ(at_start.size(), 44u);

    // Two bytes in, the entry begins at 24, a multiple of 4: 4 + 2 + 3 bytes,
    // then 3 bytes of padding, because the position counts from the start
    // of the data. Counting from the record's start would skip only one and
    // read the 0xFF padding as the next count.
    support::RecordWriter shifted;
    shifted.u16(0xAAAA);
    support::write_weenie(shifted, w, 0xFF);
    EXPECT_EQ(shifted.size(), 2u + 46u);
    dat::ByteCursor shifted_cursor(shifted.data(), 2);
    const auto moved = Weenie::unpack_from_reader(shifted_cursor).value();
    EXPECT_EQ(moved.name(), "Bow");
    EXPECT_EQ(moved.icon_id(), 0x06000042u);
    EXPECT_EQ(shifted_cursor.position(), shifted.size());
}

TEST(Weenie, EveryTruncationIsAShortReadWithoutFieldLines) {
    const Bytes bytes = support::weenie_bytes(full_record());
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        const auto result = Weenie::unpack(std::span(bytes).first(cut));
        ASSERT_FALSE(result.has_value()) << cut;
        ASSERT_EQ(result.error().kind(), dat::DatErrorKind::BinRead) << cut;
        ASSERT_EQ(result.error().message(), "Binary read error: failed to fill whole buffer") << cut;
    }
    EXPECT_TRUE(Weenie::unpack(bytes).has_value());
}

TEST(Weenie, AStringLongerThanTheDataFails) {
    WeenieRecord w;
    w.strings = {{1, "Bow"}};
    Bytes bytes = support::weenie_bytes(w);
    // The string's length: after the header, four empty sections, the
    // string count and the key.
    bytes[12 + 8 + 2 + 4] = 0xFF;
    bytes[12 + 8 + 2 + 5] = 0xFF;
    EXPECT_EQ(support::failure_text(Weenie::unpack(bytes)), "Binary read error: failed to fill whole buffer");
}

TEST(WeenieTable, DecodesEveryEntryAlignedFromTheTableStart) {
    // The second record starts at an offset that is not a multiple of 4, so
    // its padding differs from what a record-relative count would give.
    auto first = WeenieRecord::named(100, 1, "Bowl", 0x06000001);
    auto second = WeenieRecord::named(200, 2, "Sword", 0x06000002);
    second.strings.emplace_back(16, "ab");
    const auto bytes = support::weenie_table_bytes(0x0E000003, {{100, first}, {200, second}, {300, WeenieRecord{}}});
    const auto table = WeenieTable::unpack(bytes).value();
    EXPECT_EQ(table.id, 0x0E000003u);
    ASSERT_EQ(table.weenies.size(), 3u);
    EXPECT_EQ(table.weenies.at(100).name(), "Bowl");
    EXPECT_EQ(table.weenies.at(200).name(), "Sword");
    EXPECT_EQ(table.weenies.at(200).icon_id(), 0x06000002u);
    EXPECT_EQ(table.weenies.at(300).wcid, 0u);
}

TEST(WeenieTable, HeaderAndEntryEdges) {
    const Bytes six = {1, 0, 0, 0, 0, 0};
    EXPECT_EQ(support::failure_text(WeenieTable::unpack(six)), "Binary read error: failed to fill whole buffer");

    const Bytes empty = {0x03, 0x00, 0x00, 0x0E, 0x00, 0x00, 0x77, 0x77};
    const auto table = WeenieTable::unpack(empty).value();
    EXPECT_EQ(table.id, 0x0E000003u);
    EXPECT_TRUE(table.weenies.empty());

    // A repeated key keeps the later record.
    const auto twice = support::weenie_table_bytes(
        1, {{5, WeenieRecord::named(1, 1, "first")}, {5, WeenieRecord::named(2, 1, "second")}});
    const auto replaced = WeenieTable::unpack(twice).value();
    ASSERT_EQ(replaced.weenies.size(), 1u);
    EXPECT_EQ(replaced.weenies.at(5).name(), "second");

    // A count larger than the entries present fails; nothing is returned.
    auto short_count = support::weenie_table_bytes(1, {{5, WeenieRecord::named(1, 1, "only")}});
    short_count[4] = 0xFF;
    short_count[5] = 0xFF;
    EXPECT_EQ(support::failure_text(WeenieTable::unpack(short_count)), "Binary read error: failed to fill whole buffer");
}

}  // namespace
