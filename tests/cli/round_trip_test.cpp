// DAT -> export every file -> directory -> zra-pack -> archive -> export
// gives back the same bytes; and the bundled sample archive is such an
// archive of the portal sample.

#include <gtest/gtest.h>

#include <fmt/format.h>

#include "dat/archive/reader.hpp"
#include "support/process.hpp"
#include "support/sample_archive.hpp"
#include "support/samples.hpp"
#include "support/temp_dir.hpp"

namespace {

const std::filesystem::path kSamples = std::filesystem::path(DAT_TOOL_SOURCE_DIR) / "samples";

dat::Bytes export_file(const std::filesystem::path& container, std::uint32_t id, const std::filesystem::path& to,
                       const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {"export", container.string(), fmt::format("0x{:08X}", id), "-o", to.string()};
    args.insert(args.end(), extra.begin(), extra.end());
    const auto result = support::run_tool(args);
    EXPECT_EQ(result.status, 0) << result.err;
    return support::read_bytes(to);
}

TEST(RoundTrip, DatFilesSurvivePackingIntoAnArchive) {
    for (const auto& sample : support::all_samples()) {
        for (bool compress : {false, true}) {
            SCOPED_TRACE(fmt::format("{} {}", sample.file_name, compress));
            support::TempDir work;
            const auto dat_path = work / sample.file_name;
            support::write_bytes(dat_path, support::build_sample(sample));
            support::export_for_packing(sample, dat_path, work / "files");
            std::vector<std::string> pack = {"zra-pack", (work / "files").string(), (work / "packed.zra").string()};
            if (compress) pack.push_back("--compress");
            ASSERT_EQ(support::run_tool(pack).status, 0);

            bool any_compressed = false;
            const auto reader = dat::ZraReader::open(work / "packed.zra").value();
            for (const auto& file : sample.files) {
                const auto from_dat = export_file(dat_path, file.id, work / "a.bin");
                EXPECT_EQ(from_dat, file.data);
                EXPECT_EQ(export_file(work / "packed.zra", file.id, work / "b.bin"), from_dat) << file.id;
                any_compressed |= reader.find_entry(file.id).value().compressed();
            }
            EXPECT_EQ(any_compressed, compress);
        }
    }
}

TEST(SampleArchive, HoldsThePortalSampleFilesWithTheirTypes) {
    const auto archive = kSamples / support::kSampleArchiveName;
    const auto sample = support::portal_sample();
    const auto reader = dat::ZraReader::open(archive).value();
    ASSERT_EQ(reader.header().entry_count, sample.files.size());
    const auto kind = dat::dataset_kind_from_fields(0x5442, sample.block_size, sample.dataset);
    support::TempDir out;
    for (const auto& file : sample.files) {
        SCOPED_TRACE(file.id);
        const auto entry = reader.find_entry(file.id).value();
        EXPECT_EQ(entry.namespace_id().value().as_str(), "eor/portal");
        EXPECT_EQ(entry.type_id, static_cast<std::uint32_t>(dat::file_type_in_dat(file.id, kind)));
        EXPECT_EQ(export_file(archive, file.id, out / "x.bin", {"--namespace", "eor/portal"}), file.data);
    }
}

TEST(SampleArchive, WeenieCommandsReadTheArchiveLikeTheDat) {
    const auto archive = (kSamples / support::kSampleArchiveName).string();
    const auto dat = (kSamples / "portal.dat").string();
    auto from_dat = support::run_tool({"weenie-find", dat, "500"}).out;
    ASSERT_NE(from_dat.find("Hit in table 0E000003\n"), std::string::npos);
    for (std::size_t at; (at = from_dat.find("Hit in table 0E")) != std::string::npos;) {
        from_dat.replace(at, 13, "Hit in table eor/portal:");
    }
    EXPECT_EQ(support::run_tool({"weenie-find", archive, "500"}).out, from_dat);
    EXPECT_EQ(support::run_tool({"weenie", archive, "0x0E000101"}).out,
              support::run_tool({"weenie", dat, "0x0E000101"}).out);
}

}  // namespace
