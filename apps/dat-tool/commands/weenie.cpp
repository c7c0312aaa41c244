#include "commands/commands.hpp"

namespace app {

CommandResult run_weenie(const WeenieArgs&) {
    return std::unexpected(Failure::message("the weenie command is not built yet"));
}

CommandResult run_weenie_find(const WeenieFindArgs&) {
    return std::unexpected(Failure::message("the weenie-find command is not built yet"));
}

}  // namespace app
