#include "output.hpp"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace app {

void Output::write(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= kCapacity) flush_buffer();
}

void Output::flush_buffer() {
    // After a failure the rest of the output is dropped: the run reports the
    // first error instead.
    if (!error_) {
        auto written = write_all(fd_, std::span(reinterpret_cast<const std::uint8_t*>(buffer_.data()), buffer_.size()));
        if (!written) error_ = written.error();
    }
    buffer_.clear();
}

dat::IoResult<void> Output::flush() {
    if (!buffer_.empty()) flush_buffer();
    if (error_) return std::unexpected(*error_);
    return {};
}

Output& standard_output() {
    static Output out(STDOUT_FILENO);
    return out;
}

dat::IoResult<void> write_all(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::unexpected(dat::IoError::last_os_error());
        }
        if (n == 0) return std::unexpected(dat::IoError::write_zero());
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return {};
}

dat::IoResult<void> write_file(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return std::unexpected(dat::IoError::last_os_error());
    auto written = write_all(fd, bytes);
    // close() reports delayed write errors (for example on network file systems).
    const int closed = ::close(fd);
    if (!written) return written;
    if (closed != 0) return std::unexpected(dat::IoError::last_os_error());
    return {};
}

}  // namespace app
