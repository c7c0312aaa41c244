#pragma once
// Creating the directories an output file needs.

#include <filesystem>

#include "dat/io.hpp"

namespace app {

// Creates `path` and every missing directory above it, each with mode 0777
// less the umask. Directories that already exist are fine; anything else
// in the way (a file, a dangling link) fails with the system's error.
dat::IoResult<void> create_missing_directories(const std::filesystem::path& path);

}  // namespace app
