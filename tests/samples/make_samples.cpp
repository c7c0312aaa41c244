// Writes the bundled sample containers: make-samples [DIRECTORY]
// (default: the source tree's samples/).

#include <cstdio>
#include <filesystem>

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
    return 0;
}
