// Opening archives, finding entries and reading their data.

#include <gtest/gtest.h>

#include <set>

#include "dat/archive/reader.hpp"
#include "dat/archive/zstd_frames.hpp"
#include "support/archive_builder.hpp"
#include "support/temp_dir.hpp"

namespace {

using dat::Bytes;
using dat::ZraReader;

// Serves bytes from memory, remembers every read, and can start failing
// reads at or beyond an offset (a file that shrank after it was opened).
class ObservedSource final : public dat::ByteSource {
public:
    explicit ObservedSource(Bytes bytes) : inner_(std::move(bytes)) {}
    dat::IoResult<std::uint64_t> len_compat() const override { return inner_.len_compat(); }
    dat::IoResult<void> read_exact_at_compat(std::span<std::uint8_t> buffer, std::uint64_t offset) const override {
        reads->push_back({offset, buffer.size()});
        if (offset + buffer.size() > *fail_from) return std::unexpected(dat::IoError::unexpected_eof());
        return inner_.read_exact_at_compat(buffer, offset);
    }
    std::shared_ptr<std::vector<std::pair<std::uint64_t, std::size_t>>> reads =
        std::make_shared<std::vector<std::pair<std::uint64_t, std::size_t>>>();
    std::shared_ptr<std::uint64_t> fail_from = std::make_shared<std::uint64_t>(UINT64_MAX);

private:
    dat::MemorySource inner_;
};

dat::Expected<ZraReader> open_bytes(Bytes bytes) {
    return ZraReader::from_source(std::make_unique<dat::MemorySource>(std::move(bytes)));
}

dat::ResourceNamespace ns(std::string_view label) { return dat::ResourceNamespace::new_(label).value(); }

TEST(ZraReader, RefusesEachKindOfDamageWithItsMessage) {
    for (const auto& bad : support::malformed_archives()) {
        SCOPED_TRACE(bad.name);
        auto reader = open_bytes(bad.bytes);
        if (!bad.failing_entry) {
            ASSERT_FALSE(reader);
            EXPECT_EQ(reader.error().message(), bad.message);
            continue;
        }
        ASSERT_TRUE(reader) << reader.error().message();
        const auto entry = reader->find_entry(*bad.failing_entry);
        ASSERT_TRUE(entry) << entry.error().message();
        const auto data = reader->read_entry_data(*entry);
        ASSERT_FALSE(data);
        EXPECT_EQ(data.error().message(), bad.message);
    }
}

TEST(ZraReader, LimitsThatAreMetExactlyPass) {
    // The largest entry count passes the size check and fails only later.
    Bytes many = support::ArchiveBuilder().build().bytes;
    support::put_u32(many, 8, 71'582'788);
    EXPECT_EQ(open_bytes(many).error().message(),
              "Corruption detected: ZRA index extends beyond file size (4294967308 > 28)");

    // An index that ends exactly at the end of the file, and a namespace
    // block right after the header, are fine.
    auto built = support::ArchiveBuilder().add("eor/portal", 1, Bytes(872, 7)).build();
    ASSERT_EQ(built.bytes.size(), 1000u);
    EXPECT_TRUE(open_bytes(built.bytes));
    EXPECT_EQ(support::ArchiveBuilder().build().metadata_offset, 24u);
    EXPECT_TRUE(open_bytes(support::ArchiveBuilder().build().bytes));
}

TEST(ZraReader, ArchiveWithoutNamespaceBlockOpensEmpty) {
    Bytes bytes = support::ArchiveBuilder().build().bytes;
    support::put_u32(bytes, 20, 0);
    auto reader = open_bytes(bytes);
    ASSERT_TRUE(reader) << reader.error().message();
    EXPECT_TRUE(reader->namespace_spans().empty());
    EXPECT_EQ(reader->find_entry(0x1A).error().message(), "File ID 0000001A not found in provider");
    EXPECT_EQ(reader->find_entry_with_namespace_id(ns("eor/portal"), 1).error().kind(), dat::DatErrorKind::NotFound);
}

TEST(ZraReader, OpenReportsMissingFileWithItsPath) {
    const auto reader = ZraReader::open("/nonexistent/x.zra");
    ASSERT_FALSE(reader);
    EXPECT_EQ(reader.error().message(),
              "Failed to open file at /nonexistent/x.zra: No such file or directory (os error 2)");
    EXPECT_EQ(reader.error().cause(), "No such file or directory (os error 2)");
}

TEST(ZraReader, ExtraBytesBetweenAndAfterRegionsAreIgnored) {
    auto built = support::ArchiveBuilder().add("eor/portal", 7, Bytes{1, 2, 3}).trailing(Bytes(100, 0xEE)).build();
    auto reader = open_bytes(built.bytes);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->file_len(), built.bytes.size());
    EXPECT_EQ(reader->read_entry_data(reader->find_entry(7).value()).value(), (Bytes{1, 2, 3}));
}

// Namespaces "eor/cell" {1, 5, 9}, "eor/empty" {} and "eor/portal" {2, 5, 10}.
struct TwoSpans {
    TwoSpans() {
        support::ArchiveBuilder builder;
        for (std::uint32_t id : {9u, 1u, 5u}) builder.add("eor/cell", id, Bytes{static_cast<std::uint8_t>(id)});
        for (std::uint32_t id : {10u, 2u, 5u}) builder.add("eor/portal", id, Bytes{static_cast<std::uint8_t>(100 + id)});
        builder.namespace_records({support::span("eor/cell", 0, 3), support::span("eor/empty", 3, 0),
                                   support::span("eor/portal", 3, 3)});
        built = builder.build();
        auto owned = std::make_unique<ObservedSource>(built.bytes);
        source = owned.get();
        reader.emplace(ZraReader::from_source(std::move(owned)).value());
    }
    support::BuiltArchive built;
    ObservedSource* source = nullptr;
    std::optional<ZraReader> reader;
};

TEST(ZraReader, FindsEveryEntryOfEachSpanAndNothingElse) {
    TwoSpans archive;
    const auto& reader = *archive.reader;
    for (auto [label, ids] : {std::pair{"eor/cell", std::set<std::uint32_t>{1, 5, 9}},
                              std::pair{"eor/portal", std::set<std::uint32_t>{2, 5, 10}}}) {
        for (std::uint32_t id = 0; id <= 12; ++id) {
            SCOPED_TRACE(fmt::format("{} {}", label, id));
            const auto entry = reader.find_entry_with_namespace_id(ns(label), id);
            if (!ids.contains(id)) {
                ASSERT_FALSE(entry);
                EXPECT_EQ(entry.error().message(), fmt::format("File ID {:08X} not found in provider", id));
                continue;
            }
            ASSERT_TRUE(entry);
            EXPECT_EQ(entry->file_id, id);
            EXPECT_EQ(entry->namespace_id().value(), ns(label));
        }
    }
    EXPECT_EQ(reader.find_entry_with_namespace_id(ns("eor/empty"), 3).error().kind(), dat::DatErrorKind::NotFound);
    EXPECT_EQ(reader.find_entry_with_namespace_id(ns("eor/zzz"), 2).error().kind(), dat::DatErrorKind::NotFound);
    EXPECT_EQ(reader.find_entry(5).error().message(),
              "Other error: ZRA v2 archive contains multiple namespaces; explicit namespace lookup is required");
}

TEST(ZraReader, LookupReadsOnlyRecordsOfItsSpan) {
    TwoSpans archive;
    const std::uint64_t portal_first = archive.built.record_offset(3);
    for (std::uint32_t id : {0u, 1u, 11u}) {
        archive.source->reads->clear();
        EXPECT_FALSE(archive.reader->find_entry_with_namespace_id(ns("eor/portal"), id));
        ASSERT_FALSE(archive.source->reads->empty());
        EXPECT_LE(archive.source->reads->size(), 3u);  // halvings of 3 records, plus one
        for (auto [offset, size] : *archive.source->reads) {
            EXPECT_EQ(size, dat::ZraEntry::kSize);
            EXPECT_GE(offset, portal_first);
            EXPECT_LT(offset, archive.built.record_offset(6));
        }
    }
}

TEST(ZraReader, SingleNamespaceLookupAndDataReads) {
    const Bytes big = support::patterned_bytes(300'000);
    auto built = support::ArchiveBuilder()
                     .add("eor/portal", 0x0600001A, Bytes{1, 2, 3}, 6)
                     .add_compressed("eor/portal", 0x0A000001, big, 0x0A)
                     .add("eor/portal", 0x01000001, Bytes{})
                     .add_entry({"eor/portal", 0x0D000001, 0x0D, Bytes{9, 9}, 1000, 0})
                     .build();
    auto reader = open_bytes(built.bytes).value();
    ASSERT_EQ(reader.namespace_spans().size(), 1u);

    const auto small = reader.find_entry(0x0600001A).value();
    EXPECT_EQ(small.type_id, 6u);
    EXPECT_EQ(reader.read_entry_data(small).value(), (Bytes{1, 2, 3}));
    const auto packed = reader.find_entry(0x0A000001).value();
    EXPECT_TRUE(packed.compressed());
    EXPECT_LT(packed.comp_size, packed.size);
    EXPECT_EQ(reader.read_entry_data(packed).value(), big);
    EXPECT_TRUE(reader.read_entry_data(reader.find_entry(0x01000001).value()).value().empty());
    // Stored bytes are returned as they are; `size` is not consulted.
    EXPECT_EQ(reader.read_entry_data(reader.find_entry(0x0D000001).value()).value(), (Bytes{9, 9}));
}

TEST(ZraReader, ReadingPastTheEndReadsNothing) {
    const auto bad = support::malformed_archives();
    const auto past_end = std::find_if(bad.begin(), bad.end(), [](const auto& b) { return b.name == "entry_past_end"; });
    ASSERT_NE(past_end, bad.end());
    auto owned = std::make_unique<ObservedSource>(past_end->bytes);
    auto* source = owned.get();
    auto reader = ZraReader::from_source(std::move(owned)).value();
    const auto entry = reader.find_entry(0x2A).value();
    source->reads->clear();
    EXPECT_FALSE(reader.read_entry_data(entry));
    EXPECT_TRUE(source->reads->empty());
}

TEST(ZraReader, CompressedEntriesAcceptEveryFrameLayoutZstdDecodes) {
    const Bytes a = support::patterned_bytes(5000, 1);
    const Bytes b = support::patterned_bytes(7000, 2);
    Bytes ab = a;
    ab.insert(ab.end(), b.begin(), b.end());
    Bytes two_frames = support::zstd_compress(a, {.content_size = false});
    const Bytes second = support::zstd_compress(b, {.checksum = true});
    two_frames.insert(two_frames.end(), second.begin(), second.end());
    // A skippable frame (magic 0x184D2A50, 4-byte length) decodes to nothing.
    Bytes skippable = {0x50, 0x2A, 0x4D, 0x18, 3, 0, 0, 0, 'x', 'y', 'z'};
    skippable.insert(skippable.end(), second.begin(), second.end());

    struct Case {
        const char* name;
        Bytes frames;
        const Bytes& decoded;
    } cases[] = {
        {"with content size", support::zstd_compress(a), a},
        {"without content size", support::zstd_compress(a, {.content_size = false}), a},
        {"with checksum", support::zstd_compress(a, {.level = 19, .checksum = true}), a},
        {"concatenated", two_frames, ab},
        {"skippable first", skippable, b},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto built = support::ArchiveBuilder()
                         .add_entry({"eor/portal", 0x2A, 0, c.frames, static_cast<std::uint32_t>(c.decoded.size()),
                                     dat::kZraFlagCompressed})
                         .build();
        auto reader = open_bytes(built.bytes).value();
        const auto data = reader.read_entry_data(reader.find_entry(0x2A).value());
        ASSERT_TRUE(data) << data.error().message();
        EXPECT_EQ(*data, c.decoded);
        // Declaring one byte less makes the frames too long for the entry.
        EXPECT_FALSE(ZraReader::decompress_zstd(c.frames, static_cast<std::uint32_t>(c.decoded.size() - 1)));
    }
}

// A frame whose header claims a content size of about 1 TiB but whose one
// RLE block holds 10 bytes.
Bytes frame_claiming_huge_content() {
    return {0x28, 0xB5, 0x2F, 0xFD,                    // magic
            0xC0,                                      // 8-byte content size, not single segment
            0x00,                                      // window descriptor
            0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0, 0,  // content size 2^40
            0x53, 0x00, 0x00, 'x'};                    // last RLE block of 10 bytes
}

TEST(ZraReader, SmallFramesNeverAllocateTheDeclaredSize) {
    // The buffer is sized by what the frames can produce, not by `size`.
    const Bytes small = support::zstd_compress(Bytes(10, 'q'), {.content_size = false});
    EXPECT_LE(dat::zstd_decoded_bound(small).value(), 128u * 1024);
    EXPECT_EQ(dat::zstd_decoded_bound(frame_claiming_huge_content()).value(), 10u);

    auto built = support::ArchiveBuilder()
                     .add_entry({"eor/portal", 1, 0, small, UINT32_MAX, dat::kZraFlagCompressed})
                     .add_entry({"eor/portal", 2, 0, frame_claiming_huge_content(), UINT32_MAX,
                                 dat::kZraFlagCompressed})
                     .build();
    auto reader = open_bytes(built.bytes).value();
    EXPECT_EQ(reader.read_entry_data(reader.find_entry(1).value()).error().message(),
              "Corruption detected: Decompressed size mismatch for 0x00000001: expected 4294967295, got 10");
    EXPECT_EQ(reader.read_entry_data(reader.find_entry(2).value()).error().message(),
              "Failed to recover compressed file 00000002");
}

TEST(ZraReader, DecodingRejectsWhatOneShotDecodingRejects) {
    const Bytes good = support::zstd_compress(support::patterned_bytes(1000));
    Bytes truncated(good.begin(), good.end() - 1);
    Bytes trailing_garbage = good;
    trailing_garbage.insert(trailing_garbage.end(), {1, 2, 3});
    Bytes reserved_block = frame_claiming_huge_content();
    reserved_block[14] = 0x57;  // block type 3
    for (const auto& frames : {truncated, trailing_garbage, reserved_block, Bytes{1, 2}}) {
        EXPECT_FALSE(ZraReader::decompress_zstd(frames, 100'000));
    }
    EXPECT_EQ(ZraReader::decompress_zstd({}, 10).value(), Bytes{});  // nothing decodes to nothing
}

std::vector<dat::ZraEntry> read_one_by_one(const ZraReader& reader) {
    std::vector<dat::ZraEntry> entries;
    for (std::uint32_t i = 0; i < reader.header().entry_count; ++i) entries.push_back(reader.read_entry_at(i).value());
    return entries;
}

TEST(ZraIndexWalker, YieldsTheSameRecordsAsSingleReads) {
    support::ArchiveBuilder builder;
    for (std::uint32_t i = 0; i < 2500; ++i) builder.add(i % 3 == 0 ? "eor/cell" : "eor/portal", i, Bytes{1});
    auto built = builder.build();
    auto owned = std::make_unique<ObservedSource>(built.bytes);
    auto* source = owned.get();
    auto reader = ZraReader::from_source(std::move(owned)).value();
    const auto expected = read_one_by_one(reader);
    for (std::uint32_t per_read : {1u, 7u, 2500u, dat::ZraIndexWalker::kRecordsPerRead}) {
        SCOPED_TRACE(per_read);
        source->reads->clear();
        dat::ZraIndexWalker walker(reader, per_read);
        std::vector<dat::ZraEntry> walked;
        while (auto entry = walker.next().value()) walked.push_back(*entry);
        EXPECT_EQ(walked, expected);
        EXPECT_EQ(source->reads->size(), (2500 + per_read - 1) / per_read);
    }
}

TEST(ZraIndexWalker, FailsAtTheSameRecordAsSingleReads) {
    support::ArchiveBuilder builder;
    for (std::uint32_t i = 0; i < 50; ++i) builder.add("eor/portal", i, Bytes{});
    auto built = builder.build();
    auto owned = std::make_unique<ObservedSource>(built.bytes);
    auto* source = owned.get();
    auto reader = ZraReader::from_source(std::move(owned)).value();
    // The file "shrinks" after open: record 23 and later cannot be read.
    *source->fail_from = built.record_offset(23) + 10;

    dat::ZraIndexWalker walker(reader, 16);
    std::uint32_t yielded = 0;
    for (;;) {
        auto entry = walker.next();
        if (!entry) {
            EXPECT_EQ(entry.error().message(), reader.read_entry_at(yielded).error().message());
            break;
        }
        ASSERT_TRUE(entry->has_value());
        EXPECT_EQ((*entry)->file_id, yielded);
        ++yielded;
    }
    EXPECT_EQ(yielded, 23u);
    EXPECT_EQ(walker.position(), 23u);
}

TEST(ZraReader, BlockReadsStayInsideTheIndex) {
    auto reader = open_bytes(support::ArchiveBuilder().add("eor/portal", 1, Bytes{}).build().bytes).value();
    EXPECT_EQ(reader.read_entries(0, 1).value().size(), 1u);
    EXPECT_EQ(reader.read_entries(1, 0).value().size(), 0u);
    EXPECT_EQ(reader.read_entries(0, 2).error().kind(), dat::DatErrorKind::Other);
    EXPECT_EQ(reader.read_entries(2, 0).error().kind(), dat::DatErrorKind::Other);
}

}  // namespace
