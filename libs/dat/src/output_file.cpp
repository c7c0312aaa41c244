#include "dat/output_file.hpp"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace dat {

namespace {

IoResult<OutputFile> open_with(const std::filesystem::path& path, int flags, auto make) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return std::unexpected(IoError::last_os_error());
    return make(fd);
}

}  // namespace

IoResult<OutputFile> OutputFile::create(const std::filesystem::path& path) {
    return open_with(path, O_TRUNC, [](int fd) { return OutputFile(fd); });
}

IoResult<OutputFile> OutputFile::create_new(const std::filesystem::path& path) {
    return open_with(path, O_EXCL, [](int fd) { return OutputFile(fd); });
}

OutputFile::OutputFile(OutputFile&& other) noexcept : fd_(other.fd_), sync_on_close_(other.sync_on_close_) {
    other.fd_ = -1;
}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        sync_on_close_ = other.sync_on_close_;
        other.fd_ = -1;
    }
    return *this;
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) ::close(fd_);
}

IoResult<void> OutputFile::write_all(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::unexpected(IoError::last_os_error());
        }
        if (n == 0) return std::unexpected(IoError::write_zero());
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return {};
}

IoResult<std::uint64_t> OutputFile::position() const {
    const off_t at = ::lseek(fd_, 0, SEEK_CUR);
    if (at < 0) return std::unexpected(IoError::last_os_error());
    return static_cast<std::uint64_t>(at);
}

IoResult<void> OutputFile::seek_to(std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(INT64_MAX)) return std::unexpected(IoError::from_errno(EINVAL));
    if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) return std::unexpected(IoError::last_os_error());
    return {};
}

IoResult<void> OutputFile::close() {
    if (fd_ < 0) return {};
    const int fd = fd_;
    fd_ = -1;
    if (sync_on_close_ && ::fsync(fd) != 0) {
        const IoError error = IoError::last_os_error();
        ::close(fd);
        return std::unexpected(error);
    }
    // close() reports delayed write errors (for example on network file systems).
    if (::close(fd) != 0 && errno != EINTR) return std::unexpected(IoError::last_os_error());
    return {};
}

}  // namespace dat
