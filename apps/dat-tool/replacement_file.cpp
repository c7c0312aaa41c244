#include "replacement_file.hpp"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include <fmt/format.h>

namespace app {

namespace {

// The final target of any symbolic links at `target`, or `target` itself
// when nothing exists there.
std::filesystem::path resolved_target(const std::filesystem::path& target) {
    std::error_code error;
    auto real = std::filesystem::canonical(target, error);
    return error ? target : real;
}

std::filesystem::path temporary_beside(const std::filesystem::path& target, std::uint32_t salt) {
    return target.parent_path() / fmt::format(".{}.tmp-{:08x}", target.filename().string(), salt);
}

}  // namespace

bool can_replace(const std::filesystem::path& target) {
    if (!target.has_filename()) return false;
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0) return errno == ENOENT;
    return ::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(target.c_str(), W_OK) == 0;
}

bool is_directory_refusal(const dat::IoError& error) {
    if (error.kind() != dat::IoError::Kind::Os) return false;
    const int code = error.os_code();
    return code == EACCES || code == EPERM || code == EROFS;
}

dat::IoResult<ReplacementFile> ReplacementFile::create(const std::filesystem::path& requested) {
    const std::filesystem::path target = resolved_target(requested);
    std::random_device seed;
    std::mt19937 salts(seed());
    for (int attempt = 0;; ++attempt) {
        auto temporary = temporary_beside(target, static_cast<std::uint32_t>(salts()));
        auto file = dat::OutputFile::create_new(temporary);
        if (!file) {
            const auto& error = file.error();
            if (error.kind() == dat::IoError::Kind::Os && error.os_code() == EEXIST && attempt < 16) continue;
            return std::unexpected(error);
        }
        ReplacementFile replacement(target, std::move(temporary), std::move(*file));
        // Keep the permissions of a file that is being replaced.
        struct stat existing {};
        if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
            ::chmod(replacement.temporary_.c_str(), existing.st_mode & 07777);
        }
        replacement.file_->set_sync_on_close(true);
        return replacement;
    }
}

ReplacementFile::ReplacementFile(ReplacementFile&& other) noexcept
    : target_(std::move(other.target_)),
      temporary_(std::move(other.temporary_)),
      file_(std::move(other.file_)),
      done_(other.done_) {
    other.done_ = true;
}

ReplacementFile::~ReplacementFile() {
    if (done_) return;
    file_.reset();
    ::unlink(temporary_.c_str());
}

dat::OutputFile ReplacementFile::take_file() {
    dat::OutputFile file = std::move(*file_);
    file_.reset();
    return file;
}

dat::IoResult<void> ReplacementFile::commit() {
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) return std::unexpected(dat::IoError::last_os_error());
    done_ = true;
    // Make the new name durable too; a failure here loses nothing already written.
    const auto directory = target_.parent_path().empty() ? std::filesystem::path(".") : target_.parent_path();
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
    return {};
}

}  // namespace app
