// zra-pack end to end: the binary packs a directory; the archive is read
// back with the library.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include "dat/archive/reader.hpp"
#include "support/archive_builder.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"
#include "support/zstd_cli.hpp"

namespace {

using dat::Bytes;

struct Packed {
    std::string ns;
    std::uint32_t id;
    std::uint32_t type;
    std::uint8_t flags;
    Bytes data;
    friend bool operator==(const Packed&, const Packed&) = default;
};

std::vector<Packed> read_archive(const std::filesystem::path& path) {
    auto reader = dat::ZraReader::open(path).value();
    std::vector<Packed> out;
    for (std::uint32_t i = 0; i < reader.header().entry_count; ++i) {
        const auto e = reader.read_entry_at(i).value();
        out.push_back({std::string(e.namespace_id().value().as_str()), e.file_id, e.type_id, e.flags,
                       reader.read_entry_data(e).value()});
    }
    return out;
}

std::set<std::string> lines_of(const std::string& text) {
    std::set<std::string> lines;
    std::size_t start = 0;
    for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1) {
        lines.insert(text.substr(start, nl - start));
    }
    EXPECT_EQ(start, text.size()) << "output ends without a newline";
    return lines;
}

Bytes bytes_of(std::string_view text) { return Bytes(text.begin(), text.end()); }

support::RunOptions in_directory(const std::filesystem::path& cwd) {
    support::RunOptions options;
    options.cwd = cwd;
    return options;
}

struct PackDir {
    support::TempDir dir;
    std::filesystem::path in = dir / "in";
    PackDir() { std::filesystem::create_directory(in); }
    void file(const std::string& name, std::string_view text) { support::write_text(in / name, text); }
    support::RunResult pack(const std::string& output, bool compress = false) const {
        std::vector<std::string> args = {"zra-pack", "in", output};
        if (compress) args.push_back("-c");
        return support::run_tool(args, in_directory(dir.path()));
    }
};

TEST(ZraPack, PacksHexNamedFilesAndSkipsTheRest) {
    PackDir d;
    d.file("0000001A.0006", "first");
    d.file("1B.6", "second");
    d.file("a.b.c", "x");
    d.file("README", "y");
    std::filesystem::create_directory(d.in / "00000001.0001");
    const auto run = d.pack("out.zra");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(run.out.starts_with("Packing files from \"in\" into \"out.zra\"\n"));
    EXPECT_TRUE(run.out.ends_with("Successfully packed 2 files into \"out.zra\"\n"));
    EXPECT_EQ(lines_of(run.out), (std::set<std::string>{
                                     "Packing files from \"in\" into \"out.zra\"",
                                     "Skipping a.b.c (expected format: [ID].[TYPE] in hex)",
                                     "Skipping README (expected format: [ID].[TYPE] in hex)",
                                     "Successfully packed 2 files into \"out.zra\"",
                                 }));
    EXPECT_EQ(read_archive(d.dir / "out.zra"), (std::vector<Packed>{{"eor/portal", 0x1A, 6, 0, bytes_of("first")},
                                                                    {"eor/portal", 0x1B, 6, 0, bytes_of("second")}}));
}

TEST(ZraPack, HexNamesAcceptSignAndLeadingZeros) {
    PackDir d;
    d.file("+1A.6", "a");
    d.file("000000001.1", "b");
    d.file("fFfFfFfF.FFFFFFFF", "c");
    ASSERT_EQ(d.pack("out.zra").status, 0);
    const auto entries = read_archive(d.dir / "out.zra");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].id, 1u);
    EXPECT_EQ(entries[1].id, 0x1Au);
    EXPECT_EQ(entries[2].id, 0xFFFFFFFFu);
    EXPECT_EQ(entries[2].type, 0xFFFFFFFFu);
}

TEST(ZraPack, BadNamesEndTheCommandWithoutAnArchive) {
    const struct {
        const char* name;
        const char* report;
    } cases[] = {
        {"123456789.1", "Error: Invalid hex ID in filename: 123456789.1\n\nCaused by:\n    number too large to fit in "
                        "target type\n"},
        {"-1A.6", "Error: Invalid hex ID in filename: -1A.6\n\nCaused by:\n    invalid digit found in string\n"},
        {"+.6", "Error: Invalid hex ID in filename: +.6\n\nCaused by:\n    invalid digit found in string\n"},
        {".profile", "Error: Invalid hex ID in filename: .profile\n\nCaused by:\n    cannot parse integer from empty "
                     "string\n"},
        {"readme.txt", "Error: Invalid hex ID in filename: readme.txt\n\nCaused by:\n    invalid digit found in "
                       "string\n"},
        {"1A.", "Error: Invalid hex Type ID in filename: 1A.\n\nCaused by:\n    cannot parse integer from empty "
                "string\n"},
        {"1A.0x6", "Error: Invalid hex Type ID in filename: 1A.0x6\n\nCaused by:\n    invalid digit found in string\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PackDir d;
        d.file(c.name, "data");
        const auto run = d.pack("out.zra");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, c.report);
        EXPECT_EQ(run.out, "Packing files from \"in\" into \"out.zra\"\n");
        EXPECT_FALSE(std::filesystem::exists(d.dir / "out.zra"));
    }
}

TEST(ZraPack, RepeatedIdFailsAndLeavesAnExistingArchiveAlone) {
    PackDir d;
    d.file("1A.6", "a");
    d.file("001A.0007", "b");
    support::write_text(d.dir / "out.zra", "previous archive");
    const auto run = d.pack("out.zra");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error: Duplicate namespaced file eor/portal:0000001A detected\n");
    EXPECT_EQ(support::read_text(d.dir / "out.zra"), "previous archive");
}

TEST(ZraPack, ReplacesAnExistingArchiveOnlyWhenDoneAndLeavesNoTemporaryFile) {
    PackDir d;
    d.file("1.1", "one");
    support::write_text(d.dir / "out.zra", "previous archive");
    ASSERT_EQ(d.pack("out.zra").status, 0);
    EXPECT_EQ(read_archive(d.dir / "out.zra").size(), 1u);
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(d.dir.path())) names.insert(e.path().filename());
    EXPECT_EQ(names, (std::set<std::string>{"in", "out.zra"}));

    // A new archive gets the usual permissions, not those of a temporary file.
    ASSERT_EQ(d.pack("new.zra").status, 0);
    struct stat info {};
    ASSERT_EQ(::stat((d.dir / "new.zra").c_str(), &info), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
}

TEST(ZraPack, NamespaceFollowsTheOutputFileName) {
    const struct {
        const char* output;
        const char* ns;
    } cases[] = {
        {"Portal_Cell.zra", "eor/cell"}, {"excellent.zra", "eor/cell"}, {"x.CELL", "eor/portal"},
        {"portal.zra", "eor/portal"},    {"out", "eor/portal"},         {"cells/out.zra", "eor/portal"},
        {"cell.", "eor/cell"},           {".cell", "eor/cell"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        PackDir d;
        std::filesystem::create_directory(d.dir / "cells");
        d.file("5.5", "v");
        ASSERT_EQ(d.pack(c.output).status, 0);
        EXPECT_EQ(read_archive(d.dir / c.output).at(0).ns, c.ns);
    }
    // The same rule shows in the duplicate message, before anything is written.
    PackDir d;
    d.file("5.5", "v");
    d.file("05.6", "w");
    EXPECT_EQ(d.pack("my_cells.zra").err, "Error: Duplicate namespaced file eor/cell:00000005 detected\n");
}

TEST(ZraPack, NameThatIsNotUtf8IsSkippedAsEmpty) {
    PackDir d;
    d.file(std::string("\xFF\xFE.1"), "x");
    const auto run = d.pack("out.zra");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Packing files from \"in\" into \"out.zra\"\n"
                       "Skipping  (expected format: [ID].[TYPE] in hex)\n"
                       "Successfully packed 0 files into \"out.zra\"\n");
}

TEST(ZraPack, EmptyDirectoryMakesTheEmptyArchive) {
    PackDir d;
    const auto run = d.pack("out.zra");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Packing files from \"in\" into \"out.zra\"\nSuccessfully packed 0 files into \"out.zra\"\n");
    EXPECT_EQ(support::read_bytes(d.dir / "out.zra").size(), 28u);
}

TEST(ZraPack, CompressionFlagDecidesTheEntryFlags) {
    for (bool compress : {false, true}) {
        SCOPED_TRACE(compress);
        PackDir d;
        d.file("1.1", std::string(1000, 'z'));
        d.file("2.1", "z");
        ASSERT_EQ(d.pack("out.zra", compress).status, 0);
        const auto entries = read_archive(d.dir / "out.zra");
        EXPECT_EQ(entries[0].flags, compress ? 0x01 : 0x00);
        EXPECT_EQ(entries[0].data, Bytes(1000, 'z'));
        EXPECT_EQ(entries[1].flags, 0x00);
    }
}

TEST(ZraPack, CompressedEntriesAreOrdinaryZstdFrames) {
    if (!support::zstd_cli()) GTEST_SKIP() << "zstd is not installed";
    PackDir d;
    const Bytes big = support::patterned_bytes(250'000);
    support::write_bytes(d.in / "0E00000E.E", big);
    d.file("1.1", std::string(5000, 'q'));
    ASSERT_EQ(d.pack("out.zra", true).status, 0);
    auto reader = dat::ZraReader::open(d.dir / "out.zra").value();
    for (std::uint32_t i = 0; i < reader.header().entry_count; ++i) {
        const auto e = reader.read_entry_at(i).value();
        ASSERT_TRUE(e.compressed());
        const Bytes file = support::read_bytes(d.dir / "out.zra");
        const Bytes frame(file.begin() + static_cast<std::ptrdiff_t>(e.offset),
                          file.begin() + static_cast<std::ptrdiff_t>(e.offset + e.comp_size));
        const Bytes data = reader.read_entry_data(e).value();
        EXPECT_EQ(support::zstd_cli_decompress(frame), data);
        // A streaming frame at level 3, as zstd makes from a pipe: no content
        // size recorded, small or large.
        EXPECT_EQ(frame, support::zstd_cli_compress(data, {"-3", "--no-check"}, true)) << e.file_id;
    }
}

TEST(ZraPack, ArchiveInsideTheInputDirectoryIsAnInputToo) {
    for (auto [name, report] : {std::pair{"out.zra", "Error: Invalid hex ID in filename: out.zra\n\nCaused by:\n    "
                                                      "invalid digit found in string\n"},
                                std::pair{"cab.zra", "Error: Invalid hex Type ID in filename: cab.zra\n\nCaused by:\n "
                                                      "   invalid digit found in string\n"}}) {
        PackDir d;
        d.file("1.1", "x");
        ASSERT_EQ(d.pack(std::string("in/") + name).status, 0);
        const Bytes first = support::read_bytes(d.in / name);
        const auto again = d.pack(std::string("in/") + name);
        EXPECT_EQ(again.status, 1);
        EXPECT_EQ(again.err, report);
        EXPECT_EQ(support::read_bytes(d.in / name), first);
    }
}

TEST(ZraPack, UnreadableInputAndUnwritableOutputAreReported) {
    PackDir d;
    d.file("1.1", "x");
    support::write_text(d.dir / "plain", "not a directory");
    auto run = support::run_tool({"zra-pack", "plain", "out.zra"}, in_directory(d.dir.path()));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error: Failed to read input directory\n\nCaused by:\n    Not a directory (os error 20)\n");

    run = d.pack("missing/out.zra");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error: Failed to write ZRA file\n\nCaused by:\n    0: IO error: No such file or directory (os "
                       "error 2)\n    1: No such file or directory (os error 2)\n");
    EXPECT_EQ(run.out, "Packing files from \"in\" into \"missing/out.zra\"\n");

    std::filesystem::create_directory(d.dir / "taken");
    run = d.pack("taken");
    EXPECT_EQ(run.err, "Error: Failed to write ZRA file\n\nCaused by:\n    0: IO error: Is a directory (os error 21)\n"
                       "    1: Is a directory (os error 21)\n");

    run = d.pack("/dev/full");
    EXPECT_EQ(run.err, "Error: Failed to write ZRA file\n\nCaused by:\n    0: Binary read error: No space left on "
                       "device (os error 28)\n    1: No space left on device (os error 28)\n");
}

// The output's own permissions decide, as for a plain write: a
// write-protected archive is not replaced, and a writable archive in a
// directory that takes no new files is still written. Needs a user without
// root's powers: as root the tool runs as nobody through setpriv.
TEST(ZraPack, PermissionsOfTheOutputDecide) {
    PackDir d;
    d.file("1.1", "x");
    const auto pack_as_user = [&](const std::string& output) {
        if (::geteuid() != 0) return d.pack(output);
        return support::run_program("/usr/bin/setpriv",
                                    {"--reuid=65534", "--regid=65534", "--clear-groups", support::tool_binary().string(),
                                     "zra-pack", "in", output},
                                    in_directory(d.dir.path()));
    };
    std::filesystem::permissions(d.dir.path(), std::filesystem::perms::all);
    std::filesystem::permissions(d.in, std::filesystem::perms::all);
    std::filesystem::permissions(d.in / "1.1", std::filesystem::perms::all);
    if (pack_as_user("probe.zra").status != 0) GTEST_SKIP() << "cannot run the tool as an ordinary user here";

    support::write_text(d.dir / "ro.zra", "old");
    std::filesystem::permissions(d.dir / "ro.zra", std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                                       std::filesystem::perms::others_read);
    auto run = pack_as_user("ro.zra");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error: Failed to write ZRA file\n\nCaused by:\n    0: IO error: Permission denied (os error 13)\n"
                       "    1: Permission denied (os error 13)\n");
    EXPECT_EQ(support::read_bytes(d.dir / "ro.zra"), bytes_of("old"));

    std::filesystem::create_directory(d.dir / "closed");
    support::write_text(d.dir / "closed" / "w.zra", "old");
    std::filesystem::permissions(d.dir / "closed" / "w.zra", std::filesystem::perms::all);
    std::filesystem::permissions(d.dir / "closed", std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                                       std::filesystem::perms::group_exec |
                                                       std::filesystem::perms::others_read |
                                                       std::filesystem::perms::others_exec);
    run = pack_as_user("closed/w.zra");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(read_archive(d.dir / "closed" / "w.zra").size(), 1u);
}

}  // namespace
