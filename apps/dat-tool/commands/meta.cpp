#include <map>

#include "commands/commands.hpp"
#include "dat/file_type.hpp"
#include "output.hpp"
#include "provider.hpp"
#include "zra_labels.hpp"

namespace app {
namespace {

std::string_view namespace_of(dat::DatasetKind kind) {
    switch (kind) {
        case dat::DatasetKind::Portal: return "eor/portal";
        case dat::DatasetKind::Cell: return "eor/cell";
        case dat::DatasetKind::OtherRetail:
        case dat::DatasetKind::Unrecognized: break;
    }
    return "<unknown retail dataset>";
}

CommandResult print_dat_meta(const dat::DatDatabase& database) {
    const auto& header = database.header();
    auto& out = standard_output();
    out.print("Magic:       0x{:08X}\n", header.magic);
    out.print("Block Size:  {}\n", header.block_size);
    out.print("Dataset:     {}\n", header.dataset);
    out.print("Namespace:   {}\n", namespace_of(dat::dataset_kind_from_header(header)));
    return {};
}

// Counts entries per namespace from the index records themselves, not from
// the namespace block.
CommandResult print_zra_meta(const dat::ZraReader& reader) {
    const auto& header = reader.header();
    auto& out = standard_output();
    out.print("Version:     {}\n", header.version);
    out.print("Index Offs:  0x{:08X}\n", header.index_offset);
    out.print("Meta Size:   {}\n", header.metadata_size);

    std::map<std::string, std::uint64_t, std::less<>> counts;  // ascending bytewise
    EntryNamespaceLabel labels;
    std::string run_label;  // a copy: the label view changes with the next namespace
    std::uint64_t run_length = 0;
    const auto close_run = [&] {
        if (run_length == 0) return;
        auto it = counts.find(run_label);
        if (it == counts.end()) it = counts.emplace(std::string(run_label), 0).first;
        it->second += run_length;
        run_length = 0;
    };
    dat::ZraIndexWalker walker(reader);
    for (;;) {
        auto entry = walker.next();
        if (!entry) return std::unexpected(Failure(entry.error()));
        if (!*entry) break;
        auto label = labels.of(**entry);
        if (!label) return std::unexpected(Failure(label.error()));
        if (*label != run_label) {
            close_run();
            run_label.assign(*label);
        }
        ++run_length;
    }
    close_run();

    out.print("Namespaces:  {}\n", counts.size());
    for (const auto& [label, count] : counts) out.print("  {} -> {} entries\n", label, count);
    return {};
}

}  // namespace

CommandResult run_meta(const MetaArgs& args) {
    auto provider = Provider::open(args.path);
    if (!provider) return std::unexpected(provider.error());
    auto& out = standard_output();
    out.print("Loaded {} provider with {} files.\n", provider->kind_label(), provider->file_count());
    out.print("--- Meta Information ---\n");
    out.print("Provider:    {}\n", provider->kind_label());
    out.print("File Count:  {}\n", provider->file_count());
    switch (provider->kind()) {
        case ProviderKind::Dat: return print_dat_meta(*provider->dat());
        case ProviderKind::Zra: return print_zra_meta(*provider->zra());
    }
    return {};
}

}  // namespace app
