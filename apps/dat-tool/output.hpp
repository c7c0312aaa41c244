#pragma once
// Standard output, fully buffered with checked writes, and whole-file writes.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include <fmt/format.h>

#include "dat/io.hpp"

namespace app {

class Output {
public:
    explicit Output(int fd) : fd_(fd) { buffer_.reserve(kCapacity); }

    void write(std::string_view text);
    template <class... Args>
    void print(fmt::format_string<Args...> format, Args&&... args) {
        fmt::format_to(std::back_inserter(buffer_), format, std::forward<Args>(args)...);
        if (buffer_.size() >= kCapacity) flush_buffer();
    }

    // Writes out what is buffered; the first failed write of the run, if any.
    dat::IoResult<void> flush();

private:
    static constexpr std::size_t kCapacity = 64 * 1024;
    void flush_buffer();

    int fd_;
    std::string buffer_;
    std::optional<dat::IoError> error_;
};

Output& standard_output();

// Writes `text` completely to a file descriptor, retrying interrupted writes.
dat::IoResult<void> write_all(int fd, std::span<const std::uint8_t> bytes);

// Creates or truncates `path` (mode 0666 less the umask) and writes `bytes`.
dat::IoResult<void> write_file(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
inline dat::IoResult<void> write_file(const std::filesystem::path& path, std::string_view text) {
    return write_file(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace app
