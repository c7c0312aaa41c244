#include "cli.hpp"

#include <algorithm>
#include <array>
#include <functional>
#include <memory>

#include <CLI/CLI.hpp>

#include "common/utf8.hpp"

namespace app {
namespace {

constexpr const char* kProgram = "dat-tool";
constexpr const char* kVersion = "ostrevan-tools 0.1.0";
constexpr const char* kPathHelp = "Path to the DAT or ZRA file";
constexpr const char* kNamespaceHelp = "Namespace label for multi-namespace ZRA archives";

// Exposes the usage line that CLI11 builds for its help pages.
class Formatter : public CLI::Formatter {
public:
    std::string usage(const CLI::App* app, const std::string& name) const { return make_usage(app, name); }
};

// The raw values CLI11 fills in for one subcommand.
struct RawArgs {
    std::string path, id, namespace_label, output, input;
    std::vector<std::string> schools, categories, fields;
    std::string preset = "base";
    bool compress = false;
    std::string help_topic;
    CLI::Option* namespace_option = nullptr;
    CLI::Option* output_option = nullptr;
};

const CLI::Validator& non_empty_path() {
    static const CLI::Validator v(
        [](std::string& value) { return value.empty() ? std::string("a non-empty path is required") : std::string(); },
        "", "NONEMPTY");
    return v;
}

const CLI::Validator& utf8_text() {
    static const CLI::Validator v(
        [](std::string& value) {
            return common::is_valid_utf8(value) ? std::string() : std::string("invalid UTF-8 was detected");
        },
        "", "UTF8");
    return v;
}

bool is_decimal_u32(const std::string& value) {
    std::string_view digits = value;
    if (digits.starts_with('+')) digits.remove_prefix(1);
    if (digits.empty()) return false;
    std::uint64_t n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + static_cast<unsigned>(c - '0');
        if (n > UINT32_MAX) return false;
    }
    return true;
}

template <std::size_t N>
std::string values_listing(const std::array<std::string_view, N>& names) {
    std::string listing;
    for (auto name : names) listing += (listing.empty() ? ":{" : ",") + std::string(name);
    return listing + "}";
}

template <std::size_t N>
CLI::IsMember one_of(const std::array<std::string_view, N>& names) {
    std::vector<std::string> values(names.begin(), names.end());
    return CLI::IsMember(values);
}

void add_path(CLI::App* sub, RawArgs& raw) {
    sub->add_option("PATH", raw.path, kPathHelp)->required()->type_name("")->check(non_empty_path());
}

void add_id(CLI::App* sub, RawArgs& raw, const char* name) {
    sub->add_option(name, raw.id)->required()->type_name("")->check(utf8_text());
}

void add_namespace(CLI::App* sub, RawArgs& raw) {
    raw.namespace_option = sub->add_option("--namespace", raw.namespace_label, kNamespaceHelp)
                               ->type_name("NAMESPACE")
                               ->check(utf8_text())
                               ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
}

void add_output(CLI::App* sub, RawArgs& raw, const char* help) {
    raw.output_option = sub->add_option("-o,--output", raw.output, help)
                            ->type_name("OUT")
                            ->check(non_empty_path())
                            ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
}

std::vector<std::string> split_commas(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) return parts;
        start = comma + 1;
    }
}

// Every comma-separated piece of an occurrence must pass `accepts`.
CLI::Validator each_piece(std::function<bool(const std::string&)> accepts, std::string what) {
    return CLI::Validator(
        [accepts = std::move(accepts), what = std::move(what)](std::string& value) {
            for (const auto& piece : split_commas(value)) {
                if (!accepts(piece)) return "'" + piece + "' is not " + what;
            }
            return std::string();
        },
        "", "LIST");
}

template <std::size_t N>
CLI::Validator each_one_of(const std::array<std::string_view, N>& names) {
    std::string listing;
    for (auto name : names) listing += (listing.empty() ? "" : ", ") + std::string(name);
    return each_piece(
        [&names](const std::string& piece) {
            return std::find(names.begin(), names.end(), piece) != names.end();
        },
        "one of: " + listing);
}

// A list option: any number of occurrences, each one value that may hold
// several comma-separated items; all items are kept in order.
CLI::Option* add_list(CLI::App* sub, const char* name, std::vector<std::string>& values, const char* value_name,
                      const char* help, CLI::Validator check, std::string accepted) {
    return sub->add_option(name, values, help)
        ->type_name(std::string(value_name) + accepted)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->check(std::move(check));
}

// A lone "-" is a value (a path or an id), not an option.
bool looks_like_option(std::string_view arg) { return arg.size() > 1 && arg.starts_with('-'); }

enum class Sub { Meta, List, Info, Export, SpellExport, Extract, Weenie, WeenieFind, Landblock, ZraPack, Help, Count };

struct Declaration {
    CLI::App app{"", kProgram};
    std::array<CLI::App*, static_cast<std::size_t>(Sub::Count)> subs{};
    std::array<RawArgs, static_cast<std::size_t>(Sub::Count)> raw{};
    std::shared_ptr<Formatter> formatter = std::make_shared<Formatter>();

    CLI::App* add(Sub which, const char* name, const char* about) {
        auto* sub = app.add_subcommand(name, about);
        subs[static_cast<std::size_t>(which)] = sub;
        return sub;
    }
    RawArgs& args(Sub which) { return raw[static_cast<std::size_t>(which)]; }

    Declaration() {
        app.formatter(formatter);
        app.set_version_flag("-V,--version", kVersion);
        app.require_subcommand(1);

        add_path(add(Sub::Meta, "meta", "List meta info about the ZRA/DAT file itself"), args(Sub::Meta));
        add_path(add(Sub::List, "list", "List all files in the DAT"), args(Sub::List));

        auto* info = add(Sub::Info, "info", "Get info about a specific file ID");
        add_path(info, args(Sub::Info));
        add_id(info, args(Sub::Info), "ID");
        add_namespace(info, args(Sub::Info));

        auto* exp = add(Sub::Export, "export", "Export a file to disk");
        add_path(exp, args(Sub::Export));
        add_id(exp, args(Sub::Export), "ID");
        add_namespace(exp, args(Sub::Export));
        add_output(exp, args(Sub::Export), "");

        auto* spells = add(Sub::SpellExport, "spell-export", "Export the spell table to JSON");
        auto& sr = args(Sub::SpellExport);
        add_path(spells, sr);
        add_namespace(spells, sr);
        add_list(spells, "--schools", sr.schools, "SCHOOLS", "Spell schools to include in the export",
                 each_one_of(tools::kSpellSchoolNames), values_listing(tools::kSpellSchoolNames));
        add_list(spells, "--categories", sr.categories, "CATEGORIES", "Spell category IDs to include in the export",
                 each_piece(is_decimal_u32, "a decimal number from 0 to 4294967295"), "");
        add_list(spells, "--fields", sr.fields, "FIELDS", "Spell fields to include in the export",
                 each_one_of(tools::kSpellExportFieldNames), values_listing(tools::kSpellExportFieldNames));
        spells->add_option("--preset", sr.preset, "Field preset to use when no explicit fields are provided")
            ->type_name("PRESET")
            ->check(one_of(tools::kSpellExportPresetNames))
            ->default_val("base")
            ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
        add_output(spells, sr, "Output JSON file; prints to stdout when omitted");

        auto* extract = add(Sub::Extract, "extract", "Extract a file to its native format if possible");
        add_path(extract, args(Sub::Extract));
        add_id(extract, args(Sub::Extract), "ID");
        add_namespace(extract, args(Sub::Extract));
        add_output(extract, args(Sub::Extract), "");

        auto* weenie = add(Sub::Weenie, "weenie", "Inspect a Weenie template");
        add_path(weenie, args(Sub::Weenie));
        add_id(weenie, args(Sub::Weenie), "ID");
        add_namespace(weenie, args(Sub::Weenie));

        auto* find = add(Sub::WeenieFind, "weenie-find", "Scan table records for a WCID-based Weenie entry");
        add_path(find, args(Sub::WeenieFind));
        add_id(find, args(Sub::WeenieFind), "WCID");

        auto* landblock = add(Sub::Landblock, "landblock", "Inspect a Landblock");
        add_path(landblock, args(Sub::Landblock));
        add_id(landblock, args(Sub::Landblock), "ID");
        add_namespace(landblock, args(Sub::Landblock));

        auto* pack = add(Sub::ZraPack, "zra-pack", "Pack a directory into an ZRA archive");
        auto& pr = args(Sub::ZraPack);
        pack->add_option("INPUT", pr.input, "Input directory containing files named [ID].[TYPE] (hex)")
            ->required()
            ->type_name("")
            ->check(non_empty_path());
        pack->add_option("OUTPUT", pr.output, "Output ZRA file")->required()->type_name("")->check(non_empty_path());
        pack->add_flag("-c,--compress", pr.compress, "Enable compression");

        auto* help = add(Sub::Help, "help", "Print this message or the help of the given subcommand(s)");
        help->add_option("COMMAND", args(Sub::Help).help_topic)->type_name("");
    }

    // The subcommand named on the command line, if parsing got that far.
    std::optional<Sub> chosen() const {
        for (std::size_t i = 0; i < subs.size(); ++i) {
            if (subs[i] != nullptr && subs[i]->parsed()) return static_cast<Sub>(i);
        }
        return std::nullopt;
    }

    const CLI::App* find_sub(std::string_view name) const {
        for (const auto* sub : subs) {
            if (sub->get_name() == name) return sub;
        }
        return nullptr;
    }

    // "help [COMMAND]" and an unknown subcommand name are answered before
    // CLI11 sees the arguments.
    std::optional<ParseExit> help_or_unknown(int argc, const char* const* argv) const {
        const std::string_view first = argv[1];
        if (first.starts_with('-')) return std::nullopt;
        if (first == "help") {
            if (argc == 2) return ParseExit{0, app.help(), ""};
            if (std::string_view(argv[2]) == "-h" || std::string_view(argv[2]) == "--help") {
                return ParseExit{0, help_of(find_sub("help")), ""};
            }
            if (argc > 3) return usage_error(std::string("unexpected argument '") + argv[3] + "'", find_sub("help"));
            if (const auto* sub = find_sub(argv[2]); sub != nullptr && sub->get_name() != "help") {
                return ParseExit{0, help_of(sub), ""};
            }
            if (std::string_view(argv[2]) == "help") return ParseExit{0, help_of(find_sub("help")), ""};
            return usage_error(std::string("unrecognized subcommand '") + argv[2] + "'", &app);
        }
        if (find_sub(first) == nullptr) return usage_error("unrecognized subcommand '" + std::string(first) + "'", &app);
        return std::nullopt;
    }

    // CLI11 answers -h and -V wherever they stand and looks at unknown
    // options and surplus values only afterwards. Reading left to right
    // instead, the first argument that decides the outcome does: help before
    // an unknown option shows help, an unknown option or a surplus value
    // before help is a usage error, and -h before the subcommand name asks for
    // the program's own help.
    std::optional<ParseExit> scan_in_order(const std::vector<std::string>& args) const {
        const CLI::App* level = &app;
        std::size_t positionals = 0;
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& arg = args[i];
            if (arg == "--") return std::nullopt;
            if (arg == "-h" || arg == "--help") return ParseExit{0, help_of(level), ""};
            if (level == &app) {
                if (arg == "-V" || arg == "--version") return ParseExit{0, std::string(kVersion) + "\n", ""};
                if (arg.starts_with("--version=")) {
                    return usage_error("unexpected value '" + arg.substr(10) + "' for '--version' found", &app);
                }
                if (looks_like_option(arg)) return usage_error("unexpected argument '" + arg + "' found", &app);
                level = find_sub(arg);
                if (level == nullptr) return std::nullopt;
                continue;
            }
            if (!looks_like_option(arg)) {
                if (++positionals > positional_count(level)) {
                    return usage_error("unexpected argument '" + arg + "' found", level);
                }
                continue;
            }
            const bool is_long = arg.starts_with("--");
            const CLI::Option* option = level->get_option_no_throw(is_long ? arg.substr(0, arg.find('=')) : arg.substr(0, 2));
            if (option == nullptr) return usage_error("unexpected argument '" + arg + "' found", level);
            const bool value_attached = is_long ? arg.find('=') != std::string::npos : arg.size() > 2;
            if (option->get_expected_min() > 0 && !value_attached) ++i;  // its value, whatever it looks like
        }
        return std::nullopt;
    }

    static std::size_t positional_count(const CLI::App* sub) {
        const auto positionals = sub->get_options([](const CLI::Option* o) { return o->get_positional(); });
        return positionals.size();
    }

    std::string help_of(const CLI::App* sub) const { return sub == &app ? app.help() : sub->help(kProgram); }

    ParseExit usage_error(const std::string& message, const CLI::App* context) const {
        const std::string name = context == &app ? kProgram : std::string(kProgram) + " " + context->get_name();
        return {2, "",
                "error: " + message + "\n\n" + formatter->usage(context, name) +
                    "\nFor more information, try '--help'.\n"};
    }
};

std::optional<std::string> optional_value(const CLI::Option* option, const std::string& value) {
    if (option == nullptr || option->count() == 0) return std::nullopt;
    return value;
}

std::optional<std::filesystem::path> optional_path(const CLI::Option* option, const std::string& value) {
    if (option == nullptr || option->count() == 0) return std::nullopt;
    return std::filesystem::path(value);
}

std::vector<std::string> all_pieces(const std::vector<std::string>& occurrences) {
    std::vector<std::string> pieces;
    for (const auto& occurrence : occurrences) {
        for (auto& piece : split_commas(occurrence)) pieces.push_back(std::move(piece));
    }
    return pieces;
}

template <class Enum, std::size_t N>
std::vector<Enum> enums_from(const std::array<std::string_view, N>& names, const std::vector<std::string>& values) {
    std::vector<Enum> out;
    for (const auto& value : all_pieces(values)) out.push_back(*tools::enum_from_name<Enum>(names, value));
    return out;
}

Commands build_command(Sub which, const RawArgs& r) {
    const auto ns = optional_value(r.namespace_option, r.namespace_label);
    const auto out = optional_path(r.output_option, r.output);
    switch (which) {
        case Sub::Meta: return MetaArgs{r.path};
        case Sub::List: return ListArgs{r.path};
        case Sub::Info: return InfoArgs{r.path, r.id, ns};
        case Sub::Export: return ExportArgs{r.path, r.id, ns, out};
        case Sub::SpellExport: {
            SpellExportArgs args{r.path, ns, {}, {}, {}, tools::SpellExportPreset::Base, out};
            args.schools = enums_from<tools::SpellSchool>(tools::kSpellSchoolNames, r.schools);
            args.fields = enums_from<tools::SpellExportField>(tools::kSpellExportFieldNames, r.fields);
            args.preset = *tools::enum_from_name<tools::SpellExportPreset>(tools::kSpellExportPresetNames, r.preset);
            for (const auto& c : all_pieces(r.categories)) {
                const std::string_view digits = c.starts_with('+') ? std::string_view(c).substr(1) : c;
                args.categories.push_back(static_cast<std::uint32_t>(std::stoull(std::string(digits))));
            }
            return args;
        }
        case Sub::Extract: return ExtractArgs{r.path, r.id, ns, out};
        case Sub::Weenie: return WeenieArgs{r.path, r.id, ns};
        case Sub::WeenieFind: return WeenieFindArgs{r.path, r.id};
        case Sub::Landblock: return LandblockArgs{r.path, r.id, ns};
        case Sub::ZraPack: return ZraPackArgs{r.input, r.output, r.compress};
        case Sub::Help:
        case Sub::Count: break;
    }
    return MetaArgs{r.path};
}

// The arguments rewritten into forms CLI11 reads as intended, up to a "--"
// (after it everything is a positional value, kept as given):
// - "--namespace=" is an option with an empty value, not one missing it;
// - "-o=out.bin" is "-o" with the value "out.bin".
std::vector<std::string> normalized_arguments(int argc, const char* const* argv) {
    std::vector<std::string> args;
    bool positional_only = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (positional_only) {
            args.emplace_back(arg);
            continue;
        }
        positional_only = arg == "--";
        if (arg.starts_with("--") && arg.size() > 3 && arg.find('=') == arg.size() - 1) {
            args.emplace_back(arg.substr(0, arg.size() - 1));
            args.emplace_back();
        } else if (arg.size() > 2 && arg[0] == '-' && arg[1] != '-' && arg[2] == '=') {
            args.emplace_back(arg.substr(0, 2));
            args.emplace_back(arg.substr(3));
        } else {
            args.emplace_back(arg);
        }
    }
    return args;
}

}  // namespace

std::expected<Cli, ParseExit> parse_command_line(int argc, const char* const* argv) {
    Declaration decl;
    if (argc <= 1) return std::unexpected(ParseExit{2, "", decl.app.help()});
    if (auto early = decl.help_or_unknown(argc, argv)) return std::unexpected(*early);

    auto args = normalized_arguments(argc, argv);
    if (auto decided = decl.scan_in_order(args)) return std::unexpected(*decided);
    std::reverse(args.begin(), args.end());  // CLI11 takes them last first
    try {
        decl.app.parse(std::move(args));
    } catch (const CLI::CallForHelp&) {
        const auto which = decl.chosen();
        const CLI::App* context = which ? decl.subs[static_cast<std::size_t>(*which)] : &decl.app;
        return std::unexpected(ParseExit{0, decl.help_of(context), ""});
    } catch (const CLI::CallForVersion& version) {
        return std::unexpected(ParseExit{0, std::string(version.what()) + "\n", ""});
    } catch (const CLI::ParseError& error) {
        const auto which = decl.chosen();
        const CLI::App* context = which ? decl.subs[static_cast<std::size_t>(*which)] : &decl.app;
        return std::unexpected(decl.usage_error(error.what(), context));
    }

    const Sub which = *decl.chosen();
    return Cli{build_command(which, decl.args(which))};
}

}  // namespace app
