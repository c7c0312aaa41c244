#include "commands/commands.hpp"
#include "dat/file_type.hpp"
#include "output.hpp"
#include "provider.hpp"

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
        case ProviderKind::Zra:
            // ARCHIVE-MERGE: version, index offset, metadata size, then the
            // per-namespace counts from read_entry_at over the whole index.
            return std::unexpected(archives_not_supported());
    }
    return {};
}

}  // namespace app
