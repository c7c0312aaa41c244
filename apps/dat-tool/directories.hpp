#pragma once
// Creating the directories an output file needs.

#include <filesystem>
#include <optional>

#include "dat/io.hpp"

namespace app {

// The directory part of an output path, read the way path components are:
// repeated slashes, trailing slashes and "." components other than a leading
// one do not count ("newdir/" is a bare name, "a/b/." has the parent "a").
// Empty for a bare name; no value for a path that is only its root.
std::optional<std::filesystem::path> parent_directory(const std::filesystem::path& path);

// Creates `path` and every missing directory above it, each with mode 0777
// less the umask. Directories that already exist are fine; anything else
// in the way (a file, a dangling link) fails with the system's error.
dat::IoResult<void> create_missing_directories(const std::filesystem::path& path);

}  // namespace app
