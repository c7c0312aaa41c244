// zra-pack: every regular file named "<hex id>.<hex type>" in a directory
// becomes one resource of a new archive.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "commands/commands.hpp"
#include "common/utf8.hpp"
#include "dat/archive/writer.hpp"
#include "output.hpp"
#include "parse_id.hpp"
#include "quoted_path.hpp"
#include "replacement_file.hpp"

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

// "eor/cell" when the output's file stem mentions "cell" in any letter
// case, "eor/portal" otherwise.
std::string_view namespace_for(const std::filesystem::path& output) {
    const std::string_view stem = file_stem(last_component(output.native()));
    if (stem.empty() || !common::is_valid_utf8(stem)) return kPortalNamespace;
    std::string lowered(stem);
    for (char& c : lowered) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lowered.find("cell") != std::string::npos ? kCellNamespace : kPortalNamespace;
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

std::expected<std::uint32_t, Failure> parse_hex_part(std::string_view part, std::string context) {
    auto value = parse_u32_radix(part, 16);
    if (!value) return std::unexpected(Failure::message(std::string(describe(value.error()))).with_context(context));
    return *value;
}

// Writes the archive beside the output and moves it into place once it is
// complete, so a failure never damages an existing archive.
CommandResult write_archive(dat::ZraWriter writer, const std::filesystem::path& output) {
    const auto failed = [](const dat::DatError& error) {
        return std::unexpected(Failure(error).with_context("Failed to write ZRA file"));
    };
    if (!can_replace(output)) {
        if (auto written = std::move(writer).write(output); !written) return failed(written.error());
        return {};
    }
    auto replacement = ReplacementFile::create(output);
    if (!replacement) return failed(replacement.error());
    if (auto written = std::move(writer).write_to(replacement->take_file()); !written) return failed(written.error());
    if (auto committed = replacement->commit(); !committed) return failed(committed.error());
    return {};
}

}  // namespace

CommandResult run_zra_pack(const ZraPackArgs& args) {
    auto writer = dat::ZraWriter::new_();
    writer.compress = args.compress;
    const std::string_view label = namespace_for(args.output);

    auto& out = standard_output();
    out.print("Packing files from {} into {}\n", quoted(args.input), quoted(args.output));

    std::error_code error;
    std::filesystem::directory_iterator listing(args.input, error);
    if (error) {
        return std::unexpected(
            Failure(dat::IoError::from_errno(error.value())).with_context("Failed to read input directory"));
    }
    std::size_t packed = 0;
    for (; listing != std::filesystem::directory_iterator(); listing.increment(error)) {
        if (error) break;
        const auto& path = listing->path();
        std::error_code not_a_file;
        if (!std::filesystem::is_regular_file(path, not_a_file)) continue;

        const std::string raw_name = path.filename().native();
        const std::string name = common::is_valid_utf8(raw_name) ? raw_name : std::string();
        const auto parts = split_at_dots(name);
        if (parts.size() != 2) {
            out.print("Skipping {} (expected format: [ID].[TYPE] in hex)\n", name);
            continue;
        }
        auto id = parse_hex_part(parts[0], "Invalid hex ID in filename: " + name);
        if (!id) return std::unexpected(id.error());
        auto type = parse_hex_part(parts[1], "Invalid hex Type ID in filename: " + name);
        if (!type) return std::unexpected(type.error());

        auto bytes = dat::read_whole_file(path);
        if (!bytes) return std::unexpected(Failure(bytes.error()));
        if (auto added = writer.add(label, *id, *type, std::move(*bytes)); !added) {
            return std::unexpected(Failure(added.error()));
        }
        ++packed;
    }
    if (error) return std::unexpected(Failure(dat::IoError::from_errno(error.value())));

    if (auto written = write_archive(std::move(writer), args.output); !written) return written;
    out.print("Successfully packed {} files into {}\n", packed, quoted(args.output));
    return {};
}

}  // namespace app
