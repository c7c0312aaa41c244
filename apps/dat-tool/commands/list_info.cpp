#include "commands/command_helpers.hpp"
#include "commands/commands.hpp"
#include "dat/file_type.hpp"
#include "listing.hpp"
#include "output.hpp"
#include "provider.hpp"

namespace app {
namespace {

// Lines are collected in a chunk of this size before they go to the output.
constexpr std::size_t kListChunk = 64 * 1024;

CommandResult list_dat(const dat::DatDatabase& database) {
    const auto kind = dat::dataset_kind_from_header(database.header());
    std::string chunk;
    chunk.reserve(kListChunk + 256);
    // The directory is held sorted by id: this is ascending id order.
    for (const auto& entry : database.files()) {
        append_dat_list_line(chunk, entry, dat::label(entry.file_type_in_dat(kind)));
        if (chunk.size() >= kListChunk) {
            standard_output().write(chunk);
            chunk.clear();
        }
    }
    standard_output().write(chunk);
    return {};
}

CommandResult info_dat(const dat::DatDatabase& database, std::uint32_t id) {
    auto& out = standard_output();
    const dat::DatFileEntry* entry = database.files().find(id);
    if (!entry) {
        out.print("File ID {:08X} not found.\n", id);
        return {};
    }
    const auto kind = dat::dataset_kind_from_header(database.header());
    out.print("File ID: {:08X}\n", entry->id);
    out.print("Type:    {}\n", entry->file_type_in_dat(kind));
    out.print("Size:    {}\n", entry->size);
    out.print("Offset:  {:08X}\n", entry->offset);
    out.print("Flags:   {:08X}\n", entry->bit_flags);
    return {};
}

}  // namespace

CommandResult run_list(const ListArgs& args) {
    auto provider = Provider::open(args.path);
    if (!provider) return std::unexpected(provider.error());
    switch (provider->kind()) {
        case ProviderKind::Dat: return list_dat(*provider->dat());
        case ProviderKind::Zra:
            // ARCHIVE-MERGE: one line per index record, in index order.
            return std::unexpected(archives_not_supported());
    }
    return {};
}

CommandResult run_info(const InfoArgs& args) {
    auto provider = Provider::open(args.path);
    if (!provider) return std::unexpected(provider.error());
    auto id = id_argument(args.id);
    if (!id) return std::unexpected(id.error());
    switch (provider->kind()) {
        case ProviderKind::Dat: return info_dat(*provider->dat(), *id);  // the namespace is not used
        case ProviderKind::Zra:
            // ARCHIVE-MERGE: get_zra_entry(args.namespace_label, *id), then the
            // archive's eight lines.
            return std::unexpected(archives_not_supported());
    }
    return {};
}

}  // namespace app
