#pragma once
// Positional reads. Every container read names its absolute offset, so no
// reader depends on a shared file position.

#include <cstdint>
#include <expected>
#include <filesystem>
#include <span>
#include <vector>

#include "dat/error.hpp"

namespace dat {

using Bytes = std::vector<std::uint8_t>;

template <class T>
using IoResult = std::expected<T, IoError>;

// Anything with a length and exact positional reads: a file, or bytes in
// memory for tests and fuzzing.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual IoResult<std::uint64_t> len_compat() const = 0;
    // Fills `buffer` completely from `offset`, or fails; a source that ends
    // first fails with IoError::unexpected_eof().
    virtual IoResult<void> read_exact_at_compat(std::span<std::uint8_t> buffer, std::uint64_t offset) const = 0;
};

// A file opened read-only; the one place that reads file descriptors.
class PositionalFile final : public ByteSource {
public:
    static IoResult<PositionalFile> open(const std::filesystem::path& path);

    PositionalFile(PositionalFile&& other) noexcept;
    PositionalFile& operator=(PositionalFile&& other) noexcept;
    PositionalFile(const PositionalFile&) = delete;
    PositionalFile& operator=(const PositionalFile&) = delete;
    ~PositionalFile() override;

    IoResult<std::uint64_t> len_compat() const override;
    IoResult<void> read_exact_at_compat(std::span<std::uint8_t> buffer, std::uint64_t offset) const override;
    // Reads as many bytes as are there, up to the buffer's size; retries
    // interrupted calls. Returns the count read (short only at end of file).
    IoResult<std::size_t> read_up_to_at(std::span<std::uint8_t> buffer, std::uint64_t offset) const;

    int fd() const { return fd_; }

private:
    explicit PositionalFile(int fd) : fd_(fd) {}
    int fd_ = -1;
};

// Bytes held in memory, with the same read semantics as a file.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(Bytes bytes) : bytes_(std::move(bytes)) {}
    IoResult<std::uint64_t> len_compat() const override { return bytes_.size(); }
    IoResult<void> read_exact_at_compat(std::span<std::uint8_t> buffer, std::uint64_t offset) const override;
    const Bytes& bytes() const { return bytes_; }

private:
    Bytes bytes_;
};

// Reads a whole file into memory.
IoResult<Bytes> read_whole_file(const std::filesystem::path& path);

}  // namespace dat
