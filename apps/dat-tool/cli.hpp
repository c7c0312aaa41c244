#pragma once
// The command line: one variant per subcommand, holding its arguments.

#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "tools/spell_export_options.hpp"

namespace app {

struct MetaArgs {
    std::filesystem::path path;
};
struct ListArgs {
    std::filesystem::path path;
};
struct InfoArgs {
    std::filesystem::path path;
    std::string id;
    std::optional<std::string> namespace_label;
};
struct ExportArgs {
    std::filesystem::path path;
    std::string id;
    std::optional<std::string> namespace_label;
    std::optional<std::filesystem::path> output;
};
struct SpellExportArgs {
    std::filesystem::path path;
    std::optional<std::string> namespace_label;
    std::vector<tools::SpellSchool> schools;
    std::vector<std::uint32_t> categories;
    std::vector<tools::SpellExportField> fields;
    tools::SpellExportPreset preset = tools::SpellExportPreset::Base;
    std::optional<std::filesystem::path> output;
};
struct ExtractArgs {
    std::filesystem::path path;
    std::string id;
    std::optional<std::string> namespace_label;
    std::optional<std::filesystem::path> output;
};
struct WeenieArgs {
    std::filesystem::path path;
    std::string id;
    std::optional<std::string> namespace_label;
};
struct WeenieFindArgs {
    std::filesystem::path path;
    std::string wcid;
};
struct LandblockArgs {
    std::filesystem::path path;
    std::string id;
    std::optional<std::string> namespace_label;
};
struct ZraPackArgs {
    std::filesystem::path input;
    std::filesystem::path output;
    bool compress = false;
};

using Commands = std::variant<MetaArgs, ListArgs, InfoArgs, ExportArgs, SpellExportArgs, ExtractArgs, WeenieArgs,
                              WeenieFindArgs, LandblockArgs, ZraPackArgs>;

struct Cli {
    Commands command;
};

// What the parser decided instead of a command: help, version or a usage
// error, with the texts for each stream and the exit status.
struct ParseExit {
    int status = 0;
    std::string out;
    std::string err;
};

std::expected<Cli, ParseExit> parse_command_line(int argc, const char* const* argv);

}  // namespace app
