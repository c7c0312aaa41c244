// dat-tool: parse the command line, run one command, report.

#include <unistd.h>

#include <variant>

#include "cli.hpp"
#include "common/overloaded.hpp"
#include "commands/commands.hpp"
#include "output.hpp"
#include "report.hpp"

namespace {

app::CommandResult run(const app::Commands& command) {
    return std::visit(common::overloaded{
                          [](const app::MetaArgs& a) { return app::run_meta(a); },
                          [](const app::ListArgs& a) { return app::run_list(a); },
                          [](const app::InfoArgs& a) { return app::run_info(a); },
                          [](const app::ExportArgs& a) { return app::run_export(a); },
                          [](const app::SpellExportArgs& a) { return app::run_spell_export(a); },
                          [](const app::ExtractArgs& a) { return app::run_extract(a); },
                          [](const app::WeenieArgs& a) { return app::run_weenie(a); },
                          [](const app::WeenieFindArgs& a) { return app::run_weenie_find(a); },
                          [](const app::LandblockArgs& a) { return app::run_landblock(a); },
                          [](const app::ZraPackArgs& a) { return app::run_zra_pack(a); },
                      },
                      command);
}

void write_stderr(std::string_view text) {
    (void)app::write_all(STDERR_FILENO, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

// Flushes standard output; a failed write is the run's error if nothing
// else failed first.
int finish(app::CommandResult result) {
    auto flushed = app::standard_output().flush();
    if (result && !flushed) {
        result = std::unexpected(app::Failure(flushed.error()).with_context("could not write to standard output"));
    }
    if (!result) {
        write_stderr(app::render_report(result.error()));
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    auto cli = app::parse_command_line(argc, argv);
    if (!cli) {
        app::standard_output().write(cli.error().out);
        write_stderr(cli.error().err);
        const int status = finish({});
        return status != 0 ? status : cli.error().status;
    }
    return finish(run(cli->command));
}
