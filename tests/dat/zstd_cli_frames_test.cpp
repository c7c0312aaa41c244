// Frames made by the zstd program read back as compressed entries.

#include <gtest/gtest.h>

#include <algorithm>

#include <fmt/format.h>
#include <fmt/ranges.h>
#include <zstd.h>

#include "dat/archive/reader.hpp"
#include "support/archive_builder.hpp"
#include "support/zstd_cli.hpp"

namespace {

using dat::Bytes;

Bytes read_back(const Bytes& frames, std::uint32_t size) {
    auto built = support::ArchiveBuilder()
                     .add_entry({"eor/portal", 0x0E00000E, 0x0E, frames, size, dat::kZraFlagCompressed})
                     .build();
    auto reader = dat::ZraReader::from_source(std::make_unique<dat::MemorySource>(built.bytes)).value();
    auto data = reader.read_entry_data(reader.find_entry(0x0E00000E).value());
    if (!data) ADD_FAILURE() << data.error().message();
    return data.value_or(Bytes{});
}

TEST(ZstdCliFrames, ReadBackAtEveryLevelChecksumAndContentSizeSetting) {
    if (!support::zstd_cli()) GTEST_SKIP() << "zstd is not installed";
    Bytes noise(40'000);
    std::uint32_t state = 3;
    for (auto& b : noise) b = static_cast<std::uint8_t>((state = state * 1664525u + 1013904223u) >> 24);
    const std::vector<std::pair<const char*, Bytes>> inputs = {
        {"multi-block", support::patterned_bytes(400'000)}, {"tiny", Bytes{'a', 'b', 'c'}}, {"noise", noise}};
    const std::vector<std::vector<std::string>> settings = {
        {"-1"}, {"-3"}, {"-9", "--no-check"}, {"-19", "-C"}, {"-3", "--no-content-size"},
        {"-5", "--no-content-size", "--no-check"}, {"--ultra", "-22", "--long=27"}};
    for (const auto& [name, data] : inputs) {
        for (const auto& args : settings) {
            for (bool from_stdin : {false, true}) {
                SCOPED_TRACE(fmt::format("{} {} {}", name, fmt::join(args, " "), from_stdin ? "stdin" : "file"));
                const Bytes frame = support::zstd_cli_compress(data, args, from_stdin);
                const bool sized = !from_stdin && std::find(args.begin(), args.end(), "--no-content-size") == args.end();
                EXPECT_EQ(ZSTD_getFrameContentSize(frame.data(), frame.size()) != ZSTD_CONTENTSIZE_UNKNOWN, sized);
                EXPECT_EQ(read_back(frame, static_cast<std::uint32_t>(data.size())), data);
            }
        }
    }
}

TEST(ZstdCliFrames, ConcatenatedFramesReadBackAsOneResource) {
    if (!support::zstd_cli()) GTEST_SKIP() << "zstd is not installed";
    const Bytes a = support::patterned_bytes(150'000, 4);
    const Bytes b = support::patterned_bytes(1'000, 5);
    Bytes frames = support::zstd_cli_compress(a, {"-3"});
    const Bytes second = support::zstd_cli_compress(b, {"-12", "--no-check"}, true);
    frames.insert(frames.end(), second.begin(), second.end());
    Bytes ab = a;
    ab.insert(ab.end(), b.begin(), b.end());
    EXPECT_EQ(read_back(frames, static_cast<std::uint32_t>(ab.size())), ab);
}

}  // namespace
