#include "dat/io.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dat {

IoResult<PositionalFile> PositionalFile::open(const std::filesystem::path& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return std::unexpected(IoError::last_os_error());
    return PositionalFile(fd);
}

PositionalFile::PositionalFile(PositionalFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

PositionalFile& PositionalFile::operator=(PositionalFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

PositionalFile::~PositionalFile() {
    if (fd_ >= 0) ::close(fd_);
}

IoResult<std::uint64_t> PositionalFile::len_compat() const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return std::unexpected(IoError::last_os_error());
    return static_cast<std::uint64_t>(info.st_size);
}

IoResult<std::size_t> PositionalFile::read_up_to_at(std::span<std::uint8_t> buffer, std::uint64_t offset) const {
    std::size_t done = 0;
    while (done < buffer.size()) {
        // pread takes a signed offset: beyond that range nothing can be read.
        if (offset + done > static_cast<std::uint64_t>(INT64_MAX)) break;
        const ssize_t n = ::pread(fd_, buffer.data() + done, buffer.size() - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::unexpected(IoError::last_os_error());
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

IoResult<void> PositionalFile::read_exact_at_compat(std::span<std::uint8_t> buffer, std::uint64_t offset) const {
    if (buffer.empty()) return {};
    auto got = read_up_to_at(buffer, offset);
    if (!got) return std::unexpected(got.error());
    if (*got < buffer.size()) return std::unexpected(IoError::unexpected_eof());
    return {};
}

IoResult<void> MemorySource::read_exact_at_compat(std::span<std::uint8_t> buffer, std::uint64_t offset) const {
    if (buffer.empty()) return {};
    if (offset > bytes_.size() || buffer.size() > bytes_.size() - offset) {
        return std::unexpected(IoError::unexpected_eof());
    }
    std::memcpy(buffer.data(), bytes_.data() + offset, buffer.size());
    return {};
}

IoResult<Bytes> read_whole_file(const std::filesystem::path& path) {
    auto file = PositionalFile::open(path);
    if (!file) return std::unexpected(file.error());
    auto length = file->len_compat();
    if (!length) return std::unexpected(length.error());
    // The length is only a hint (the file may change); read until end.
    Bytes bytes(static_cast<std::size_t>(*length));
    auto got = file->read_up_to_at(bytes, 0);
    if (!got) return std::unexpected(got.error());
    bytes.resize(*got);
    std::uint8_t more[4096];
    for (;;) {
        auto extra = file->read_up_to_at(more, bytes.size());
        if (!extra) return std::unexpected(extra.error());
        if (*extra == 0) break;
        bytes.insert(bytes.end(), more, more + *extra);
    }
    return bytes;
}

}  // namespace dat
