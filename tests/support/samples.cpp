#include "support/samples.hpp"

#include <string>
#include <string_view>

#include "support/dat_builder.hpp"
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

// --- cell dataset -----------------------------------------------------------

// Placeholders with landblock-style ids; their contents are filler.
std::vector<SampleFile> landblock_placeholder_samples() {
    return {
        {0xA9B4FFFF, pattern_bytes(252, 0xA9B4)},
        {0xA9B4FFFE, pattern_bytes(120, 0xA9B5)},
        {0xA9B40100, repetitive_bytes(600, 0xA9B6), true},
        {0xA9B40101, pattern_bytes(900, 0xA9B7)},
        {0x0101FFFF, pattern_bytes(252, 0x0101)},
    };
}

}  // namespace

std::vector<SampleFile> portal_sample_files() {
    std::vector<SampleFile> files;
    append(files, texture_samples());
    append(files, sound_samples());
    append(files, model_samples());
    append(files, other_portal_samples());
    return files;
}

std::vector<SampleFile> cell_sample_files() {
    std::vector<SampleFile> files;
    append(files, landblock_placeholder_samples());
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
