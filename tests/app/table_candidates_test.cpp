#include <gtest/gtest.h>

#include <array>
#include <map>

#include "commands/table_candidates.hpp"
#include "dat/namespace.hpp"
#include "support/dat_builder.hpp"

namespace {

using app::TableCandidate;

// Just enough of an archive reader for the candidate walk: entries by
// index, some unreadable, with raw namespace bytes.
struct FakeEntry {
    std::array<std::uint8_t, dat::ResourceNamespace::kSize> namespace_bytes{};
    std::uint32_t file_id = 0;
    std::uint32_t type_id = 0;
    dat::Expected<dat::ResourceNamespace> namespace_id() const {
        return dat::ResourceNamespace::from_bytes(std::span<const std::uint8_t, 32>(namespace_bytes));
    }
};

struct FakeArchive {
    struct Header {
        std::uint32_t entry_count = 0;
    } header_;
    std::map<std::uint32_t, FakeEntry> entries;  // a missing index cannot be read

    const Header& header() const { return header_; }
    dat::Expected<FakeEntry> read_entry_at(std::uint32_t index) const {
        const auto found = entries.find(index);
        if (found == entries.end()) return dat::fail(dat::DatError::corruption("unreadable"));
        return found->second;
    }
};

FakeEntry entry(std::string_view label, std::uint32_t file_id, std::uint32_t type_id) {
    FakeEntry e;
    std::copy(label.begin(), label.end(), e.namespace_bytes.begin());
    e.file_id = file_id;
    e.type_id = type_id;
    return e;
}

TEST(TableCandidates, ArchivesSelectByStoredTypeInIndexOrder) {
    FakeArchive archive;
    archive.header_.entry_count = 6;
    archive.entries = {
        {0, entry("eor/portal", 0x0E000001, 0x06)},  // table id, other type: not scanned
        {1, entry("eor/portal", 0x12345678, 0x0E)},  // any id with the table type
        // index 2 cannot be read
        {3, entry("", 0x0E000003, 0x0E)},            // invalid namespace
        {4, entry("eor/cell", 0x0E000004, 0x0E)},
        {5, entry("eor/portal", 0x0E000002, 0x0E)},
    };
    const std::vector<TableCandidate> expected = {
        {"eor/portal", 0x12345678}, {"eor/cell", 0x0E000004}, {"eor/portal", 0x0E000002}};
    EXPECT_EQ(app::archive_table_candidates(archive), expected);
}

TEST(TableCandidates, DatsSelectByIdPrefix) {
    support::DatBuilder builder;
    for (const std::uint32_t id : {0x0DFFFFFFu, 0x0E000000u, 0x0E00FFFFu, 0x0EFFFFFFu, 0x0F000000u, 0x000000E0u}) {
        builder.add_file(id, {1, 2, 3});
    }
    const auto bytes = builder.build();
    auto database = dat::DatDatabase::from_source(std::make_unique<dat::MemorySource>(bytes));
    ASSERT_TRUE(database.has_value());
    const std::vector<TableCandidate> expected = {
        {std::nullopt, 0x0E000000}, {std::nullopt, 0x0E00FFFF}, {std::nullopt, 0x0EFFFFFF}};
    EXPECT_EQ(app::dat_table_candidates(*database), expected);
}

}  // namespace
