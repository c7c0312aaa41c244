#include "support/sample_archive.hpp"

#include <stdexcept>

#include <fmt/format.h>

#include "support/process.hpp"

namespace support {

std::string pack_file_name(std::uint32_t id, dat::DatasetKind kind) {
    return fmt::format("{:08X}.{:X}", id, static_cast<std::uint32_t>(dat::file_type_in_dat(id, kind)));
}

void export_for_packing(const SampleDataset& sample, const std::filesystem::path& dat_path,
                        const std::filesystem::path& directory) {
    const auto kind = dat::dataset_kind_from_fields(0x5442, sample.block_size, sample.dataset);
    std::filesystem::create_directories(directory);
    for (const auto& file : sample.files) {
        const auto result = run_tool({"export", dat_path.string(), fmt::format("0x{:08X}", file.id), "-o",
                                      (directory / pack_file_name(file.id, kind)).string()});
        if (result.status != 0) throw std::runtime_error("export failed: " + result.err);
    }
}

void pack_directory(const std::filesystem::path& directory, const std::filesystem::path& archive) {
    const auto result = run_tool({"zra-pack", "-c", directory.string(), archive.string()});
    if (result.status != 0) throw std::runtime_error("zra-pack failed: " + result.err);
}

}  // namespace support
