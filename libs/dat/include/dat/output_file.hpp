#pragma once
// A file opened for writing: the one place that writes file descriptors.

#include <cstdint>
#include <filesystem>
#include <span>

#include "dat/io.hpp"

namespace dat {

class OutputFile {
public:
    // Creates or truncates `path`; a new file gets mode 0666 less the umask.
    static IoResult<OutputFile> create(const std::filesystem::path& path);
    // Creates `path`, failing with EEXIST if anything is there already.
    static IoResult<OutputFile> create_new(const std::filesystem::path& path);

    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&& other) noexcept;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Writes everything, retrying interrupted writes; a write that takes no
    // bytes fails with IoError::write_zero().
    IoResult<void> write_all(std::span<const std::uint8_t> bytes);
    IoResult<std::uint64_t> position() const;
    IoResult<void> seek_to(std::uint64_t offset);

    // When set, close() first forces the contents to storage.
    void set_sync_on_close(bool sync) { sync_on_close_ = sync; }
    // Closes the file, reporting delayed write errors. Closing twice is harmless.
    IoResult<void> close();

private:
    explicit OutputFile(int fd) : fd_(fd) {}
    int fd_ = -1;
    bool sync_on_close_ = false;
};

}  // namespace dat
