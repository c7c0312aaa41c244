// zra-pack: every regular file named "<hex id>.<hex type>" in a directory
// becomes one resource of a new archive.

#include <filesystem>
#include <string>
#include <string_view>

#include "commands/commands.hpp"
#include "common/utf8.hpp"
#include "dat/archive/writer.hpp"
#include "output.hpp"
#include "pack_names.hpp"
#include "quoted_path.hpp"
#include "replacement_file.hpp"

namespace app {

namespace {

// Writes the archive beside the output and moves it into place once it is
// complete, so a failure never damages an existing archive. Where no file can
// be made beside it, or the output is no regular file we may write, it is
// written in place.
CommandResult write_archive(dat::ZraWriter writer, const std::filesystem::path& output) {
    const auto failed = [](const dat::DatError& error) {
        return std::unexpected(Failure(error).with_context("Failed to write ZRA file"));
    };
    const auto in_place = [&]() -> CommandResult {
        if (auto written = std::move(writer).write(output); !written) return failed(written.error());
        return {};
    };
    if (!can_replace(output)) return in_place();
    auto replacement = ReplacementFile::create(output);
    if (!replacement && is_directory_refusal(replacement.error())) return in_place();
    if (!replacement) return failed(replacement.error());
    if (auto written = std::move(writer).write_to(replacement->take_file()); !written) return failed(written.error());
    if (auto committed = replacement->commit(); !committed) return failed(committed.error());
    return {};
}

}  // namespace

CommandResult run_zra_pack(const ZraPackArgs& args) {
    auto writer = dat::ZraWriter::new_();
    writer.compress = args.compress;
    const std::string_view label = pack_namespace_for(args.output);

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
        auto parsed = parse_pack_file_name(name);
        if (!parsed) return std::unexpected(parsed.error());
        if (!*parsed) {
            out.print("Skipping {} (expected format: [ID].[TYPE] in hex)\n", name);
            continue;
        }
        auto bytes = dat::read_whole_file(path);
        if (!bytes) return std::unexpected(Failure(bytes.error()));
        if (auto added = writer.add(label, (*parsed)->id, (*parsed)->type, std::move(*bytes)); !added) {
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
