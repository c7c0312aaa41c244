// The command line as a user meets it: help, version, usage errors.

#include <gtest/gtest.h>

#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace {

using support::run_tool;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(Usage, VersionAndHelpGoToStandardOutput) {
    for (const char* flag : {"-V", "--version"}) {
        auto r = run_tool({flag});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "ostrevan-tools 0.1.0\n");
        EXPECT_EQ(r.err, "");
    }
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"}, {"-h"}, {"help"}}) {
        auto r = run_tool(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        // Every subcommand, in declaration order, with its about text.
        std::size_t at = 0;
        for (const char* about : {"List meta info about the ZRA/DAT file itself", "List all files in the DAT",
                                  "Get info about a specific file ID", "Export a file to disk",
                                  "Export the spell table to JSON", "Extract a file to its native format if possible",
                                  "Inspect a Weenie template", "Scan table records for a WCID-based Weenie entry",
                                  "Inspect a Landblock", "Pack a directory into an ZRA archive"}) {
            const auto found = r.out.find(about, at);
            ASSERT_NE(found, std::string::npos) << about;
            at = found;
        }
    }
}

TEST(Usage, SubcommandHelpShowsValueNamesHelpTextsAndAcceptedValues) {
    auto info = run_tool({"help", "info"});
    EXPECT_EQ(info.status, 0);
    for (const char* part : {"Get info about a specific file ID", "PATH", "ID", "--namespace NAMESPACE",
                             "Path to the DAT or ZRA file", "Namespace label for multi-namespace ZRA archives"}) {
        EXPECT_TRUE(contains(info.out, part)) << part;
    }
    EXPECT_EQ(run_tool({"info", "--help"}).out, info.out);

    auto spells = run_tool({"spell-export", "-h"});
    EXPECT_EQ(spells.status, 0);
    for (const char* part :
         {"--schools SCHOOLS", "war,life,item,creature,void", "--categories CATEGORIES", "--fields FIELDS",
          "base-mana", "formula-version", "--preset PRESET", "base,minimal", "=base", "-o,--output OUT",
          "Output JSON file; prints to stdout when omitted", "Field preset to use when no explicit fields are provided"}) {
        EXPECT_TRUE(contains(spells.out, part)) << part;
    }

    auto pack = run_tool({"zra-pack", "--help"});
    for (const char* part : {"INPUT", "OUTPUT", "-c,--compress", "Enable compression",
                             "Input directory containing files named [ID].[TYPE] (hex)", "Output ZRA file"}) {
        EXPECT_TRUE(contains(pack.out, part)) << part;
    }
}

TEST(Usage, HelpAsksForTheLevelItStandsAt) {
    const auto top = run_tool({"--help"}).out;
    const auto meta = run_tool({"help", "meta"}).out;
    EXPECT_EQ(run_tool({"-h", "meta"}).out, top);
    EXPECT_EQ(run_tool({"meta", "-h", "--bogus"}).out, meta);
    EXPECT_EQ(run_tool({"meta", "x.dat", "--help"}).out, meta);
    auto of_help = run_tool({"help", "-h"});
    EXPECT_EQ(of_help.status, 0);
    EXPECT_EQ(of_help.out, run_tool({"help", "help"}).out);
}

TEST(Usage, NoArgumentsPrintsHelpToStandardErrorWithStatus2) {
    auto r = run_tool({});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(contains(r.err, "Usage: dat-tool"));
    EXPECT_TRUE(contains(r.err, "zra-pack"));
}

TEST(Usage, ErrorsGiveAMessageAndAUsageLineWithStatus2) {
    struct Case {
        std::vector<std::string> args;
        const char* message;  // part of the first line
        const char* usage;
    };
    const Case cases[] = {
        {{"info", "x.dat"}, "ID is required", "Usage: dat-tool info [OPTIONS] PATH ID"},
        {{"meta"}, "PATH is required", "Usage: dat-tool meta"},
        {{"frobnicate", "x"}, "unrecognized subcommand 'frobnicate'", "Usage: dat-tool"},
        {{"Meta", "x"}, "unrecognized subcommand 'Meta'", "Usage: dat-tool"},
        {{"--bogus"}, "", "Usage: dat-tool"},
        {{"help", "nothing"}, "unrecognized subcommand 'nothing'", "Usage: dat-tool"},
        {{"list", "x.dat", "--bogus"}, "--bogus", "Usage: dat-tool list"},
        {{"info", "x.dat", "1", "2"}, "2", "Usage: dat-tool info"},
        {{"spell-export", "x", "--schools", "War"}, "War", "Usage: dat-tool spell-export"},
        {{"spell-export", "x", "--fields", "power,Name"}, "Name", "Usage: dat-tool spell-export"},
        {{"spell-export", "x", "--preset", "full"}, "full", "Usage: dat-tool spell-export"},
        {{"spell-export", "x", "--preset", "base", "--preset", "minimal"}, "--preset", "Usage: dat-tool spell-export"},
        {{"spell-export", "x", "--categories", "0x10"}, "0x10", "Usage: dat-tool spell-export"},
        {{"spell-export", "x", "--categories", "1,-2"}, "-2", "Usage: dat-tool spell-export"},
        {{"spell-export", "x", "--categories", "4294967296"}, "4294967296", "Usage: dat-tool spell-export"},
        {{"spell-export", "x", "--schools", "war", "life"}, "life", "Usage: dat-tool spell-export"},
        {{"export", "x", "1", "-o", "a", "-o", "b"}, "--output", "Usage: dat-tool export"},
        {{"info", "x", "1", "--namespace", "a", "--namespace", "b"}, "--namespace", "Usage: dat-tool info"},
        {{"meta", ""}, "PATH", "Usage: dat-tool meta"},
        {{"export", "x", "1", "-o", ""}, "--output", "Usage: dat-tool export"},
        {{"info", "x", "\xFF"}, "UTF-8", "Usage: dat-tool info"},
        {{"weenie", "x", "1", "--namespace", "a\xC3"}, "UTF-8", "Usage: dat-tool weenie"},
        {{"weenie-find", "x", "1", "--namespace", "eor/cell"}, "--namespace", "Usage: dat-tool weenie-find"},
        {{"zra-pack", "in"}, "OUTPUT is required", "Usage: dat-tool zra-pack [OPTIONS] INPUT OUTPUT"},
        // Read left to right: what comes first decides, help included.
        {{"--bogus", "-V"}, "'--bogus'", "Usage: dat-tool [OPTIONS]"},
        {{"--version=1"}, "'1'", "Usage: dat-tool [OPTIONS]"},
        {{"-x", "meta", "p"}, "'-x'", "Usage: dat-tool [OPTIONS]"},
        {{"meta", "--bogus", "-h"}, "'--bogus'", "Usage: dat-tool meta"},
        {{"meta", "p", "q", "--help"}, "'q'", "Usage: dat-tool meta"},
        {{"info", "x", "-5"}, "'-5'", "Usage: dat-tool info"},
    };
    for (const auto& c : cases) {
        auto r = run_tool(c.args);
        const std::string label = c.args.front() + " " + c.message;
        EXPECT_EQ(r.status, 2) << label;
        EXPECT_EQ(r.out, "") << label;
        EXPECT_TRUE(r.err.starts_with("error: ")) << r.err;
        EXPECT_TRUE(contains(r.err.substr(0, r.err.find('\n')), c.message)) << r.err;
        EXPECT_TRUE(contains(r.err, c.usage)) << r.err;
    }
}

TEST(Usage, RawPathBytesAreAccepted) {
    // A path that is not UTF-8 is a valid argument; the command then fails
    // to open it (status 1), not the parser (status 2).
    auto r = run_tool({"meta", "no\xFFsuch.dat"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.starts_with("Error: ")) << r.err;
}

TEST(Usage, FailedWritesToStandardOutputAreErrors) {
    support::RunOptions to_full;
    to_full.stdout_file = "/dev/full";
    auto r = run_tool({"--help"}, to_full);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "Error: could not write to standard output\n\nCaused by:\n    No space left on device (os error 28)\n");
}

}  // namespace
