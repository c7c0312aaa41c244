#include <fmt/format.h>

#include "cli_fixture.hpp"
#include "support/records.hpp"

namespace {

using cli_test::Expected;
using cli_test::ToolFixture;
using dat::DatFileEntry;

class ListInfoTest : public ToolFixture {
protected:
    // A portal DAT whose directory is written by hand, entries as given
    // (list and info never read file contents).
    std::string write_entries(const std::vector<DatFileEntry>& entries, std::uint32_t block_size = 1024,
                              std::uint32_t dataset = 1) const {
        support::DatImage image(block_size);
        image.header.dataset = dataset;
        support::DirectoryNode root;
        root.entries = entries;
        image.header.root_offset = image.store_node(root);
        return write_image("entries.dat", image);
    }
};

TEST_F(ListInfoTest, ListPrintsOneLinePerIdInAscendingOrder) {
    const std::string dat = write_entries({
        {0, 0x0600000A, 0x400, 10, 0, 0},
        {0x00010001, 0x01000001, 0xABCDEF, 4294967295u, 0, 0},
        {0, 0x06000002, 0x01A2B000, 1234, 0, 0},
        {1, 0x0B000001, 0x10, 0, 0, 0},
        {0xFFFFFFFF, 0xFFFF0001, 0xFFFFFFFF, 123456789, 0, 0},
    });
    expect_run({"list", dat},
               {0,
                "01000001 - Model (OBJ)               - Size: 4294967295 - Offset: 00ABCDEF - Flags: 00010001\n"
                "06000002 - Texture (DDS/JPG)         - Size: 1234       - Offset: 01A2B000 - Flags: 00000000\n"
                "0600000A - Texture (DDS/JPG)         - Size: 10         - Offset: 00000400 - Flags: 00000000\n"
                "0B000001 - Unknown                   - Size: 0          - Offset: 00000010 - Flags: 00000001\n"
                "FFFF0001 - Iteration (Metadata)      - Size: 123456789  - Offset: FFFFFFFF - Flags: FFFFFFFF\n",
                ""});
}

TEST_F(ListInfoTest, ListUsesTheTypeRulesOfTheDataset) {
    const std::string dat = write_entries({{0, 0xA9B4FFFF, 0x200, 1, 0, 0},
                                           {0, 0xA9B4FFFE, 0x200, 2, 0, 0},
                                           {0, 0xA9B40100, 0x200, 3, 0, 0},
                                           {0, 0xA9B40000, 0x200, 4, 0, 0}},
                                          256, 2);
    expect_run({"list", dat},
               {0,
                "A9B40000 - Unknown                   - Size: 4          - Offset: 00000200 - Flags: 00000000\n"
                "A9B40100 - IndoorCell                - Size: 3          - Offset: 00000200 - Flags: 00000000\n"
                "A9B4FFFE - LandblockInfo (Static)    - Size: 2          - Offset: 00000200 - Flags: 00000000\n"
                "A9B4FFFF - Landblock (Terrain)       - Size: 1          - Offset: 00000200 - Flags: 00000000\n",
                ""});
}

TEST_F(ListInfoTest, ListOfAnEmptyDirectoryPrintsNothing) {
    write_dat("empty.dat", support::DatBuilder(1024, 1));
    expect_run({"list", "empty.dat"}, {0, "", ""});
    // A device reports no length but delivers its bytes: an all-zero header
    // has no directory.
    std::filesystem::create_symlink("/dev/zero", path("zero.dat"));
    expect_run({"list", "zero.dat"}, {0, "", ""});
}

TEST_F(ListInfoTest, ListsAHundredThousandFilesOfAMultiLevelTree) {
    support::DatBuilder builder(256, 2);
    std::vector<std::uint32_t> ids;
    for (std::uint32_t i = 0; i < 100000; ++i) ids.push_back(((i / 50) << 16) | (0x100 + i % 50));
    builder.add_files_sharing_data(ids, support::pattern_bytes(300, 1));
    builder.set_layout(support::BlockLayout::Scattered);
    const auto image = builder.build_image();
    image.write(path("big.dat"));

    const auto result = run({"list", "big.dat"});
    ASSERT_EQ(result.status, 0) << result.err;
    // Every entry points at the one shared chain, whose offset the builder chose.
    auto db = dat::DatDatabase::new_(path("big.dat"));
    ASSERT_TRUE(db);
    const std::uint32_t shared = db->files().find(ids[0])->offset;
    std::string expected;
    for (std::uint32_t id : ids) {
        expected += fmt::format("{:08X} - {:<25} - Size: {:<10} - Offset: {:08X} - Flags: {:08X}\n", id, "IndoorCell",
                                300, shared, 0);
    }
    EXPECT_EQ(result.out.size(), expected.size());
    EXPECT_TRUE(result.out == expected);
    expect_run({"info", "big.dat", fmt::format("0x{:08X}", ids[99999])},
               {0,
                fmt::format("File ID: {:08X}\nType:    IndoorCell\nSize:    300\nOffset:  {:08X}\nFlags:   00000000\n",
                            ids[99999], shared),
                ""});
}

TEST_F(ListInfoTest, InfoDescribesAnEntryOrSaysItIsMissing) {
    const std::string dat = write_entries({{0x00000003, 0x0A000001, 0x01A2B000, 4030, 9, 9}});
    const Expected found{0,
                         "File ID: 0A000001\nType:    Audio (WAV)\nSize:    4030\nOffset:  01A2B000\nFlags:   00000003\n",
                         ""};
    expect_run({"info", dat, "0x0A000001"}, found);
    // The namespace means nothing to a DAT, whatever it holds.
    expect_run({"info", dat, "0x0A000001", "--namespace", "anything"}, found);
    expect_run({"info", dat, "0x0A000001", "--namespace", ""}, found);
    expect_run({"info", dat, "0x12"}, {0, "File ID 00000012 not found.\n", ""});
}

TEST_F(ListInfoTest, InfoConvertsTheIdOnlyAfterTheContainerOpened) {
    const std::string dat = write_entries({{0, 0x0000000A, 0x400, 1, 0, 0},
                                           {0, 0x0000001F, 0x400, 2, 0, 0},
                                           {0, 0x06000040, 0x400, 3, 0, 0},
                                           {0, 0xFFFFFFFF, 0x400, 4, 0, 0}});
    auto found = [](std::uint32_t id, int size) {
        return Expected{0,
                        fmt::format("File ID: {:08X}\nType:    {}\nSize:    {}\nOffset:  00000400\nFlags:   00000000\n",
                                    id, id == 0x06000040 ? "Texture (DDS/JPG)" : "Unknown", size),
                        ""};
    };
    struct Case {
        std::string id;
        Expected expected;
    };
    const std::vector<Case> cases = {
        {"10", found(0x0A, 1)},
        {"1F", found(0x1F, 2)},
        {"06000040", {0, "File ID 005B8DA8 not found.\n", ""}},  // all decimal digits: decimal
        {"0x06000040", found(0x06000040, 3)},
        {"0X06000040", found(0x06000040, 3)},
        {" 0x1f ", found(0x1F, 2)},
        {"\t1F\n", found(0x1F, 2)},
        {"+10", found(0x0A, 1)},
        {"0x+1F", found(0x1F, 2)},
        {"4294967295", found(0xFFFFFFFF, 4)},
        {"ffffffff", found(0xFFFFFFFF, 4)},
        {"0x", {1, "", "Error: cannot parse integer from empty string\n"}},
        {"0X", {1, "", "Error: cannot parse integer from empty string\n"}},
        {"  ", {1, "", "Error: cannot parse integer from empty string\n"}},
        {"FFFFFFFFF", {1, "", "Error: number too large to fit in target type\n"}},
        {"4294967296", {1, "", "Error: number too large to fit in target type\n"}},
        {"12G", {1, "", "Error: invalid digit found in string\n"}},
        {"-", {1, "", "Error: invalid digit found in string\n"}},
        {"+", {1, "", "Error: invalid digit found in string\n"}},
        {"0x-1", {1, "", "Error: invalid digit found in string\n"}},
    };
    for (const auto& c : cases) expect_run({"info", dat, c.id}, c.expected);
    // With a container that does not open, its error comes first.
    expect_run({"info", "nowhere.dat", "0x"},
               {1, "",
                "Error: Failed to open file at nowhere.dat: No such file or directory (os error 2)\n\n"
                "Caused by:\n    No such file or directory (os error 2)\n"});
    expect_run({"info", "nowhere.bin", "FFFFFFFFF"},
               {1, "", "Error: Could not open provider for \"nowhere.bin\". Expected .zra or .dat\n"});
}

}  // namespace
