// Every container command on damaged copies of the samples and of builder
// outputs: the run ends with status 0, or status 1 and an "Error: " report;
// never a signal, a sanitizer report, a hang or an allocation the file
// cannot back (the child runs with a capped allocation size).
//
// Each input is written to a file before the runs; a failing input stays
// there as a reproducer and the failure names its path.
//
// Adding a container: one line in subjects() with its bytes, its damage
// (dat_damage for DAT files, edge_damage for anything else) and the
// commands to run on it; adding a command: one line in a command list.

#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "damage.hpp"
#include "support/dat_builder.hpp"
#include "support/lrs_compressor.hpp"
#include "support/process.hpp"
#include "support/record_builders.hpp"
#include "support/records.hpp"
#include "support/temp_dir.hpp"

namespace {

namespace fs = std::filesystem;

// One run of the tool: its arguments ("{path}" and "{out}" are filled in)
// and the files it reads beyond the directory. Damage confined to one
// file's entry or chain runs list (which shows every entry) and the
// commands that read that file.
struct Command {
    std::vector<std::string> args;
    std::vector<std::uint32_t> reads;
};

// Commands on ids that exist in the portal sample (and in an archive made
// from it). meta comes first: when it fails, the file does not open, and
// every other command would stop at the same open.
const std::vector<Command> kPortalCommands = {
    {{"meta", "{path}"}, {}},
    {{"list", "{path}"}, {}},
    {{"info", "{path}", "0x06000001"}, {}},
    {{"export", "{path}", "0x31000001", "-o", "{out}"}, {0x31000001}},   // LRS-compressed
    {{"extract", "{path}", "0x06000001", "-o", "{out}"}, {0x06000001}},  // JPEG texture
    {{"extract", "{path}", "0x0A000001", "-o", "{out}"}, {0x0A000001}},  // sound
    {{"weenie", "{path}", "0x0E000101"}, {0x0E000101}},
    {{"weenie-find", "{path}", "500"}, {0x0E000003, 0x0E000004}},  // the weenie tables
    {{"spell-export", "{path}", "-o", "{out}"}, {0x0E00000E}},
};

const std::vector<Command> kCellCommands = {
    {{"meta", "{path}"}, {}},
    {{"list", "{path}"}, {}},
    {{"info", "{path}", "0xA9B4FFFF"}, {}},
    {{"export", "{path}", "0xA9B40100", "-o", "{out}"}, {0xA9B40100}},  // LRS-compressed
    {{"extract", "{path}", "0xA9B40101", "-o", "{out}"}, {0xA9B40101}},
    {{"landblock", "{path}", "0xA9B40000"}, {0xA9B4FFFF, 0xA9B4FFFE}},
    {{"landblock", "{path}", "0x7D64FFFF"}, {0x7D64FFFF, 0x7D64FFFE}},
};

const std::vector<Command> kBuiltCommands = {
    {{"meta", "{path}"}, {}},
    {{"list", "{path}"}, {}},
    {{"info", "{path}", "0x01000005"}, {}},
    {{"export", "{path}", "0x01000001", "-o", "{out}"}, {0x01000001}},  // LRS-compressed
    {{"export", "{path}", "0x01000007", "-o", "{out}"}, {0x01000007}},  // several blocks
    {{"extract", "{path}", "0x01000006", "-o", "{out}"}, {0x01000006}},
    {{"weenie", "{path}", "0x0E000101"}, {0x0E000101}},
    {{"weenie-find", "{path}", "7"}, {0x0E000101}},
};

using Damager = std::function<std::vector<damage::DamagedInput>(const dat::Bytes&)>;

struct Subject {
    std::string name;  // a file name: its extension picks the container kind
    std::function<dat::Bytes()> bytes;
    Damager damage;
    std::vector<Command> commands;
};

// Names the subject in test listings instead of dumping its bytes.
void PrintTo(const Subject& subject, std::ostream* out) { *out << subject.name; }

std::function<dat::Bytes()> sample(const std::string& file_name) {
    return [file_name] { return support::read_bytes(fs::path(DAT_TOOL_SOURCE_DIR) / "samples" / file_name); };
}

// A directory of several levels (two entries per node), LRS entries and
// files of several blocks, in the given block layout.
std::function<dat::Bytes()> built_tree(support::BlockLayout layout) {
    return [layout] {
        support::DatBuilder builder(1024, 1);
        builder.set_node_capacity(2).set_layout(layout);
        for (std::uint32_t i = 1; i <= 7; ++i) {
            support::FileOptions options;
            options.lrs = i % 4 == 1;
            auto data = i % 4 == 1 ? support::compress_lrs(support::repetitive_bytes(700 * i, i))
                                   : support::pattern_bytes(i == 7 ? 2500 : 150 * i, static_cast<std::uint16_t>(i));
            builder.add_file(0x01000000 + i, std::move(data), options);
        }
        builder.add_file(0x0E000101, support::weenie_bytes(support::WeenieRecord::named(7, 1, "Felt Hat", 0x06000001)));
        return builder.build();
    };
}

std::vector<Subject> subjects() {
    return {
        {"portal.dat", sample("portal.dat"), damage::dat_damage, kPortalCommands},
        {"cell.dat", sample("cell.dat"), damage::dat_damage, kCellCommands},
        {"portal.zra", sample("portal.zra"), damage::edge_damage, kPortalCommands},
        {"scattered.dat", built_tree(support::BlockLayout::Scattered), damage::dat_damage, kBuiltCommands},
    };
}

// Sanitizer settings for the child: an allocation above 512 MiB or a
// resident size above 1 GiB aborts it, and every sanitizer report ends it
// with a status no command uses.
support::RunOptions child_options(const fs::path& cwd) {
    support::RunOptions options;
    options.cwd = cwd;
    options.timeout_seconds = 20;
    options.env = {
        "ASAN_OPTIONS=allocator_may_return_null=0:max_allocation_size_mb=512:hard_rss_limit_mb=1024:exitcode=86",
        "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:exitcode=87",
    };
    return options;
}

std::vector<std::string> fill_in(const Command& command, const fs::path& input, const fs::path& out) {
    std::vector<std::string> args;
    for (const auto& arg : command.args) args.push_back(arg == "{path}" ? input.string() : arg == "{out}" ? out.string() : arg);
    return args;
}

// The fault in one run, or an empty text when it ended as it must.
std::string fault_of(const support::RunResult& result) {
    if (result.signal != 0) return fmt::format("ended by signal {}", result.signal);
    if (result.err.find("[timed out]") != std::string::npos) return "did not finish in time";
    if (result.status != 0 && result.status != 1) return fmt::format("exit status {}", result.status);
    if (result.status == 1 && !result.err.starts_with("Error: ")) return "status 1 without an \"Error: \" report";
    if (result.status == 0 && !result.err.empty()) return "status 0 with a report on standard error";
    return {};
}

class DamagedInputTest : public ::testing::TestWithParam<Subject> {
protected:
    support::TempDir work;

    // Runs the commands on `bytes` (those that can see damage to `file`
    // only, when set); returns false (after reporting) when one of them
    // misbehaved, keeping the input as `label` for replay.
    bool survives(const std::string& label, const dat::Bytes& bytes, const std::vector<Command>& commands,
                  std::optional<std::uint32_t> file = std::nullopt) {
        const fs::path input = work / ("input" + fs::path(GetParam().name).extension().string());
        support::write_bytes(input, bytes);
        for (const auto& command : commands) {
            if (file && command.args.front() != "list" && std::ranges::find(command.reads, *file) == command.reads.end()) {
                continue;
            }
            const auto result = support::run_tool(fill_in(command, input, work / "out.bin"), child_options(work.path()));
            if (const std::string fault = fault_of(result); !fault.empty()) {
                const fs::path kept = keep_reproducer(label, input);
                ADD_FAILURE() << GetParam().name << " damaged by " << label << ": dat-tool " << command.args.front()
                              << " " << fault << "\nreproducer: " << kept << "\n"
                              << result.err.substr(0, 4000);
                return false;
            }
            if (command.args.front() == "meta" && result.status == 1) break;
        }
        return true;
    }

    static fs::path keep_reproducer(const std::string& label, const fs::path& input) {
        const fs::path dir = fs::temp_directory_path() / "dat-tool-damaged-inputs";
        fs::create_directories(dir);
        const fs::path kept = dir / (GetParam().name + "." + label + input.extension().string());
        fs::copy_file(input, kept, fs::copy_options::overwrite_existing);
        return kept;
    }
};

TEST_P(DamagedInputTest, SystematicDamageEndsInAResultOrAnError) {
    const Subject& subject = GetParam();
    const dat::Bytes original = subject.bytes();
    ASSERT_TRUE(survives("undamaged", original, subject.commands));
    const auto inputs = subject.damage(original);
    ASSERT_FALSE(inputs.empty());
    RecordProperty("inputs", static_cast<int>(inputs.size()));
    int failures = 0;
    for (const auto& input : inputs) {
        if (!survives(input.label, input.bytes, subject.commands, input.file) && ++failures >= 5) break;
    }
}

// Random damage to about 1% of the bytes after the unread prefix, from
// fixed seeds; each input runs meta and two other commands in turn.
TEST_P(DamagedInputTest, SeededRandomDamageEndsInAResultOrAnError) {
    constexpr int kRounds = 25;
    const Subject& subject = GetParam();
    const dat::Bytes original = subject.bytes();
    const std::size_t first_byte = subject.name.ends_with(".dat") ? 0x140 : 0;
    const auto& commands = subject.commands;
    int failures = 0;
    for (int round = 0; round < kRounds; ++round) {
        const auto seed = static_cast<std::uint32_t>(0x5EED0000 + round);
        const auto bytes = damage::mutate(original, seed, 0.01, first_byte);
        const std::vector<Command> chosen = {commands[0], commands[2 + round % (commands.size() - 2)],
                                             commands[2 + (round + 3) % (commands.size() - 2)]};
        if (!survives(fmt::format("seed-{:08X}", seed), bytes, chosen) && ++failures >= 5) break;
    }
}

INSTANTIATE_TEST_SUITE_P(Containers, DamagedInputTest, ::testing::ValuesIn(subjects()),
                         [](const ::testing::TestParamInfo<Subject>& info) {
                             std::string name = info.param.name;
                             for (auto& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

}  // namespace
