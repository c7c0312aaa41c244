#pragma once
// The names zra-pack reads meaning from: "<hex id>.<hex type>" input file
// names and the output file's name, which picks the archive's namespace.

#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string_view>

#include "report.hpp"

namespace app {

struct PackFileName {
    std::uint32_t id = 0;
    std::uint32_t type = 0;
};

// The id and type of an input file. No value when the name does not have
// exactly one dot (such files are skipped); a failure when it has one dot
// but a part is not hexadecimal.
std::expected<std::optional<PackFileName>, Failure> parse_pack_file_name(std::string_view name);

// "eor/cell" when the output's file stem mentions "cell" in any letter
// case, "eor/portal" otherwise.
std::string_view pack_namespace_for(const std::filesystem::path& output);

}  // namespace app
