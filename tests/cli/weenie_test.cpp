#include <fmt/format.h>

#include "cli_fixture.hpp"
#include "support/record_builders.hpp"
#include "support/records.hpp"

namespace {

using cli_test::Expected;
using cli_test::ToolFixture;
using support::WeenieRecord;

class WeenieCommandTest : public ToolFixture {};

// Sections with keys the store drops: the counts shown are of stored
// properties, not of entries.
WeenieRecord keeper() {
    auto weenie = WeenieRecord::named(0x0C8F, 10, "Lantern Keeper", 0x06000002);
    weenie.ints = {{1, 16}, {25, 12}, {391, 1}};
    weenie.floats = {{0, 3.5}, {172, 1.0}};
    weenie.strings.emplace_back(16, "Keeps the lantern lit.");
    weenie.strings.emplace_back(17, "");
    weenie.dids.emplace_back(1, 0x02000001);
    weenie.dids.emplace_back(2, 0);
    weenie.bools = {{1, 1}};
    weenie.iids = {{1, 5}};
    weenie.int64s = {{1, 7}};
    return weenie;
}

TEST_F(WeenieCommandTest, PrintsTheSummaryOfOneRecord) {
    support::DatBuilder builder;
    builder.add_file(0x0E000101, support::weenie_bytes(keeper()));
    builder.add_file(0x0E000102, support::weenie_bytes(keeper()), {.lrs = true});
    WeenieRecord plain;
    plain.wcid = 9;
    plain.weenie_type = 2;
    plain.dids = {{8, 0}};  // a zero icon is not stored
    builder.add_file(0x0E000103, support::weenie_bytes(plain));
    write_dat("portal.dat", builder);

    const std::string summary =
        "Weenie Class ID: 00000C8F\n"
        "Weenie Type:     10\n"
        "Name:            Lantern Keeper\n"
        "Icon ID:         06000002\n"
        "Properties (Int):    2\n"
        "Properties (Float):  1\n"
        "Properties (String): 2\n"
        "Properties (DID):    2\n";
    expect_run({"weenie", "portal.dat", "0x0E000101"}, {0, "File ID:         0E000101\n" + summary, ""});
    // Stored compressed, and a namespace that a DAT ignores.
    expect_run({"weenie", "portal.dat", "0E000102", "--namespace", ""}, {0, "File ID:         0E000102\n" + summary, ""});
    expect_run({"weenie", "portal.dat", "0x0E000103"},
               {0,
                "File ID:         0E000103\nWeenie Class ID: 00000009\nWeenie Type:     2\n"
                "Properties (Int):    0\nProperties (Float):  0\nProperties (String): 0\nProperties (DID):    0\n",
                ""});
}

TEST_F(WeenieCommandTest, AnythingThatDoesNotDecodeIsOneQuietLine) {
    support::DatBuilder builder;
    auto bytes = support::weenie_bytes(keeper());
    bytes.pop_back();
    builder.add_file(0x0E000001, bytes);
    builder.add_file(0x0E000002, {});
    write_dat("portal.dat", builder);
    for (const char* id : {"0x0E000001", "0x0E000002", "0x0E00001A"}) {
        expect_run({"weenie", "portal.dat", id},
                   {0, fmt::format("Could not decode a Weenie record from ID {}.\n", std::string(id).substr(2)), ""});
    }
}

TEST_F(WeenieCommandTest, OnlyTheOpenAndTheIdCanFail) {
    write_dat("portal.dat", support::DatBuilder());
    expect_run({"weenie", "portal.dat", "0x"}, {1, "", "Error: cannot parse integer from empty string\n"});
    expect_run({"weenie-find", "portal.dat", "12G"}, {1, "", "Error: invalid digit found in string\n"});
    expect_run({"weenie-find", "missing", "0x"},
               {1, "", "Error: Could not open provider for \"missing\". Expected .zra or .dat\n"});
}

class WeenieFindTest : public ToolFixture {};

TEST_F(WeenieFindTest, ReportsEveryTableThatHoldsTheWcid) {
    support::DatBuilder builder;
    builder.add_file(0x0E000003, support::weenie_table_bytes(
                                     0x0E000003, {{500, WeenieRecord::named(500, 3, "Yew Bow", 0x06000001)},
                                                  {501, WeenieRecord::named(501, 1, "Brass Lantern")}}));
    // The key says 500, the record itself 0x1F6: the record's own wcid is shown.
    WeenieRecord unnamed;
    unnamed.wcid = 0x1F6;
    unnamed.weenie_type = 4;
    builder.add_file(0x0E000004, support::weenie_table_bytes(0x0E000004, {{500, unnamed}}), {.lrs = true});
    // Not scanned: a table outside the 0x0E prefix.
    builder.add_file(0x0F000001, support::weenie_table_bytes(1, {{500, WeenieRecord::named(500, 1, "Hidden")}}));
    // Skipped silently: a candidate that is not a table, and a table whose
    // second record is cut short although its first holds the WCID.
    builder.add_file(0x0E000005, support::pattern_bytes(7, 5));
    auto cut = support::weenie_table_bytes(
        0x0E000006, {{500, WeenieRecord::named(500, 1, "Lost")}, {9, WeenieRecord::named(9, 1, "Cut")}});
    cut.resize(cut.size() - 3);
    builder.add_file(0x0E000006, cut);
    write_dat("portal.dat", builder);

    expect_run({"weenie-find", "portal.dat", "0x1F4"},
               {0,
                "Scanning 4 table files (0x0E prefix) for WCID 500...\n"
                "Hit in table 0E000003\n"
                "  Entry WCID: 000001F4\n"
                "  WeenieType: 3\n"
                "  Name: Yew Bow\n"
                "Hit in table 0E000004\n"
                "  Entry WCID: 000001F6\n"
                "  WeenieType: 4\n",
                ""});
    expect_run({"weenie-find", "portal.dat", "501"},
               {0,
                "Scanning 4 table files (0x0E prefix) for WCID 501...\n"
                "Hit in table 0E000003\n  Entry WCID: 000001F5\n  WeenieType: 1\n  Name: Brass Lantern\n",
                ""});
    expect_run({"weenie-find", "portal.dat", "9"},
               {0,
                "Scanning 4 table files (0x0E prefix) for WCID 9...\n"
                "No WCID 9 entries found in scan-able table files (0x0E range).\n",
                ""});
}

TEST_F(WeenieFindTest, AContainerWithoutTablesScansNothing) {
    support::DatBuilder builder;
    builder.add_file(0x06000001, support::pattern_bytes(30, 1));
    write_dat("portal.dat", builder);
    expect_run({"weenie-find", "portal.dat", "0x1F4"},
               {0,
                "Scanning 0 table files (0x0E prefix) for WCID 500...\n"
                "No WCID 500 entries found in scan-able table files (0x0E range).\n",
                ""});
}

}  // namespace
