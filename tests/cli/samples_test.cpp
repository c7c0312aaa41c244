#include <gtest/gtest.h>

#include <filesystem>

#include <fmt/format.h>

#include "support/process.hpp"
#include "support/samples.hpp"
#include "support/temp_dir.hpp"

namespace {

// The committed samples are the generator's output: regenerate them with
// the make-samples target after changing the generator.
TEST(SamplesTest, CommittedSamplesEqualTheGeneratorOutput) {
    const std::filesystem::path samples = std::filesystem::path(DAT_TOOL_SOURCE_DIR) / "samples";
    for (const auto& sample : support::all_samples()) {
        const auto path = samples / sample.file_name;
        ASSERT_TRUE(std::filesystem::exists(path)) << path;
        EXPECT_TRUE(support::read_bytes(path) == support::build_sample(sample))
            << sample.file_name << " is stale: rebuild and run make-samples";
    }
}

TEST(SamplesTest, EverySampleFileReadsBackThroughTheTool) {
    const std::filesystem::path samples = std::filesystem::path(DAT_TOOL_SOURCE_DIR) / "samples";
    support::TempDir out;
    for (const auto& sample : support::all_samples()) {
        for (const auto& file : sample.files) {
            const auto target = out / "file.bin";
            const auto result = support::run_tool(
                {"export", (samples / sample.file_name).string(), fmt::format("0x{:08X}", file.id), "-o", target.string()});
            ASSERT_EQ(result.status, 0) << result.err;
            EXPECT_TRUE(support::read_bytes(target) == file.data) << sample.file_name << " " << file.id;
        }
    }
}

}  // namespace
