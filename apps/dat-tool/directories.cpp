#include "directories.hpp"

#include <cerrno>
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
