#include "commands/commands.hpp"

namespace app {

CommandResult run_meta(const MetaArgs&) {
    return std::unexpected(Failure::message("the meta command is not built yet"));
}

}  // namespace app
