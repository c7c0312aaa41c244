// Replacing a file only once its new contents are complete.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "replacement_file.hpp"
#include "support/temp_dir.hpp"

namespace {

mode_t current_umask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

mode_t mode_of(const std::filesystem::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

std::size_t entries_in(const std::filesystem::path& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

void write_through(app::ReplacementFile& replacement, std::string_view text) {
    auto file = replacement.take_file();
    ASSERT_TRUE(file.write_all(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())));
    ASSERT_TRUE(file.close());
}

TEST(ReplacementFile, NewFileAppearsOnlyOnCommitWithUsualMode) {
    support::TempDir dir;
    auto replacement = app::ReplacementFile::create(dir / "out.zra").value();
    EXPECT_EQ(mode_of(replacement.temporary_path()), 0666 & ~current_umask());
    write_through(replacement, "new");
    EXPECT_FALSE(std::filesystem::exists(dir / "out.zra"));
    ASSERT_TRUE(replacement.commit());
    EXPECT_EQ(support::read_text(dir / "out.zra"), "new");
    EXPECT_EQ(mode_of(dir / "out.zra"), 0666 & ~current_umask());
    EXPECT_EQ(entries_in(dir.path()), 1u);
}

TEST(ReplacementFile, AbandonedReplacementLeavesTheOldFileAndNoTemporary) {
    support::TempDir dir;
    support::write_text(dir / "out.zra", "old");
    {
        auto replacement = app::ReplacementFile::create(dir / "out.zra").value();
        write_through(replacement, "half");
    }
    EXPECT_EQ(support::read_text(dir / "out.zra"), "old");
    EXPECT_EQ(entries_in(dir.path()), 1u);
}

TEST(ReplacementFile, KeepsModeOfReplacedFileAndLinksToIt) {
    support::TempDir dir;
    support::write_text(dir / "real.zra", "old");
    ::chmod((dir / "real.zra").c_str(), 0640);
    std::filesystem::create_symlink("real.zra", dir / "link.zra");
    auto replacement = app::ReplacementFile::create(dir / "link.zra").value();
    write_through(replacement, "new");
    ASSERT_TRUE(replacement.commit());
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.zra"));
    EXPECT_EQ(support::read_text(dir / "real.zra"), "new");
    EXPECT_EQ(mode_of(dir / "real.zra"), 0640u);
}

TEST(ReplacementFile, OnlyAbsentPathsAndRegularFilesAreReplaced) {
    support::TempDir dir;
    support::write_text(dir / "file", "x");
    std::filesystem::create_directory(dir / "sub");
    std::filesystem::create_symlink("nowhere", dir / "dangling");
    EXPECT_TRUE(app::can_replace(dir / "absent"));
    EXPECT_TRUE(app::can_replace(dir / "file"));
    EXPECT_FALSE(app::can_replace(dir / "sub"));
    EXPECT_FALSE(app::can_replace(dir / "dangling"));
    EXPECT_FALSE(app::can_replace("/dev/null"));
    EXPECT_FALSE(app::can_replace(dir.path() / ""));
}

}  // namespace
