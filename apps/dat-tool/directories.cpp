#include "directories.hpp"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <vector>
#include <sys/stat.h>

namespace app {
namespace {

bool is_existing_directory(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// mkdir with mode 0777 (less the umask); 0 or the errno it failed with.
int make_directory(const std::filesystem::path& path) { return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno; }

}  // namespace

std::optional<std::filesystem::path> parent_directory(const std::filesystem::path& path) {
    const std::string& text = path.native();
    // The end offsets of the components that count, the root included.
    std::vector<std::size_t> ends;
    std::size_t at = 0;
    if (text.starts_with('/')) {
        ends.push_back(1);
        at = 1;
    }
    while (at < text.size()) {
        const std::size_t slash = std::min(text.find('/', at), text.size());
        const std::string_view part(text.data() + at, slash - at);
        const bool leading = ends.empty();
        if (!part.empty() && (part != "." || leading)) ends.push_back(slash);
        at = slash + 1;
    }
    if (ends.empty() || (ends.size() == 1 && text.starts_with('/'))) return std::nullopt;
    if (ends.size() == 1) return std::filesystem::path();
    return std::filesystem::path(text.substr(0, ends[ends.size() - 2]));
}

dat::IoResult<void> create_missing_directories(const std::filesystem::path& path) {
    if (path.empty() || is_existing_directory(path)) return {};
    int error = make_directory(path);
    if (error == ENOENT) {
        // A missing ancestor: create it first, then try again.
        const auto parent = path.parent_path();
        if (!parent.empty() && parent != path) {
            if (auto made = create_missing_directories(parent); !made) return made;
            error = make_directory(path);
        }
    }
    // EEXIST from a directory that appeared in the meantime is fine.
    if (error == 0 || is_existing_directory(path)) return {};
    return std::unexpected(dat::IoError::from_errno(error));
}

}  // namespace app
