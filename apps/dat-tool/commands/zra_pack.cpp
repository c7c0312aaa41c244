#include "commands/commands.hpp"

namespace app {

CommandResult run_zra_pack(const ZraPackArgs&) {
    return std::unexpected(Failure::message("the zra-pack command is not built yet"));
}

}  // namespace app
