#include "commands/commands.hpp"

namespace app {

CommandResult run_spell_export(const SpellExportArgs&) {
    return std::unexpected(Failure::message("the spell-export command is not built yet"));
}

}  // namespace app
