// weenie, weenie-find, landblock and spell-export on archives, end to end.

#include "cli_fixture.hpp"
#include "support/archive_builder.hpp"
#include "support/record_builders.hpp"
#include "support/spell_table_builder.hpp"

namespace {

using dat::Bytes;
using support::ArchiveBuilder;
using support::WeenieRecord;

class ArchiveRecordsTest : public cli_test::ToolFixture {
protected:
    std::string write_archive(const std::string& name, const ArchiveBuilder& builder) const {
        support::write_bytes(path(name), builder.build().bytes);
        return name;
    }
    static Bytes table_with(std::uint32_t table_id, const char* name) {
        return support::weenie_table_bytes(table_id, {{500, WeenieRecord::named(500, 3, name)}});
    }
};

TEST_F(ArchiveRecordsTest, WeenieFindChoosesTablesByStoredTypeCode) {
    ArchiveBuilder builder;
    builder.add("eor/portal", 0x01000007, table_with(0x01000007, "Typed Table"), 0x0E);  // table by type, not id
    builder.add("eor/portal", 0x0E000001, table_with(0x0E000001, "Wrong Type"), 0x06);   // id says table, type not
    builder.add("eor/cell", 0x0E000002, table_with(0x0E000002, "Cell Table"), 0x0E);
    write_archive("tables.zra", builder);
    expect_run({"weenie-find", "tables.zra", "0x1F4"},
               {0,
                "Scanning 2 table files (0x0E prefix) for WCID 500...\n"
                "Hit in table eor/cell:0E000002\n  Entry WCID: 000001F4\n  WeenieType: 3\n  Name: Cell Table\n"
                "Hit in table eor/portal:01000007\n  Entry WCID: 000001F4\n  WeenieType: 3\n  Name: Typed Table\n",
                ""});
}

TEST_F(ArchiveRecordsTest, WeenieAndLandblockFollowTheNamespaceOption) {
    support::CellLandblockRecord block;
    block.id = 0x1234FFFF;
    block.height[8] = 7;
    ArchiveBuilder builder;
    builder.add("eor/portal", 0x0E000101, support::weenie_bytes(WeenieRecord::named(77, 1, "Torch")), 0x0E);
    builder.add("eor/cell", 0x1234FFFF, support::cell_landblock_bytes(block), 0xFE);
    write_archive("mixed.zra", builder);

    expect_run({"weenie", "mixed.zra", "0x0E000101", "--namespace", "eor/portal"},
               {0,
                "File ID:         0E000101\nWeenie Class ID: 0000004D\nWeenie Type:     1\nName:            Torch\n"
                "Properties (Int):    0\nProperties (Float):  0\nProperties (String): 1\nProperties (DID):    0\n",
                ""});
    // Without a namespace the lookup fails quietly: the command's own line.
    expect_run({"weenie", "mixed.zra", "0x0E000101"},
               {0, "Could not decode a Weenie record from ID 0E000101.\n", ""});

    const auto landblock = run({"landblock", "mixed.zra", "0x12340000", "--namespace", "eor/cell"});
    EXPECT_EQ(landblock.status, 0) << landblock.err;
    EXPECT_TRUE(landblock.out.starts_with("Landblock ID:   1234FFFF\nHas Objects:     false\n")) << landblock.out;
    EXPECT_TRUE(landblock.out.ends_with("\n  0   0   0   0   0   0   0   0   0 \n")) << landblock.out;
    EXPECT_NE(landblock.out.find("\n  7   0   0   0   0   0   0   0   0 \n"), std::string::npos) << landblock.out;

    expect_run({"landblock", "mixed.zra", "0x12340000"},
               {1,
                "",
                "Error: Other error: ZRA v2 archive contains multiple namespaces; explicit namespace lookup is "
                "required\n"});
}

TEST_F(ArchiveRecordsTest, SpellExportReadsTheTableFromANamespace) {
    support::SpellTableBuilder spells;
    spells.spells(support::make_spells(3));
    const Bytes table = spells.build();
    ArchiveBuilder builder;
    builder.add("eor/portal", 0x0E00000E, table, 0x0E);
    builder.add("eor/cell", 0x0E00000E, Bytes{1, 2, 3}, 0x0E);
    write_archive("spells.zra", builder);

    const auto from_archive = run({"spell-export", "spells.zra", "--namespace", "eor/portal", "--preset", "minimal"});
    EXPECT_EQ(from_archive.status, 0) << from_archive.err;

    support::DatBuilder dat;
    dat.add_file(0x0E00000E, table);
    write_dat("spells.dat", dat);
    const auto from_dat = run({"spell-export", "spells.dat", "--preset", "minimal"});
    EXPECT_EQ(from_archive.out, from_dat.out);

    expect_run({"spell-export", "spells.zra"},
               {1,
                "",
                "Error: Other error: ZRA v2 archive contains multiple namespaces; explicit namespace lookup is "
                "required\n"});
    const auto damaged = run({"spell-export", "spells.zra", "--namespace", "eor/cell"});
    EXPECT_EQ(damaged.status, 1);
    EXPECT_TRUE(damaged.err.starts_with("Error: failed to fill whole buffer\nWhile parsing field")) << damaged.err;
}

}  // namespace
