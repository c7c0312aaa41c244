#include "support/samples.hpp"

#include <cstdlib>
#include <string>
#include <string_view>

#include "support/dat_builder.hpp"
#include "support/record_builders.hpp"
#include "support/records.hpp"

namespace support {
namespace {

void append(std::vector<SampleFile>& files, std::vector<SampleFile> more) {
    for (auto& file : more) files.push_back(std::move(file));
}

dat::Bytes text_bytes(std::string_view text) { return dat::Bytes(text.begin(), text.end()); }

// --- portal dataset ---------------------------------------------------------

dat::Bytes language_string_sample() {
    std::string text;
    for (int i = 0; i < 6; ++i) text += "A lantern burns in the moss-covered tower. ";
    return text_bytes(text);
}

std::vector<SampleFile> texture_samples() {
    return {
        {0x06000001, jpeg_texture_record(0x06000001)},
        // Format 21: 32-bit pixels, 4x4, not a JPEG.
        {0x06000002, texture_record(0x06000002, 21, 4, 4, pattern_bytes(64, 0x0602))},
        // The 0x07 prefix is a texture type too, but extract treats it as raw.
        {0x07000001, texture_record(0x07000001, 21, 2, 2, pattern_bytes(16, 0x0701))},
    };
}

std::vector<SampleFile> sound_samples() {
    return {{0x0A000001, sound_record(0x0A000001, {}, pcm_tone(2000))}};
}

std::vector<SampleFile> model_samples() {
    return {{0x01000001, pattern_bytes(1500, 0x0101)}};
}

std::vector<SampleFile> other_portal_samples() {
    return {
        {0x04000001, repetitive_bytes(2048, 0x0401), true},  // palette
        {0x08000001, pattern_bytes(40, 0x0801)},             // surface
        {0x0D000002, pattern_bytes(300, 0x0D02)},            // environment cell
        {0x0F000001, pattern_bytes(12, 0x0F01)},             // palette set
        {0x31000001, language_string_sample(), true},
        {0x31000002, text_bytes("Short strings stay uncompressed.")},
        {0xFFFF0001, pattern_bytes(8, 0xFFFF)},             // iteration metadata
    };
}

// Weenie tables and two standalone weenie records. WCID 500 is in both
// tables, so weenie-find reports two hits for it.
WeenieRecord lantern_keeper() {
    auto weenie = WeenieRecord::named(0x0C8F, 10, "Lantern Keeper", 0x06000002);
    weenie.ints = {{1, 16}, {25, 12}, {93, 1044}};
    weenie.int64s = {{1, 125000}};
    weenie.bools = {{1, 1}, {19, 0}};
    weenie.floats = {{1, 3.5}, {39, 1.25}};
    weenie.strings.emplace_back(16, "Keeps the lantern in the moss-covered tower burning.");
    weenie.dids.emplace_back(1, 0x02000001);
    weenie.iids = {{1, 0x50000001}};
    return weenie;
}

std::vector<SampleFile> weenie_samples() {
    auto bow = WeenieRecord::named(500, 3, "Yew Bow", 0x06000001);
    bow.ints = {{19, 250}, {48, 2}};
    bow.floats = {{22, 0.75}};
    auto old_bow = WeenieRecord::named(500, 3, "Cracked Yew Bow", 0x06000001);
    auto lantern = WeenieRecord::named(501, 1, "Brass Lantern", 0x06000002);
    lantern.dids.emplace_back(22, 0x0A000001);
    auto nameless = WeenieRecord{};
    nameless.wcid = 777;
    nameless.weenie_type = 2;
    nameless.ints = {{1, 1}};
    return {
        {0x0E000003,
         weenie_table_bytes(0x0E000003, {{500, bow},
                                         {501, lantern},
                                         {0x0C8F, lantern_keeper()},
                                         {777, nameless},
                                         {1000, WeenieRecord::named(1000, 7, "Moss Cloak")}})},
        {0x0E000004, weenie_table_bytes(0x0E000004, {{500, old_bow}, {1001, WeenieRecord::named(1001, 7, "Felt Hat")}})},
        {0x0E000101, weenie_bytes(lantern_keeper())},
        {0x0E000102, weenie_bytes(nameless)},
    };
}

// --- cell dataset -----------------------------------------------------------

// A gentle slope with a ridge down the middle; every value fits in a byte.
CellLandblockRecord terrain_block(std::uint32_t id, std::uint32_t has_objects, int base) {
    CellLandblockRecord block;
    block.id = id;
    block.has_objects = has_objects;
    for (std::size_t column = 0; column < 9; ++column) {
        for (std::size_t row = 0; row < 9; ++row) {
            const int ridge = 4 - std::abs(static_cast<int>(column) - 4);
            block.height[row + 9 * column] = static_cast<std::uint8_t>(base + 3 * static_cast<int>(row) + 5 * ridge);
            block.terrain[row + 9 * column] = static_cast<std::uint16_t>(0x0010 * (column % 4) + row);
        }
    }
    return block;
}

LandblockInfoRecord tower_block_info() {
    LandblockInfoRecord info;
    info.id = 0xA9B4FFFE;
    info.num_cells = 2;
    info.objects = {{0x01000001, {{40.0F, 52.5F, 18.0F}, {1.0F, 0.0F, 0.0F, 0.0F}}},
                    {0x01000001, {{44.25F, 50.0F, 18.0F}, {0.70710677F, 0.0F, 0.0F, 0.70710677F}}}};
    info.pack_mask = 1;
    info.buildings = {
        {0x01000100, {{96.0F, 108.5F, 20.0F}, {1.0F, 0.0F, 0.0F, 0.0F}}, 3,
         {{0x0001, 0x0100, 0, {0x0100}}, {0x0002, 0x0101, 1, {0x0100, 0x0101}}}},
        {0x01000101, {{12.5F, 0.0F, -3.0F}, {0.0F, 0.0F, 0.0F, 1.0F}}, 1, {}},
    };
    info.restriction_pairs = {{0xA9B40100, 0x7000001}};
    return info;
}

LandblockInfoRecord meadow_block_info() {
    LandblockInfoRecord info;
    info.id = 0x7D64FFFE;
    info.objects = {{0x01000001, {{10.0F, 10.0F, 30.0F}, {}}}};
    info.buildings = {{0x01000102, {{180.0F, 24.0F, 9.5F}, {}}, 1, {{0x0001, 0x0100, 0, {}}}}};
    return info;
}

std::vector<SampleFile> landblock_samples() {
    return {
        {0xA9B4FFFF, cell_landblock_bytes(terrain_block(0xA9B4FFFF, 1, 20))},
        {0xA9B4FFFE, landblock_info_bytes(tower_block_info())},
        {0xA9B40100, repetitive_bytes(600, 0xA9B6), true},  // indoor cells: filler
        {0xA9B40101, pattern_bytes(900, 0xA9B7)},
        {0x7D64FFFF, cell_landblock_bytes(terrain_block(0x7D64FFFF, 1, 0))},
        {0x7D64FFFE, landblock_info_bytes(meadow_block_info())},
        {0x0101FFFF, cell_landblock_bytes(terrain_block(0x0101FFFF, 0, 100))},  // no info record
    };
}

}  // namespace

std::vector<SampleFile> portal_sample_files() {
    std::vector<SampleFile> files;
    append(files, texture_samples());
    append(files, sound_samples());
    append(files, model_samples());
    append(files, other_portal_samples());
    append(files, weenie_samples());
    return files;
}

std::vector<SampleFile> cell_sample_files() {
    std::vector<SampleFile> files;
    append(files, landblock_samples());
    return files;
}

SampleDataset portal_sample() { return {"portal.dat", 1024, 1, portal_sample_files()}; }
SampleDataset cell_sample() { return {"cell.dat", 256, 2, cell_sample_files()}; }
std::vector<SampleDataset> all_samples() { return {portal_sample(), cell_sample()}; }

dat::Bytes build_sample(const SampleDataset& sample) {
    DatBuilder builder(sample.block_size, sample.dataset);
    for (const auto& file : sample.files) builder.add_file(file.id, file.data, {.lrs = file.lrs});
    return builder.build();
}

}  // namespace support
