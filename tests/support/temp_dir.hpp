#pragma once
// A directory that exists for the life of the object.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace support {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

void write_bytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
void write_text(const std::filesystem::path& path, std::string_view text);
std::vector<std::uint8_t> read_bytes(const std::filesystem::path& path);
std::string read_text(const std::filesystem::path& path);

}  // namespace support
