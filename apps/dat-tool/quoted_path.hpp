#pragma once
// The quoted form in which messages show a path: double quotes around it,
// backslash escapes for quotes, backslashes and control characters,
// \u{..} for other characters that do not print, and \xHH for every byte
// that is not part of valid UTF-8.

#include <filesystem>
#include <string>
#include <string_view>

namespace app {

std::string quoted(std::string_view raw_bytes);
inline std::string quoted(const std::filesystem::path& path) { return quoted(std::string_view(path.native())); }

// The path as text, with invalid UTF-8 replaced by U+FFFD.
std::string display_path(const std::filesystem::path& path);

}  // namespace app
