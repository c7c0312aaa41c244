#include <fmt/format.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <cstdlib>
#include <filesystem>

#include "cli_fixture.hpp"
#include "support/lrs_compressor.hpp"
#include "support/records.hpp"

namespace {

using cli_test::Expected;
using cli_test::ToolFixture;
using dat::Bytes;

// A program found on PATH (the decoders that check what extract wrote).
std::filesystem::path find_program(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "/usr/bin:/bin";
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const auto candidate = std::filesystem::path(rest.substr(0, colon)) / name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
    }
    return {};
}

class ExportExtractTest : public ToolFixture {
protected:
    void SetUp() override {
        support::DatBuilder builder(1024, 1);
        builder.add_file(0x0600001A, support::jpeg_texture_record(0x0600001A));
        builder.add_file(0x06000123, support::texture_record(0x06000123, 21, 4, 4, support::pattern_bytes(64, 1)));
        builder.add_file(0x06000024, support::texture_record(0x06000024, 500, 0, 0, {}));  // exactly 24 bytes
        builder.add_file(0x06000013, support::pattern_bytes(19, 2));                      // no format code
        Bytes short_jpeg = support::texture_record(0x06000017, 500, 0, 0, {});
        short_jpeg.resize(23);
        builder.add_file(0x06000017, short_jpeg);                                           // no image part
        Bytes format_only = support::texture_record(0x06000020, 7, 0, 0, {});
        format_only.resize(20);
        builder.add_file(0x06000020, format_only);                                          // a format, no more
        builder.add_file(0x0A000001, support::sound_record(0x0A000001, {.channels = 2, .sample_rate = 11025},
                                                           support::pcm_tone(485)));  // 30 + 970 = 1000 bytes
        builder.add_file(0x0A00001D, support::pattern_bytes(29, 3));
        builder.add_file(0x0A00001E, support::sound_record(0x0A00001E, {}, {}));       // exactly 30 bytes
        builder.add_file(0x01000001, support::pattern_bytes(1500, 4));
        builder.add_file(0x0D000002, support::repetitive_bytes(2000, 5), {.lrs = true});
        builder.add_file(0x07000001, support::texture_record(0x07000001, 500, 16, 8, support::tiny_jpeg()));
        builder.write(dir / "portal.dat");
        db_ = std::make_unique<dat::DatDatabase>(std::move(*dat::DatDatabase::new_(dir / "portal.dat")));
    }

    Bytes file(std::uint32_t id) const { return db_->get_file(id).value(); }
    Bytes written(const std::string& name) const { return support::read_bytes(path(name)); }

    std::unique_ptr<dat::DatDatabase> db_;
};

TEST_F(ExportExtractTest, ExportWritesTheUncompressedBytes) {
    expect_run({"export", "portal.dat", "0x0600001A"}, {0, "Exported 0600001A to \"0600001A.bin\"\n", ""});
    EXPECT_EQ(written("0600001A.bin"), file(0x0600001A));
    expect_run({"export", "portal.dat", "0x0D000002", "--namespace", "eor/cell"},
               {0, "Exported 0D000002 to \"0D000002.bin\"\n", ""});
    EXPECT_EQ(written("0D000002.bin"), support::repetitive_bytes(2000, 5));
    // An existing file is replaced whole; -o is used as given.
    support::write_bytes(path("out \"q\".dat"), Bytes(5000, 1));
    expect_run({"export", "portal.dat", "16777217", "-o", "out \"q\".dat"},
               {0, "Exported 01000001 to \"out \\\"q\\\".dat\"\n", ""});
    EXPECT_EQ(written("out \"q\".dat"), file(0x01000001));
    // The other spellings of the output option; after "--" all is a value.
    for (const auto& [args, name] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"-o=eq.bin", "portal.dat", "0x0600001A"}, "eq.bin"},
             {{"--output=long.bin", "portal.dat", "0x0600001A"}, "long.bin"},
             {{"-ojoined.bin", "portal.dat", "0x0600001A"}, "joined.bin"},
             {{"-o", "dash.bin", "--", "portal.dat", "-1"}, ""},
         }) {
        std::vector<std::string> command{"export"};
        command.insert(command.end(), args.begin(), args.end());
        if (name.empty()) {
            expect_run(command, {1, "", "Error: invalid digit found in string\n"});
            continue;
        }
        expect_run(command, {0, "Exported 0600001A to \"" + name + "\"\n", ""});
        EXPECT_EQ(written(name), file(0x0600001A));
    }
}

TEST_F(ExportExtractTest, FailuresAreReportedAndWriteNothing) {
    const std::string missing_dir = "Error: No such file or directory (os error 2)\n";
    std::filesystem::create_directories(path("a_directory"));
    const std::vector<std::pair<std::vector<std::string>, Expected>> cases = {
        {{"export", "portal.dat", "0x0600001B"}, {1, "", "Error: File ID 0600001B not found in provider\n"}},
        {{"extract", "portal.dat", "0x0600001B"}, {1, "", "Error: File ID 0600001B not found in provider\n"}},
        {{"export", "portal.dat", "0x0600001A", "-o", "out/x.bin"}, {1, "", missing_dir}},
        {{"export", "portal.dat", "0x0600001A", "-o", "a_directory"}, {1, "", "Error: Is a directory (os error 21)\n"}},
        // JPEG and WAVE are announced only once written.
        {{"extract", "portal.dat", "0x0600001A", "-o", "out/x.jpg"}, {1, "", missing_dir}},
        {{"extract", "portal.dat", "0x0A000001", "-o", "out/x.wav"}, {1, "", missing_dir}},
        // Raw writes are announced first.
        {{"extract", "portal.dat", "0x06000123", "-o", "out/x.bin"},
         {1, "Texture 06000123 is not a JPEG (Format 21), exporting as .bin\n", missing_dir}},
        {{"extract", "portal.dat", "0x01000001", "-o", "out/x.bin"},
         {1, "Model 01000001 (GraphicsObject) exported as .bin (client custom format)\n", missing_dir}},
        {{"extract", "portal.dat", "0x0D000002", "-o", "out/x.bin"},
         {1, "No extraction specialist for type 0D, exporting raw .bin\n", missing_dir}},
        {{"export", "missing.dat", "0x0"},
         {1, "",
          "Error: Failed to open file at missing.dat: No such file or directory (os error 2)\n\n"
          "Caused by:\n    No such file or directory (os error 2)\n"}},
        {{"extract", "missing.bin", "0x0"}, {1, "", "Error: Could not open provider for \"missing.bin\". Expected .zra or .dat\n"}},
        {{"extract", "portal.dat", "xyz"}, {1, "", "Error: invalid digit found in string\n"}},
        {{"export", "portal.dat", "0x"}, {1, "", "Error: cannot parse integer from empty string\n"}},
    };
    for (const auto& [args, expected] : cases) expect_run(args, expected);
    EXPECT_FALSE(std::filesystem::exists(path("out")));
    EXPECT_FALSE(std::filesystem::exists(path("0600001B.bin")));
}

// A path that cannot be opened for writing: a directory without write
// permission, or for root (who ignores permissions) a read-only sysfs file;
// empty when this machine offers neither.
std::filesystem::path unwritable_path(const std::filesystem::path& dir) {
    if (::geteuid() != 0) {
        std::filesystem::create_directories(dir / "locked");
        std::filesystem::permissions(dir / "locked", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        return dir / "locked" / "x.bin";
    }
    const std::filesystem::path notes = "/sys/kernel/notes";
    const int fd = ::open(notes.c_str(), O_WRONLY);
    if (fd >= 0) ::close(fd);
    return fd < 0 && errno == EACCES ? notes : std::filesystem::path{};
}

TEST_F(ExportExtractTest, FailedWritesAreErrors) {
    const std::string full = "Error: No space left on device (os error 28)\n";
    support::write_text(path("a_file"), "in the way");
    const std::vector<std::pair<std::vector<std::string>, Expected>> cases = {
        {{"export", "portal.dat", "0x0600001A", "-o", "/dev/full"}, {1, "", full}},
        {{"extract", "portal.dat", "0x0600001A", "-o", "/dev/full"}, {1, "", full}},
        {{"extract", "portal.dat", "0x0A000001", "-o", "/dev/full"}, {1, "", full}},
        {{"extract", "portal.dat", "0x01000001", "-o", "/dev/full"},
         {1, "Model 01000001 (GraphicsObject) exported as .bin (client custom format)\n", full}},
        {{"export", "portal.dat", "0x0600001A", "-o", "a_file/x.bin"}, {1, "", "Error: Not a directory (os error 20)\n"}},
        {{"extract", "portal.dat", "0x0A000001", "-o", "a_file/x.wav"}, {1, "", "Error: Not a directory (os error 20)\n"}},
    };
    for (const auto& [args, expected] : cases) expect_run(args, expected);

    // The file is written, then the announcement cannot be.
    const std::string stdout_full =
        "Error: could not write to standard output\n\nCaused by:\n    No space left on device (os error 28)\n";
    for (const auto& args : std::vector<std::vector<std::string>>{{"export", "portal.dat", "0x0600001A", "-o", "e.bin"},
                                               {"extract", "portal.dat", "0x0600001A", "-o", "e.jpg"},
                                               {"extract", "portal.dat", "0x01000001", "-o", "m.bin"}}) {
        support::RunOptions to_full;
        to_full.cwd = dir.path();
        to_full.stdout_file = "/dev/full";
        const auto r = support::run_tool(args, to_full);
        EXPECT_EQ(r.status, 1) << args[1];
        EXPECT_EQ(r.err, stdout_full) << args[1];
    }

    const auto unwritable = unwritable_path(dir.path());
    if (unwritable.empty()) GTEST_SKIP() << "no unwritable path on this machine";
    for (const auto* command : {"export", "extract"}) {
        expect_run({command, "portal.dat", "0x0A000001", "-o", unwritable.string()},
                   {1, "", "Error: Permission denied (os error 13)\n"});
    }
}

TEST_F(ExportExtractTest, ABrokenChainIsAnIoError) {
    support::DatImage image(1024);
    support::DirectoryNode root;
    root.entries = {{0, 0x06000001, 0x00F00000, 100, 0, 0}};
    image.header.root_offset = image.store_node(root);
    write_image("broken.dat", image);
    expect_run({"extract", "broken.dat", "0x06000001"},
               {1, "", "Error: IO error: failed to fill whole buffer\n\nCaused by:\n    failed to fill whole buffer\n"});
}

TEST_F(ExportExtractTest, ExtractWritesAJpegThatDecodes) {
    expect_run({"extract", "portal.dat", "0x0600001A"},
               {0, "Extracted JPEG texture 0600001A to \"0600001A.jpg\"\n", ""});
    const Bytes jpeg = written("0600001A.jpg");
    EXPECT_TRUE(jpeg == Bytes(support::tiny_jpeg().begin(), support::tiny_jpeg().end()));
    const auto djpeg = find_program("djpeg");
    ASSERT_FALSE(djpeg.empty()) << "djpeg (libjpeg-turbo-progs) is needed";
    const auto decoded = support::run_program(djpeg, {"-pnm", path("0600001A.jpg").string()});
    EXPECT_EQ(decoded.status, 0) << decoded.err;
    EXPECT_TRUE(decoded.out.starts_with("P6\n16 8\n255\n")) << decoded.out.substr(0, 16);

    expect_run({"extract", "portal.dat", "0x0600001A", "-o", "picture.png"},
               {0, "Extracted JPEG texture 0600001A to \"picture.png\"\n", ""});
    EXPECT_EQ(written("picture.png"), jpeg);
    expect_run({"extract", "portal.dat", "0x06000024"}, {0, "Extracted JPEG texture 06000024 to \"06000024.jpg\"\n", ""});
    EXPECT_TRUE(written("06000024.jpg").empty());
}

TEST_F(ExportExtractTest, ExtractWritesAWaveFileThatAReaderAccepts) {
    expect_run({"extract", "portal.dat", "0x0A000001"}, {0, "Extracted WAV audio 0A000001 to \"0A000001.wav\"\n", ""});
    const Bytes wave = written("0A000001.wav");
    const Bytes record = file(0x0A000001);
    ASSERT_EQ(record.size(), 1000u);
    ASSERT_EQ(wave.size(), 1014u);
    EXPECT_EQ(std::string(wave.begin(), wave.begin() + 4), "RIFF");
    EXPECT_EQ(support::get_u32(wave, 4), 1006u);
    EXPECT_EQ(std::string(wave.begin() + 8, wave.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(support::get_u32(wave, 16), 16u);
    EXPECT_TRUE(std::equal(wave.begin() + 20, wave.begin() + 36, record.begin() + 12));
    EXPECT_EQ(std::string(wave.begin() + 36, wave.begin() + 40), "data");
    EXPECT_EQ(support::get_u32(wave, 40), 970u);
    EXPECT_TRUE(std::equal(wave.begin() + 44, wave.end(), record.begin() + 30));

    const auto python = find_program("python3");
    ASSERT_FALSE(python.empty()) << "python3 is needed";
    const auto read = support::run_program(
        python, {"-c",
                 "import sys, wave\n"
                 "w = wave.open(sys.argv[1])\n"
                 "frames = w.readframes(w.getnframes())\n"
                 "print(w.getnchannels(), w.getframerate(), w.getsampwidth(), w.getnframes(), len(frames))\n",
                 path("0A000001.wav").string()});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, "2 11025 2 242 968\n");

    expect_run({"extract", "portal.dat", "0x0A00001E", "-o", "silence"},
               {0, "Extracted WAV audio 0A00001E to \"silence\"\n", ""});
    EXPECT_EQ(written("silence").size(), 44u);
}

TEST_F(ExportExtractTest, ExtractWritesEverythingElseRawAndSaysSo) {
    struct Case {
        std::uint32_t id;
        std::string out;
        std::string name;
    };
    const std::vector<Case> cases = {
        {0x06000123, "Texture 06000123 is not a JPEG (Format 21), exporting as .bin\n", "06000123.bin"},
        {0x06000020, "Texture 06000020 is not a JPEG (Format 7), exporting as .bin\n", "06000020.bin"},
        {0x01000001, "Model 01000001 (GraphicsObject) exported as .bin (client custom format)\n", "01000001.bin"},
        {0x0D000002, "No extraction specialist for type 0D, exporting raw .bin\n", "0D000002.bin"},
        // A 0x07 id is a texture by type, but extract goes by the top byte.
        {0x07000001, "No extraction specialist for type 07, exporting raw .bin\n", "07000001.bin"},
        {0x06000013, "Texture 06000013 is too short for its format (19 bytes), exporting as .bin\n", "06000013.bin"},
        {0x06000017, "Texture 06000017 is too short for its format (23 bytes), exporting as .bin\n", "06000017.bin"},
        {0x0A00001D, "Sound 0A00001D is too short for a WAV file (29 bytes), exporting as .bin\n", "0A00001D.bin"},
    };
    for (const auto& c : cases) {
        expect_run({"extract", "portal.dat", fmt::format("0x{:08X}", c.id)}, {0, c.out, ""});
        EXPECT_EQ(written(c.name), file(c.id)) << c.name;
    }
    expect_run({"extract", "portal.dat", "0x0A00001D", "-o", "short.wav"},
               {0, "Sound 0A00001D is too short for a WAV file (29 bytes), exporting as .bin\n", ""});
    EXPECT_EQ(written("short.wav"), file(0x0A00001D));
}

}  // namespace
