#include "pack_names.hpp"

#include <string>
#include <vector>

#include "common/utf8.hpp"
#include "parse_id.hpp"

namespace app {
namespace {

constexpr std::string_view kCellNamespace = "eor/cell";
constexpr std::string_view kPortalNamespace = "eor/portal";

// The last component of `path` as the file system sees it: trailing slashes
// and "." components do not count; ".." names no file.
std::string_view last_component(std::string_view path) {
    while (!path.empty()) {
        const std::size_t slash = path.find_last_of('/');
        const std::string_view part = slash == std::string_view::npos ? path : path.substr(slash + 1);
        path = slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
        if (part.empty() || part == ".") continue;
        return part == ".." ? std::string_view() : part;
    }
    return {};
}

// The name without its final extension; a leading dot is not an extension.
std::string_view file_stem(std::string_view name) {
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

std::vector<std::string_view> split_at_dots(std::string_view name) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t dot = name.find('.', start);
        parts.push_back(name.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start));
        if (dot == std::string_view::npos) return parts;
        start = dot + 1;
    }
}

std::expected<std::uint32_t, Failure> parse_hex_part(std::string_view part, std::string_view context,
                                                     std::string_view name) {
    auto value = parse_u32_radix(part, 16);
    if (!value) {
        return std::unexpected(Failure::message(std::string(describe(value.error())))
                                   .with_context(std::string(context) + std::string(name)));
    }
    return *value;
}

}  // namespace

std::expected<std::optional<PackFileName>, Failure> parse_pack_file_name(std::string_view name) {
    const auto parts = split_at_dots(name);
    if (parts.size() != 2) return std::nullopt;
    auto id = parse_hex_part(parts[0], "Invalid hex ID in filename: ", name);
    if (!id) return std::unexpected(id.error());
    auto type = parse_hex_part(parts[1], "Invalid hex Type ID in filename: ", name);
    if (!type) return std::unexpected(type.error());
    return PackFileName{*id, *type};
}

std::string_view pack_namespace_for(const std::filesystem::path& output) {
    const std::string_view stem = file_stem(last_component(output.native()));
    if (stem.empty() || !common::is_valid_utf8(stem)) return kPortalNamespace;
    std::string lowered(stem);
    for (char& c : lowered) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lowered.find("cell") != std::string::npos ? kCellNamespace : kPortalNamespace;
}

}  // namespace app
