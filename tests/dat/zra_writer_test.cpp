// Both writers: ordering, compression and flags, refusals, read-back.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "dat/archive/reader.hpp"
#include "dat/archive/warning_hook.hpp"
#include "dat/archive/writer.hpp"
#include "support/archive_builder.hpp"
#include "support/temp_dir.hpp"

namespace {

using dat::Bytes;
using dat::ZraReader;

struct Resource {
    std::string ns;
    std::uint32_t id;
    Bytes data;
};

std::vector<dat::ZraEntry> index_of(const ZraReader& reader) {
    std::vector<dat::ZraEntry> entries;
    for (std::uint32_t i = 0; i < reader.header().entry_count; ++i) entries.push_back(reader.read_entry_at(i).value());
    return entries;
}

std::vector<std::pair<std::string, std::uint32_t>> keys_of(const std::vector<dat::ZraEntry>& entries) {
    std::vector<std::pair<std::string, std::uint32_t>> keys;
    for (const auto& e : entries) keys.emplace_back(std::string(e.namespace_id().value().as_str()), e.file_id);
    return keys;
}

// Order of the stored bytes in the data region.
std::vector<std::pair<std::string, std::uint32_t>> data_order(std::vector<dat::ZraEntry> entries) {
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.offset < b.offset; });
    return keys_of(entries);
}

const std::vector<Resource> kThree = {
    {"eor/portal", 9, Bytes{9, 9, 9}}, {"eor/cell", 3, Bytes{3}}, {"eor/portal", 1, Bytes{1, 1}}};
const std::vector<std::pair<std::string, std::uint32_t>> kSorted = {{"eor/cell", 3}, {"eor/portal", 1}, {"eor/portal", 9}};

TEST(ZraStreamWriter, DataInOrderAddedIndexAndNamespacesSorted) {
    support::TempDir dir;
    auto writer = dat::ZraStreamWriter::create(dir / "a.zra", false).value();
    for (const auto& r : kThree) ASSERT_TRUE(writer.add(r.ns, r.id, 0, r.data));
    ASSERT_TRUE(std::move(writer).finish());

    auto reader = ZraReader::open(dir / "a.zra").value();
    const auto entries = index_of(reader);
    EXPECT_EQ(keys_of(entries), kSorted);
    EXPECT_EQ(data_order(entries), (std::vector<std::pair<std::string, std::uint32_t>>{
                                       {"eor/portal", 9}, {"eor/cell", 3}, {"eor/portal", 1}}));
    EXPECT_EQ(entries[2].offset, 24u);  // portal 9, the first added
    EXPECT_EQ(reader.namespace_spans(),
              (std::vector{support::span("eor/cell", 0, 1), support::span("eor/portal", 1, 2)}));
    for (const auto& r : kThree) {
        auto ns = dat::ResourceNamespace::new_(r.ns).value();
        EXPECT_EQ(reader.read_entry_data(reader.find_entry_with_namespace_id(ns, r.id).value()).value(), r.data);
    }
}

TEST(ZraWriter, WritesDataInSortedOrderWhateverTheOrderAdded) {
    std::array<int, 3> order = {0, 1, 2};
    do {
        support::TempDir dir;
        auto writer = dat::ZraWriter::new_();
        for (int i : order) ASSERT_TRUE(writer.add(kThree[i].ns, kThree[i].id, 0, kThree[i].data));
        ASSERT_TRUE(std::move(writer).write(dir / "a.zra"));
        auto reader = ZraReader::open(dir / "a.zra").value();
        EXPECT_EQ(data_order(index_of(reader)), kSorted);
        EXPECT_EQ(keys_of(index_of(reader)), kSorted);
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST(ZraWriters, CompressionAndPrunedFlags) {
    const Bytes zeros(1000, 0);
    const Bytes big = support::patterned_bytes(200'000);  // many 32 KiB input pieces
    Bytes noise(5000);
    std::uint32_t state = 7;
    for (auto& b : noise) b = static_cast<std::uint8_t>((state = state * 1664525u + 1013904223u) >> 24);

    for (bool compress : {true, false}) {
        SCOPED_TRACE(compress);
        support::TempDir dir;
        auto writer = dat::ZraWriter::new_();
        writer.compress = compress;
        ASSERT_TRUE(writer.add("eor/portal", 1, 0, zeros));
        ASSERT_TRUE(writer.add("eor/portal", 2, 0, Bytes{42}));
        ASSERT_TRUE(writer.insert("eor/portal", 3, 0, zeros, true));
        ASSERT_TRUE(writer.insert("eor/portal", 4, 0, Bytes{42}, true));
        ASSERT_TRUE(writer.add("eor/portal", 5, 0, noise));
        ASSERT_TRUE(writer.add("eor/portal", 6, 0, big));
        ASSERT_TRUE(writer.add("eor/portal", 7, 0, Bytes{}));
        ASSERT_TRUE(std::move(writer).write(dir / "a.zra"));

        auto reader = ZraReader::open(dir / "a.zra").value();
        const auto entries = index_of(reader);
        const std::uint8_t c = compress ? dat::kZraFlagCompressed : 0;
        const std::vector<std::uint8_t> expected_flags = {c, 0, static_cast<std::uint8_t>(c | 4), 4, 0, c, 0};
        for (std::size_t i = 0; i < entries.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(entries[i].flags, expected_flags[i]);
            if (entries[i].compressed()) {
                EXPECT_LT(entries[i].comp_size, entries[i].size);
            } else {
                EXPECT_EQ(entries[i].comp_size, entries[i].size);
            }
        }
        EXPECT_EQ(reader.read_entry_data(entries[0]).value(), zeros);
        EXPECT_EQ(reader.read_entry_data(entries[2]).value(), zeros);
        EXPECT_EQ(reader.read_entry_data(entries[4]).value(), noise);
        EXPECT_EQ(reader.read_entry_data(entries[5]).value(), big);
        // The stored bytes follow each other without gaps.
        std::uint64_t next = 24;
        for (const auto& e : entries) {
            EXPECT_EQ(e.offset, next);
            next += e.comp_size;
        }
        EXPECT_EQ(reader.header().index_offset, next + 4 + 40);
    }
}

TEST(ZraWriters, RefuseRepeatedKeysAndBadLabels) {
    support::TempDir dir;
    auto stream = dat::ZraStreamWriter::create(dir / "s.zra", true).value();
    auto memory = dat::ZraWriter::new_();
    for (auto add : {std::function([&](std::string_view ns, std::uint32_t id) { return stream.add(ns, id, 0, Bytes{1}); }),
                     std::function([&](std::string_view ns, std::uint32_t id) { return memory.add(ns, id, 0, Bytes{1}); })}) {
        EXPECT_TRUE(add("eor/portal", 5));
        EXPECT_TRUE(add("eor/cell", 5));
        EXPECT_EQ(add("eor/portal", 5).error().message(), "Duplicate namespaced file eor/portal:00000005 detected");
        EXPECT_EQ(add("", 6).error().message(), "Invalid namespace: namespace label cannot be empty");
    }
    EXPECT_EQ(stream.entries().size(), 2u);
    EXPECT_EQ(memory.size(), 2u);
}

TEST(ZraWriters, UnfinishedStreamIsRefusedByReaders) {
    support::TempDir dir;
    {
        auto stream = dat::ZraStreamWriter::create(dir / "s.zra", false).value();
        ASSERT_TRUE(stream.add("eor/portal", 1, 0, Bytes(10, 1)));
    }
    EXPECT_EQ(ZraReader::open(dir / "s.zra").error().message(),
              "Corruption detected: ZRA metadata offset 0 is within header area");
}

TEST(ZraWriters, CreationFailureIsAnIoError) {
    support::TempDir dir;
    const auto written = dat::ZraWriter::new_().write(dir / "missing" / "a.zra");
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().message(), "IO error: No such file or directory (os error 2)");
}

TEST(ZraWriters, WarningsAreSilentUntilAHookIsInstalled) {
    std::vector<std::string> seen;
    dat::emit_zra_warning("dropped");
    dat::set_zra_warning_hook([&](std::string_view m) { seen.emplace_back(m); });
    dat::emit_zra_warning("kept");
    dat::set_zra_warning_hook({});
    dat::emit_zra_warning("dropped again");
    EXPECT_EQ(seen, std::vector<std::string>{"kept"});
}

}  // namespace
