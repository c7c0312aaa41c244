#include "commands/commands.hpp"

namespace app {

CommandResult run_landblock(const LandblockArgs&) {
    return std::unexpected(Failure::message("the landblock command is not built yet"));
}

}  // namespace app
