#include "commands/command_helpers.hpp"
#include "commands/commands.hpp"
#include "dat/file_type.hpp"
#include "listing.hpp"
#include "output.hpp"
#include "provider.hpp"
#include "zra_labels.hpp"

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

// Index order: ascending namespace bytes, then file id. Lines printed before
// a failing record stay printed.
CommandResult list_zra(const dat::ZraReader& reader) {
    std::string chunk;
    chunk.reserve(kListChunk + 256);
    EntryNamespaceLabel namespaces;
    TypeLabels types;
    dat::ZraIndexWalker walker(reader);
    CommandResult result;
    for (;;) {
        auto entry = walker.next();
        if (!entry) {
            result = std::unexpected(Failure(entry.error()));
            break;
        }
        if (!*entry) break;
        auto label = namespaces.of(**entry);
        if (!label) {
            result = std::unexpected(Failure(label.error()));
            break;
        }
        append_zra_list_line(chunk, *label, **entry, types.of((*entry)->type_id));
        if (chunk.size() >= kListChunk) {
            standard_output().write(chunk);
            chunk.clear();
        }
    }
    standard_output().write(chunk);
    return result;
}

// Describes the entry without reading its data, so a damaged entry can
// still be looked at.
CommandResult info_zra(const Provider& provider, const InfoArgs& args, std::uint32_t id) {
    auto found = provider.get_zra_entry(args.namespace_label, id);
    if (!found) return std::unexpected(Failure(found.error()));
    if (!*found) return std::unexpected(Failure::message("ZRA provider should return an entry or an error"));
    const dat::ZraEntry& entry = **found;
    auto ns = entry.namespace_id();
    if (!ns) return std::unexpected(Failure(ns.error()));
    auto& out = standard_output();
    out.print("Namespace: {}\n", ns->as_str());
    out.print("File ID:   {:08X}\n", entry.file_id);
    out.print("Type:      {}\n", dat::format_type_label(entry.type_id));
    out.print("Size:      {}\n", entry.size);
    out.print("Offset:    {:08X}\n", entry.offset);
    out.print("Flags:     {:02X}\n", entry.flags);
    out.print("Pruned:    {}\n", entry.pruned());
    out.print("Compressed:{}\n", entry.compressed());
    return {};
}

}  // namespace

CommandResult run_list(const ListArgs& args) {
    auto provider = Provider::open(args.path);
    if (!provider) return std::unexpected(provider.error());
    switch (provider->kind()) {
        case ProviderKind::Dat: return list_dat(*provider->dat());
        case ProviderKind::Zra: return list_zra(*provider->zra());
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
        case ProviderKind::Zra: return info_zra(*provider, args, *id);
    }
    return {};
}

}  // namespace app
