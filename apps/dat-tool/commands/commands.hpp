#pragma once
// One function per subcommand. Each reads like its algorithm: open the
// container, convert the id, do the work, print.

#include "cli.hpp"
#include "report.hpp"

namespace app {

CommandResult run_meta(const MetaArgs& args);
CommandResult run_list(const ListArgs& args);
CommandResult run_info(const InfoArgs& args);
CommandResult run_export(const ExportArgs& args);
CommandResult run_extract(const ExtractArgs& args);
CommandResult run_spell_export(const SpellExportArgs& args);
CommandResult run_weenie(const WeenieArgs& args);
CommandResult run_weenie_find(const WeenieFindArgs& args);
CommandResult run_landblock(const LandblockArgs& args);
CommandResult run_zra_pack(const ZraPackArgs& args);

}  // namespace app
