// spell-export: the spell table as a JSON document, on standard output or
// in a file.

#include <filesystem>
#include <string>

#include "commands/commands.hpp"
#include "dat/records/spell_table.hpp"
#include "directories.hpp"
#include "output.hpp"
#include "provider.hpp"
#include "quoted_path.hpp"
#include "tools/spell_export.hpp"

namespace app {
namespace {

constexpr std::uint32_t kSpellTableFileId = 0x0E00000E;

tools::SpellExportRequest request_from(const SpellExportArgs& args) {
    return {args.schools, args.categories, args.fields, args.preset};
}

// Writes the document to `output`, creating the directories it needs first.
CommandResult write_document(const std::filesystem::path& output, const std::string& text) {
    if (const auto parent = parent_directory(output)) {
        if (auto made = create_missing_directories(*parent); !made) {
            return std::unexpected(Failure(made.error()).with_context("could not create " + display_path(*parent)));
        }
    }
    if (auto written = write_file(output, text); !written) {
        return std::unexpected(Failure(written.error()).with_context("could not write " + display_path(output)));
    }
    return {};
}

}  // namespace

CommandResult run_spell_export(const SpellExportArgs& args) {
    auto provider = Provider::open(args.path);
    if (!provider) return std::unexpected(std::move(provider.error()));

    std::optional<std::string_view> namespace_label;
    if (args.namespace_label) namespace_label = *args.namespace_label;
    const auto bytes = provider->get_file_in_namespace(namespace_label, kSpellTableFileId);
    if (!bytes) return std::unexpected(Failure(bytes.error()));

    // A table that does not decode is reported as the record error itself.
    const auto table = dat::read_spell_table(*bytes);
    if (!table) return std::unexpected(Failure(table.error()));

    const auto document = tools::export_spell_table(*table, request_from(args));
    auto text = tools::to_pretty_json(document);
    if (!text) {
        return std::unexpected(Failure::message(text.error().message).with_context("could not serialize spell export"));
    }
    text->push_back('\n');

    if (!args.output) {
        standard_output().write(*text);
        return {};
    }
    if (auto written = write_document(*args.output, *text); !written) return written;
    standard_output().print("wrote {} spells with {} fields to {}\n", document.spells.size(), document.fields.size(),
                            display_path(*args.output));
    return {};
}

}  // namespace app
