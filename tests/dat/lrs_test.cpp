#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dat/lrs.hpp"
#include "support/lrs_compressor.hpp"
#include "support/records.hpp"

namespace {

using dat::Bytes;

Bytes bytes(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

Bytes text(std::string_view s) { return Bytes(s.begin(), s.end()); }

TEST(LrsTest, DecodesHandWrittenStreams) {
    struct Case {
        const char* what;
        Bytes input;
        Bytes expected;
    };
    const std::vector<Case> cases = {
        {"declared size reached before the last literal", bytes({5, 0, 0, 0, 0x00, 'a', 'b', 'c', 'd', 'e', 'f'}),
         text("abcde")},
        {"overlapping reference repeats its pattern", bytes({6, 0, 0, 0, 0x20, 'a', 'b', 0x02, 0x02}), text("ababab")},
        {"distance 0 ends the stream at once", bytes({10, 0, 0, 0, 0x80, 0x00, 0x00}), {}},
        {"stream ends before the declared size", bytes({2, 0, 0, 0, 0x00, 'a'}), text("a")},
        {"shorter than the size field: unchanged", bytes({'a', 'b', 'c'}), text("abc")},
        {"empty input", {}, {}},
        {"declared size 0", bytes({0, 0, 0, 0, 0x00, 'a'}), {}},
        {"ends right after a flag byte", bytes({9, 0, 0, 0, 0x00, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0x00}),
         text("abcdefgh")},
        {"only a flag byte", bytes({9, 0, 0, 0, 0x00}), {}},
        {"reference cut short by the end", bytes({9, 0, 0, 0, 0x40, 'a', 0x01}), text("a")},
        {"reference with no output yet stops", bytes({9, 0, 0, 0, 0x80, 0x01, 0x00, 'a'}), {}},
        {"distance beyond the output copies the first byte", bytes({6, 0, 0, 0, 0x20, 'x', 'y', 0xFF, 0x02}),
         text("xyxxxx")},
        {"12-bit distance takes the high nibble of the second byte", bytes({4, 0, 0, 0, 0x20, 'p', 'q', 0x01, 0x10}),
         text("pqpp")},
        {"copy stops at the declared size", bytes({5, 0, 0, 0, 0x40, 'z', 0x01, 0x0F}), text("zzzzz")},
        {"second group after eight tokens",
         bytes({10, 0, 0, 0, 0x00, '0', '1', '2', '3', '4', '5', '6', '7', 0x80, 0x08, 0x00}), text("0123456701")},
    };
    for (const auto& c : cases) EXPECT_EQ(dat::decompress_lrs(c.input), c.expected) << c.what;
}

TEST(LrsTest, HugeDeclaredSizeYieldsOnlyWhatTheStreamHolds) {
    // 4 GiB declared, three literals present: no reservation of the declared size.
    const Bytes out = dat::decompress_lrs(bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x00, 'a', 'b', 'c'}));
    EXPECT_EQ(out, text("abc"));
    EXPECT_LT(out.capacity(), 1024u);
}

TEST(LrsTest, RoundTripsThroughTheCompressor) {
    std::vector<Bytes> inputs = {
        {},
        text("a"),
        text("aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"),
        support::repetitive_bytes(10000, 7),
        support::pattern_bytes(5000, 3),
        support::pcm_tone(3000),
    };
    // Matches far back in the window: a block repeated after 4000 bytes of noise.
    Bytes far = support::pattern_bytes(300, 11);
    const Bytes noise = support::pattern_bytes(3790, 12);
    far.insert(far.end(), noise.begin(), noise.end());
    far.insert(far.end(), far.begin(), far.begin() + 300);
    inputs.push_back(far);

    for (const auto& input : inputs) {
        for (bool marker : {true, false}) {
            const Bytes packed = support::compress_lrs(input, {.end_marker = marker});
            EXPECT_EQ(dat::decompress_lrs(packed), input) << input.size() << " bytes, marker " << marker;
        }
    }
    const Bytes repetitive = support::repetitive_bytes(10000, 7);
    EXPECT_LT(support::compress_lrs(repetitive).size(), repetitive.size() / 2) << "the compressor finds matches";
}

}  // namespace
