#include "commands/commands.hpp"

namespace app {

CommandResult run_list(const ListArgs&) {
    return std::unexpected(Failure::message("the list command is not built yet"));
}

CommandResult run_info(const InfoArgs&) {
    return std::unexpected(Failure::message("the info command is not built yet"));
}

}  // namespace app
