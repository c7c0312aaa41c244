#include "commands/commands.hpp"

namespace app {

CommandResult run_export(const ExportArgs&) {
    return std::unexpected(Failure::message("the export command is not built yet"));
}

CommandResult run_extract(const ExtractArgs&) {
    return std::unexpected(Failure::message("the extract command is not built yet"));
}

}  // namespace app
