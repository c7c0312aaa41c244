#include <optional>
#include <string>
#include <vector>

#include "commands/command_helpers.hpp"
#include "commands/commands.hpp"
#include "commands/table_candidates.hpp"
#include "dat/records/weenie.hpp"
#include "output.hpp"
#include "provider.hpp"

namespace app {
namespace {

void print_weenie(std::uint32_t file_id, const dat::Weenie& weenie) {
    auto& out = standard_output();
    out.print("File ID:         {:08X}\n", file_id);
    out.print("Weenie Class ID: {:08X}\n", weenie.wcid);
    out.print("Weenie Type:     {}\n", weenie.weenie_type);
    if (const auto name = weenie.name()) out.print("Name:            {}\n", *name);
    if (const auto icon = weenie.icon_id()) out.print("Icon ID:         {:08X}\n", *icon);
    const auto& p = weenie.properties;
    out.print("Properties (Int):    {}\n", p.int_properties.size());
    out.print("Properties (Float):  {}\n", p.float_properties.size());
    out.print("Properties (String): {}\n", p.string_properties.size());
    out.print("Properties (DID):    {}\n", p.did_properties.size());
}

// The file decoded as one weenie record; why it failed does not matter.
std::optional<dat::Weenie> fetch_weenie(const Provider& provider, const std::optional<std::string>& namespace_label,
                                        std::uint32_t id) {
    const auto bytes = provider.get_file_in_namespace(namespace_label, id);
    if (!bytes) return std::nullopt;
    auto weenie = dat::Weenie::unpack(*bytes);
    if (!weenie) return std::nullopt;
    return std::move(*weenie);
}

std::expected<std::vector<TableCandidate>, Failure> table_candidates(const Provider& provider) {
    switch (provider.kind()) {
        case ProviderKind::Dat: return dat_table_candidates(*provider.dat());
        case ProviderKind::Zra: return archive_table_candidates(*provider.zra());
    }
    return {};
}

// Prints the hit block when the candidate is a readable table holding
// `wcid`; anything that cannot be fetched or decoded is skipped silently.
bool report_hit(const Provider& provider, const TableCandidate& candidate, std::uint32_t wcid) {
    const auto bytes = provider.get_file_in_namespace(candidate.namespace_label, candidate.file_id);
    if (!bytes) return false;
    const auto table = dat::WeenieTable::unpack(*bytes);
    if (!table) return false;
    const auto found = table->weenies.find(wcid);
    if (found == table->weenies.end()) return false;

    auto& out = standard_output();
    if (candidate.namespace_label) {
        out.print("Hit in table {}:{:08X}\n", *candidate.namespace_label, candidate.file_id);
    } else {
        out.print("Hit in table {:08X}\n", candidate.file_id);
    }
    const auto& weenie = found->second;
    out.print("  Entry WCID: {:08X}\n", weenie.wcid);
    out.print("  WeenieType: {}\n", weenie.weenie_type);
    if (const auto name = weenie.name()) out.print("  Name: {}\n", *name);
    return true;
}

}  // namespace

CommandResult run_weenie(const WeenieArgs& args) {
    auto provider = Provider::open(args.path);
    if (!provider) return std::unexpected(provider.error());
    auto id = id_argument(args.id);
    if (!id) return std::unexpected(id.error());

    // A missing or undecodable record is this one line, not an error.
    if (const auto weenie = fetch_weenie(*provider, args.namespace_label, *id)) {
        print_weenie(*id, *weenie);
    } else {
        standard_output().print("Could not decode a Weenie record from ID {:08X}.\n", *id);
    }
    return {};
}

CommandResult run_weenie_find(const WeenieFindArgs& args) {
    auto provider = Provider::open(args.path);
    if (!provider) return std::unexpected(provider.error());
    auto wcid = id_argument(args.wcid);
    if (!wcid) return std::unexpected(wcid.error());

    const auto candidates = table_candidates(*provider);
    if (!candidates) return std::unexpected(candidates.error());
    auto& out = standard_output();
    out.print("Scanning {} table files (0x0E prefix) for WCID {}...\n", candidates->size(), *wcid);
    std::size_t hits = 0;
    for (const auto& candidate : *candidates) {
        if (report_hit(*provider, candidate, *wcid)) ++hits;
    }
    if (hits == 0) out.print("No WCID {} entries found in scan-able table files (0x0E range).\n", *wcid);
    return {};
}

}  // namespace app
