#include <sys/stat.h>

#include <fmt/format.h>

#include "cli_fixture.hpp"
#include "support/archive_builder.hpp"
#include "support/records.hpp"

namespace {

using cli_test::Expected;
using cli_test::ToolFixture;

class MetaTest : public ToolFixture {};

std::string meta_report(std::size_t files, std::uint32_t magic, std::uint32_t block_size, std::uint32_t dataset,
                        std::string_view ns) {
    return fmt::format(
        "Loaded DAT provider with {0} files.\n--- Meta Information ---\nProvider:    DAT\nFile Count:  {0}\n"
        "Magic:       0x{1:08X}\nBlock Size:  {2}\nDataset:     {3}\nNamespace:   {4}\n",
        files, magic, block_size, dataset, ns);
}

TEST_F(MetaTest, ReportsTheHeaderAndTheDatasetNamespace) {
    struct Case {
        std::uint32_t magic, block_size, dataset;
        const char* ns;
    };
    const Case cases[] = {
        {0x5442, 1024, 1, "eor/portal"},
        {0x5442, 256, 2, "eor/cell"},
        {0x5442, 1024, 2, "<unknown retail dataset>"},
        {0x5442, 512, 7, "<unknown retail dataset>"},
        {0, 256, 2, "<unknown retail dataset>"},
        {0xABCDEF12, 1024, 1, "<unknown retail dataset>"},
    };
    for (const auto& c : cases) {
        support::DatBuilder builder(c.block_size, c.dataset);
        builder.header().magic = c.magic;
        for (std::uint32_t i = 0; i < 3; ++i) builder.add_file(0x06000000 + i, support::pattern_bytes(10, i));
        write_dat("x.dat", builder);
        expect_run({"meta", "x.dat"}, {0, meta_report(3, c.magic, c.block_size, c.dataset, c.ns), ""});
    }
}

TEST_F(MetaTest, AnEmptyDatabaseHasNoFiles) {
    write_dat("empty.dat", support::DatBuilder(1024, 1));
    expect_run({"meta", "empty.dat"}, {0, meta_report(0, 0x5442, 1024, 1, "eor/portal"), ""});
}

TEST_F(MetaTest, OpenFailuresKeepTheReadersMessages) {
    expect_run({"meta", "data/missing.dat"},
               {1, "",
                "Error: Failed to open file at data/missing.dat: No such file or directory (os error 2)\n\n"
                "Caused by:\n    No such file or directory (os error 2)\n"});
    dat::Bytes short_file = support::DatImage(1024).bytes();
    short_file.resize(0x148);  // magic and block_size, then the file ends
    support::write_bytes(path("short.dat"), short_file);
    expect_run({"meta", "short.dat"},
               {1, "",
                "Error: Binary read error: failed to fill whole buffer\nWhile parsing field 'file_size' in DatHeader\n\n"
                "Caused by:\n    failed to fill whole buffer\n    While parsing field 'file_size' in DatHeader\n"});
    support::DatImage cyclic(1024);
    support::DirectoryNode root;
    root.entries = {{0, 1, 0, 0, 0, 0}};
    root.branches[0] = cyclic.next_offset();
    cyclic.header.root_offset = cyclic.store_node(root);
    write_image("cyclic.dat", cyclic);
    expect_run({"meta", "cyclic.dat"},
               {1, "", "Error: Corruption detected: directory node at offset 0x00000400 is reached more than once\n"});
}

class ProviderTest : public ToolFixture {
protected:
    void SetUp() override {
        support::DatBuilder builder(1024, 1);
        builder.add_file(0x06000001, support::pattern_bytes(5, 1));
        builder.write(dir / "one.dat");
    }
    void copy(const std::string& to) const {
        std::filesystem::create_directories(path(to).parent_path());
        std::filesystem::copy_file(path("one.dat"), path(to), std::filesystem::copy_options::overwrite_existing);
    }
    std::string loaded_line() const { return "Loaded DAT provider with 1 files.\n"; }
    // The first line of meta on `target`, or the error report.
    std::string first_line_or_error(const std::string& target) const {
        const auto result = run({"meta", target});
        if (result.status != 0) return result.err;
        return result.out.substr(0, result.out.find('\n') + 1);
    }
};

TEST_F(ProviderTest, ChoosesByExtensionThenBySibling) {
    copy("upper.DAT");
    copy("mixed.Dat");
    copy("bare.dat");
    copy("archive.tar.dat");
    copy("nested/dir.dat");
    copy("name.dat");
    copy("trailing.dat");
    const auto missing = [](const std::string& name) {
        return "Error: Failed to open file at " + name + ": No such file or directory (os error 2)\n\n"
               "Caused by:\n    No such file or directory (os error 2)\n";
    };
    struct Case {
        std::string target;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"upper.DAT", loaded_line()},
        {"mixed.Dat", loaded_line()},
        {"bare", loaded_line()},                 // no extension: the .dat sibling
        {"archive.tar.gz", loaded_line()},       // tried as archive.tar.zra, then archive.tar.dat
        {"nested/dir/", loaded_line()},          // the last component, trailing slash ignored
        {"name.", loaded_line()},
        {"trailing.bin", loaded_line()},
        {"data/client_portal.bin", "Error: Could not open provider for \"data/client_portal.bin\". Expected .zra or .dat\n"},
        {".dat", "Error: Could not open provider for \".dat\". Expected .zra or .dat\n"},  // a hidden name, no extension
        {"tab\there", "Error: Could not open provider for \"tab\\there\". Expected .zra or .dat\n"},
        {"missing.DAT", "Error: Failed to open file at missing.DAT: No such file or directory (os error 2)\n\n"
                        "Caused by:\n    No such file or directory (os error 2)\n"},
        {"missing.zra", missing("missing.zra")},
        {"missing.ZrA", missing("missing.ZrA")},
    };
    for (const auto& c : cases) EXPECT_EQ(first_line_or_error(c.target), c.expected) << c.target;
}

TEST_F(ProviderTest, TheZraSiblingIsTriedFirstAndDecidesEvenWhenItFails) {
    copy("both.dat");
    support::write_bytes(path("both.zra"), dat::Bytes{});
    EXPECT_EQ(first_line_or_error("both"),
              "Error: IO error: failed to fill whole buffer\n\nCaused by:\n    failed to fill whole buffer\n");
    // A .zra path never falls back to its .dat sibling.
    EXPECT_EQ(first_line_or_error("one.zra"), "Error: Failed to open file at one.zra: No such file or directory (os "
                                              "error 2)\n\nCaused by:\n    No such file or directory (os error 2)\n");
    // With a well-formed archive beside it, the archive is opened.
    support::write_bytes(path("both.zra"), support::ArchiveBuilder().add("eor/portal", 1, dat::Bytes{}).build().bytes);
    EXPECT_EQ(first_line_or_error("both"), "Loaded ZRA provider with 1 files.\n");
    EXPECT_EQ(first_line_or_error("both.dat"), loaded_line());
    // The first existing sibling decides although it cannot be opened.
    std::filesystem::create_directories(path("dir_sibling.dat"));
    EXPECT_EQ(first_line_or_error("dir_sibling"),
              "Error: Binary read error: Is a directory (os error 21)\nWhile parsing field 'magic' in DatHeader\n\n"
              "Caused by:\n    Is a directory (os error 21)\n    While parsing field 'magic' in DatHeader\n");
}

TEST_F(ProviderTest, ANonUtf8PathIsQuotedWithByteEscapes) {
    expect_run({"meta", "bad\xFF" "name.bin"},
               {1, "", "Error: Could not open provider for \"bad\\xFFname.bin\". Expected .zra or .dat\n"});
}

}  // namespace
