#pragma once
// The bundled sample archive, samples/portal.zra: the files of the portal
// sample DAT, exported with dat-tool into a directory of "<id>.<type>"
// files and packed by dat-tool zra-pack with compression.

#include <cstdint>
#include <filesystem>
#include <string>

#include "dat/file_type.hpp"
#include "support/samples.hpp"

namespace support {

inline constexpr const char* kSampleArchiveName = "portal.zra";

// zra-pack's name for a file: id and type code in hexadecimal, the type
// being the one the DAT rules give the id.
std::string pack_file_name(std::uint32_t id, dat::DatasetKind kind);

// Exports every file of `sample` from its DAT at `dat_path` with
// `dat-tool export` into `directory`, named by pack_file_name.
void export_for_packing(const SampleDataset& sample, const std::filesystem::path& dat_path,
                        const std::filesystem::path& directory);

// Packs `directory` into `archive` with `dat-tool zra-pack -c`.
void pack_directory(const std::filesystem::path& directory, const std::filesystem::path& archive);

}  // namespace support
