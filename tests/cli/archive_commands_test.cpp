// meta, list, info, export and extract on archives, end to end.

#include <fmt/format.h>

#include "cli_fixture.hpp"
#include "support/archive_builder.hpp"
#include "support/records.hpp"

namespace {

using cli_test::Expected;
using dat::Bytes;
using support::ArchiveBuilder;

class ArchiveCommandsTest : public cli_test::ToolFixture {
protected:
    std::string write_archive(const std::string& name, const Bytes& bytes) const {
        support::write_bytes(path(name), bytes);
        return name;
    }
    std::string write_archive(const std::string& name, const ArchiveBuilder& builder) const {
        return write_archive(name, builder.build().bytes);
    }
    // Three entries in "eor/cell", two in "eor/portal".
    static ArchiveBuilder two_namespaces() {
        ArchiveBuilder builder;
        builder.add("eor/portal", 0x0600001A, Bytes{'p', '1'}, 6);
        builder.add("eor/cell", 0xA9B4FFFF, Bytes{'c', '1'}, 0xFE);
        builder.add("eor/cell", 0xA9B40100, Bytes{'c', '2'}, 0xFD);
        builder.add("eor/portal", 0x0A000001, Bytes{'p', '2'}, 0x0A);
        builder.add("eor/cell", 0x0600001A, Bytes{'c', '3'}, 6);
        return builder;
    }
};

// The report main prints for a library error: causes for Io and BinRead.
std::string report_of(const std::string& message) {
    for (const std::string prefix : {"IO error: ", "Binary read error: "}) {
        if (message.starts_with(prefix)) {
            return fmt::format("Error: {}\n\nCaused by:\n    {}\n", message, message.substr(prefix.size()));
        }
    }
    return "Error: " + message + "\n";
}

std::string meta_head(std::uint32_t files, std::uint64_t index_offset, std::uint32_t meta_size) {
    return fmt::format("Loaded ZRA provider with {0} files.\n--- Meta Information ---\nProvider:    ZRA\n"
                       "File Count:  {0}\nVersion:     2\nIndex Offs:  0x{1:08X}\nMeta Size:   {2}\n",
                       files, index_offset, meta_size);
}

TEST_F(ArchiveCommandsTest, MetaCountsTheIndexRecordsPerNamespace) {
    const auto built = two_namespaces().build();
    write_archive("two.zra", built.bytes);
    expect_run({"meta", "two.zra"}, {0,
                                     meta_head(5, built.index_offset, 84) +
                                         "Namespaces:  2\n  eor/cell -> 3 entries\n  eor/portal -> 2 entries\n",
                                     ""});
    write_archive("empty.zra", ArchiveBuilder());
    expect_run({"meta", "empty.zra"}, {0, meta_head(0, 0x1C, 4) + "Namespaces:  0\n", ""});

    // The records decide, not the namespace block.
    const auto relabelled = ArchiveBuilder()
                                .add("eor/portal", 1, Bytes{})
                                .add("eor/portal", 2, Bytes{})
                                .namespace_records({support::span("eor/cell", 0, 1), support::span("eor/portal", 1, 1)})
                                .build();
    write_archive("relabelled.zra", relabelled.bytes);
    expect_run({"meta", "relabelled.zra"},
               {0, meta_head(2, relabelled.index_offset, 84) + "Namespaces:  1\n  eor/portal -> 2 entries\n", ""});
}

TEST_F(ArchiveCommandsTest, InvalidRecordNamespaceStopsMetaAndList) {
    auto built = ArchiveBuilder()
                     .add("eor/portal", 1, Bytes{}, 6)
                     .add("eor/portal", 2, Bytes{}, 6)
                     .add("eor/portal", 3, Bytes{}, 6)
                     .build();
    built.bytes[built.record_offset(1)] = 0xFF;  // the second record's label
    write_archive("bad.zra", built.bytes);
    const std::string error =
        "Error: Invalid namespace: namespace bytes are not valid UTF-8: invalid utf-8 sequence of 1 bytes from index 0\n";
    expect_run({"meta", "bad.zra"}, {1, meta_head(3, built.index_offset, 44), error});
    expect_run({"list", "bad.zra"},
               {1,
                "eor/portal:00000001 - Texture (DDS/JPG) (0x00000006) - Size: 0          - Offset: 00000018 - Flags: "
                "00\n",
                error});
    // info reports it before printing anything; export names the file by id alone.
    expect_run({"info", "bad.zra", "2"}, {1, "", error});
    expect_run({"export", "bad.zra", "2"}, {0, "Exported 00000002 to \"00000002.bin\"\n", ""});
    EXPECT_TRUE(support::read_bytes(path("00000002.bin")).empty());
}

TEST_F(ArchiveCommandsTest, ListPrintsEveryRecordInIndexOrder) {
    auto built = two_namespaces()
                     .add_entry({"eor/portal", 0x07000001, 7, Bytes(3, 0), 300, 0x05})
                     .add("eor/portal", 0x0E00000E, Bytes{}, 0xFFFFFF00)
                     .build();
    support::put_u64(built.bytes, built.record_offset(6) + 40, 0x123456789);  // list reads no data
    write_archive("two.zra", built.bytes);
    expect_run({"list", "two.zra"},
               {0,
                "eor/cell:0600001A - Texture (DDS/JPG) (0x00000006) - Size: 2          - Offset: 00000020 - Flags: 00\n"
                "eor/cell:A9B40100 - IndoorCell (0x000000FD)      - Size: 2          - Offset: 0000001C - Flags: 00\n"
                "eor/cell:A9B4FFFF - Landblock (Terrain) (0x000000FE) - Size: 2          - Offset: 0000001A - Flags: 00\n"
                "eor/portal:0600001A - Texture (DDS/JPG) (0x00000006) - Size: 2          - Offset: 00000018 - Flags: 00\n"
                "eor/portal:07000001 - Unknown (0x00000007)         - Size: 300        - Offset: 00000022 - Flags: 05\n"
                "eor/portal:0A000001 - Audio (WAV) (0x0000000A)     - Size: 2          - Offset: 0000001E - Flags: 00\n"
                "eor/portal:0E00000E - Custom (0xFFFFFF00)          - Size: 0          - Offset: 123456789 - Flags: 00\n",
                ""});
    write_archive("empty.zra", ArchiveBuilder());
    expect_run({"list", "empty.zra"}, {0, "", ""});
}

TEST_F(ArchiveCommandsTest, InfoDescribesTheEntryWithoutReadingIt) {
    write_archive("one.zra", ArchiveBuilder().add_entry({"eor/portal", 0x0600001A, 6, Bytes(3, 0), 300, 0x05}));
    const std::string described =
        "Namespace: eor/portal\nFile ID:   0600001A\nType:      Texture (DDS/JPG) (0x00000006)\nSize:      300\n"
        "Offset:    00000018\nFlags:     05\nPruned:    true\nCompressed:true\n";
    expect_run({"info", "one.zra", "0x0600001A"}, {0, described, ""});
    expect_run({"info", "one.zra", "0x0600001A", "--namespace", "eor/portal"}, {0, described, ""});
    // Its data is not a frame, which only reading it shows.
    expect_run({"export", "one.zra", "0x0600001A"}, {1, "", "Error: Failed to recover compressed file 0600001A\n"});
    expect_run({"info", "one.zra", "0x12"}, {1, "", "Error: File ID 00000012 not found in provider\n"});
    expect_run({"info", "one.zra", "0x0600001A", "--namespace", "eor/cell"},
               {1, "", "Error: File ID 0600001A not found in provider\n"});
    expect_run({"info", "one.zra", "0x0600001A", "--namespace", ""},
               {1, "", "Error: Invalid namespace: namespace label cannot be empty\n"});
    expect_run({"info", "one.zra", "0x"}, {1, "", "Error: cannot parse integer from empty string\n"});
}

TEST_F(ArchiveCommandsTest, SeveralNamespacesNeedTheNamespaceOption) {
    write_archive("two.zra", two_namespaces());
    const std::string several =
        "Error: Other error: ZRA v2 archive contains multiple namespaces; explicit namespace lookup is required\n";
    for (const char* command : {"info", "export", "extract"}) {
        expect_run({command, "two.zra", "0x0600001A"}, {1, "", several});
    }
    expect_run({"info", "two.zra", "0x0600001A", "--namespace", "eor/cell"},
               {0,
                "Namespace: eor/cell\nFile ID:   0600001A\nType:      Texture (DDS/JPG) (0x00000006)\nSize:      2\n"
                "Offset:    00000020\nFlags:     00\nPruned:    false\nCompressed:false\n",
                ""});
    expect_run({"export", "two.zra", "0x0600001A", "--namespace", "eor/cell"},
               {0, "Exported 0600001A to \"eor_cell_0600001A.bin\"\n", ""});
    expect_run({"export", "two.zra", "0x0600001A", "--namespace", "eor/portal"},
               {0, "Exported 0600001A to \"eor_portal_0600001A.bin\"\n", ""});
    EXPECT_EQ(support::read_bytes(path("eor_cell_0600001A.bin")), (Bytes{'c', '3'}));
    EXPECT_EQ(support::read_bytes(path("eor_portal_0600001A.bin")), (Bytes{'p', '1'}));
}

TEST_F(ArchiveCommandsTest, ExportWritesTheDecodedBytesNamedAfterTheNamespace) {
    const Bytes big = support::patterned_bytes(100'000);
    write_archive("odd.zra", ArchiveBuilder().add_compressed("my:odd\\label/x", 0x0600001A, big));
    expect_run({"export", "odd.zra", "0x0600001A"}, {0, "Exported 0600001A to \"my_odd_label_x_0600001A.bin\"\n", ""});
    EXPECT_EQ(support::read_bytes(path("my_odd_label_x_0600001A.bin")), big);
    expect_run({"export", "odd.zra", "0x0600001A", "-o", "out.bin"}, {0, "Exported 0600001A to \"out.bin\"\n", ""});
    EXPECT_EQ(support::read_bytes(path("out.bin")), big);
    expect_run({"export", "odd.zra", "0x0600001A", "-o", "no/dir.bin"},
               {1, "", "Error: No such file or directory (os error 2)\n"});
}

TEST_F(ArchiveCommandsTest, ExtractConvertsByTheIdsTopByte) {
    const Bytes texture = support::jpeg_texture_record(0x06000001);
    const Bytes sound = support::sound_record(0x0A000001, {}, support::pattern_bytes(970, 3));
    write_archive("media.zra", ArchiveBuilder()
                                   .add_compressed("eor/portal", 0x06000001, texture, 6)
                                   .add("eor/portal", 0x0A000001, sound, 0x0A)
                                   .add("eor/portal", 0x0D000002, Bytes{1, 2}, 0x06));
    expect_run({"extract", "media.zra", "0x06000001", "--namespace", "eor/portal"},
               {0, "Extracted JPEG texture 06000001 to \"06000001.jpg\"\n", ""});
    EXPECT_EQ(support::read_bytes(path("06000001.jpg")), Bytes(texture.begin() + 24, texture.end()));
    expect_run({"extract", "media.zra", "0x0A000001"}, {0, "Extracted WAV audio 0A000001 to \"0A000001.wav\"\n", ""});
    EXPECT_EQ(support::read_bytes(path("0A000001.wav")).size(), 44 + sound.size() - 30);
    // The stored type code does not matter.
    expect_run({"extract", "media.zra", "0x0D000002"},
               {0, "No extraction specialist for type 0D, exporting raw .bin\n", ""});
}

TEST_F(ArchiveCommandsTest, DamagedArchivesAreReportedByEveryCommand) {
    for (const auto& bad : support::malformed_archives()) {
        SCOPED_TRACE(bad.name);
        write_archive("bad.zra", bad.bytes);
        if (!bad.failing_entry) {
            for (const char* command : {"meta", "list"}) expect_run({command, "bad.zra"}, {1, "", report_of(bad.message)});
            expect_run({"info", "bad.zra", "1"}, {1, "", report_of(bad.message)});
            continue;
        }
        const std::string id = fmt::format("0x{:X}", *bad.failing_entry);
        expect_run({"export", "bad.zra", id}, {1, "", report_of(bad.message)});
        expect_run({"extract", "bad.zra", id}, {1, "", report_of(bad.message)});
        EXPECT_EQ(run({"info", "bad.zra", id}).status, 0);
    }
}

TEST_F(ArchiveCommandsTest, OpenFailuresOfArchives) {
    expect_run({"meta", "missing.zra"},
               {1, "",
                "Error: Failed to open file at missing.zra: No such file or directory (os error 2)\n\nCaused by:\n"
                "    No such file or directory (os error 2)\n"});
    std::filesystem::create_directory(path("folder.zra"));
    expect_run({"list", "folder"},
               {1, "", "Error: IO error: Is a directory (os error 21)\n\nCaused by:\n    Is a directory (os error 21)\n"});
}

TEST_F(ArchiveCommandsTest, HundredThousandEntriesOpenListAndLookUp) {
    constexpr std::uint32_t kEntries = 100'000;
    ArchiveBuilder builder;
    for (std::uint32_t i = 0; i < kEntries; ++i) {
        const bool cell = i % 5 == 0;
        builder.add(cell ? "eor/cell" : "eor/portal", 0x01000000 + i * 3, Bytes{static_cast<std::uint8_t>(i)}, 1);
    }
    write_archive("big.zra", builder);

    const auto meta = run({"meta", "big.zra"});
    EXPECT_EQ(meta.status, 0);
    EXPECT_TRUE(meta.out.ends_with("Namespaces:  2\n  eor/cell -> 20000 entries\n  eor/portal -> 80000 entries\n"))
        << meta.out;

    const auto list = run({"list", "big.zra"});
    ASSERT_EQ(list.status, 0);
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), kEntries);
    EXPECT_TRUE(list.out.starts_with("eor/cell:01000000 - Model (OBJ) (0x00000001)     - Size: 1          - Offset: "
                                     "00000018 - Flags: 00\n"));
    EXPECT_TRUE(list.out.ends_with(fmt::format("eor/portal:{:08X} - Model (OBJ) (0x00000001)     - Size: 1          "
                                               "- Offset: {:08X} - Flags: 00\n",
                                               0x01000000 + (kEntries - 1) * 3, 24 + kEntries - 1)));

    for (std::uint32_t i : {0u, 1u, 4u, 5u, 49'999u, 50'000u, 99'995u, 99'999u}) {
        const bool cell = i % 5 == 0;
        const std::uint32_t id = 0x01000000 + i * 3;
        SCOPED_TRACE(i);
        const auto info =
            run({"info", "big.zra", fmt::format("0x{:08X}", id), "--namespace", cell ? "eor/cell" : "eor/portal"});
        EXPECT_EQ(info.status, 0) << info.err;
        EXPECT_TRUE(info.out.find(fmt::format("Offset:    {:08X}\n", 24 + i)) != std::string::npos) << info.out;
        // The other namespace and the ids between entries hold nothing.
        EXPECT_EQ(run({"info", "big.zra", fmt::format("0x{:08X}", id), "--namespace", cell ? "eor/portal" : "eor/cell"})
                      .status,
                  1);
        EXPECT_EQ(run({"info", "big.zra", fmt::format("0x{:08X}", id + 1), "--namespace", "eor/portal"}).err,
                  fmt::format("Error: File ID {:08X} not found in provider\n", id + 1));
    }
}

}  // namespace
