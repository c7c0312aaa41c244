// Writes the bundled sample containers: make-samples [DIRECTORY]
// (default: the source tree's samples/). The archive is packed by the
// built dat-tool from the files of the portal DAT it just wrote.

#include <cstdio>
#include <filesystem>

#include "support/sample_archive.hpp"
#include "support/samples.hpp"
#include "support/temp_dir.hpp"

int main(int argc, char** argv) {
    const std::filesystem::path directory = argc > 1 ? argv[1] : std::filesystem::path(DAT_TOOL_SOURCE_DIR) / "samples";
    std::filesystem::create_directories(directory);
    for (const auto& sample : support::all_samples()) {
        const auto path = directory / sample.file_name;
        support::write_bytes(path, support::build_sample(sample));
        std::printf("wrote %s (%zu files)\n", path.c_str(), sample.files.size());
    }
    const support::TempDir scratch;
    const auto sample = support::portal_sample();
    support::export_for_packing(sample, directory / sample.file_name, scratch / "files");
    const auto archive = directory / support::kSampleArchiveName;
    support::pack_directory(scratch / "files", archive);
    std::printf("wrote %s (%zu files)\n", archive.c_str(), sample.files.size());
    return 0;
}
