#include <gtest/gtest.h>

#include <vector>

#include "common/utf8.hpp"
#include "dat/records/text.hpp"
#include "support/failure_text.hpp"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string decode(const Bytes& bytes) { return dat::decode_text(bytes); }

TEST(DecodeText, Windows1252MapsEveryHighControlByteLikeTheWeb) {
    // The 32 bytes 0x80..0x9F, each with its expected code point.
    const char32_t expected[32] = {0x20AC, 0x81,   0x201A, 0x192,  0x201E, 0x2026, 0x2020, 0x2021,
                                   0x2C6,  0x2030, 0x160,  0x2039, 0x152,  0x8D,   0x17D,  0x8F,
                                   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x2DC,  0x2122, 0x161,  0x203A, 0x153,  0x9D,   0x17E,  0x178};
    for (int b = 0x80; b <= 0x9F; ++b) {
        std::string want;
        common::append_utf8(want, expected[b - 0x80]);
        EXPECT_EQ(decode({static_cast<std::uint8_t>(b)}), want) << "byte " << b;
    }
    EXPECT_EQ(decode({0x41, 0x00, 0xE9, 0xFF}), std::string("A\0\xC3\xA9\xC3\xBF", 6));
    EXPECT_EQ(decode({}), "");
}

TEST(DecodeText, ByteOrderMarksSelectTheEncoding) {
    struct Case {
        Bytes bytes;
        std::string text;
    };
    const Case cases[] = {
        {{0xEF, 0xBB, 0xBF, 0xC3, 0xA9}, "\xC3\xA9"},
        {{0xEF, 0xBB, 0xBF, 0xC3, 0x41, 0xE2, 0x82}, "\xEF\xBF\xBD" "A\xEF\xBF\xBD"},  // malformed UTF-8
        {{0xEF, 0xBB}, "\xC3\xAF\xC2\xBB"},                                              // no full mark: 1252
        {{0xFF, 0xFE, 0x41, 0x00, 0xAC, 0x20}, "A\xE2\x82\xAC"},
        {{0xFE, 0xFF, 0x00, 0x41, 0x20, 0xAC}, "A\xE2\x82\xAC"},
        {{0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE}, "\xF0\x9F\x98\x80"},                      // surrogate pair
        {{0xFF, 0xFE, 0x3D, 0xD8, 0x41, 0x00}, "\xEF\xBF\xBD" "A"},                      // lone lead
        {{0xFF, 0xFE, 0x00, 0xDE, 0x41, 0x00}, "\xEF\xBF\xBD" "A"},                      // lone trail
        {{0xFF, 0xFE, 0x3D, 0xD8}, "\xEF\xBF\xBD"},                                      // lead at end
        {{0xFF, 0xFE, 0x3D, 0xD8, 0x41}, "\xEF\xBF\xBD"},                                // lead, odd byte: one error
        {{0xFE, 0xFF, 0xD8, 0x3D, 0x00}, "\xEF\xBF\xBD"},
        {{0xFE, 0xFF, 0xD8, 0x3D, 0xD8, 0x3D, 0xDE, 0x00}, "\xEF\xBF\xBD\xF0\x9F\x98\x80"},  // lead, then a pair
        {{0xFF, 0xFE, 0x41, 0x00, 0x42}, "A\xEF\xBF\xBD"},                               // odd trailing byte
        {{0xFF, 0xFE}, ""},
        {{0xFF, 0xFE, 0x00, 0x00}, std::string("\0", 1)},
    };
    for (const auto& c : cases) EXPECT_EQ(decode(c.bytes), c.text);
}

TEST(ReadPString, ReadsEachLengthWidth) {
    const Bytes two = {0x03, 0x00, 'A', 'B', 'C'};
    dat::ByteCursor c2(two);
    EXPECT_EQ(dat::read_pstring(c2, 2).value(), "ABC");

    const Bytes four = {0x04, 0x00, 0x00, 0x00, 0x80, 0xE9, 0x41, 0x42};
    dat::ByteCursor c4(four);
    EXPECT_EQ(dat::read_pstring(c4, 4).value(), "\xE2\x82\xAC\xC3\xA9" "AB");

    const Bytes one = {0x00, 0x01, 'x'};
    dat::ByteCursor c1(one);
    EXPECT_EQ(dat::read_pstring(c1, 1).value(), "");
    EXPECT_EQ(dat::read_pstring(c1, 1).value(), "x");
}

TEST(ReadPString, RejectsBadWidthAndShortData) {
    const Bytes bytes = {0x03, 0x00, 'A', 'B'};
    dat::ByteCursor bad_width(bytes);
    EXPECT_NE(support::failure_text(dat::read_pstring(bad_width, 3)).find("Unsupported PString length size"),
              std::string::npos);
    EXPECT_EQ(bad_width.position(), 0u);

    dat::ByteCursor short_text(bytes);
    EXPECT_EQ(support::failure_text(dat::read_pstring(short_text, 2)), "failed to fill whole buffer");
    EXPECT_EQ(short_text.position(), bytes.size());

    // A huge declared length fails without trying to hold it.
    const Bytes huge = {0xFF, 0xFF, 0xFF, 0xFF, 'A'};
    dat::ByteCursor huge_cursor(huge);
    EXPECT_FALSE(dat::read_pstring(huge_cursor, 4).has_value());
}

TEST(ReadObfuscatedString, SwapsNibbles) {
    const Bytes ok = {0x02, 0x00, 0x14, 0x24};
    dat::ByteCursor c(ok);
    EXPECT_EQ(dat::read_obfuscated_string(c).value(), "AB");
    EXPECT_EQ(c.position(), 4u);

    const Bytes cut = {0x05, 0x00, 0x14, 0x24};
    dat::ByteCursor c2(cut);
    EXPECT_EQ(support::failure_text(dat::read_obfuscated_string(c2)), "failed to fill whole buffer");

    const Bytes one_byte = {0x05};
    dat::ByteCursor c3(one_byte);
    EXPECT_FALSE(dat::read_obfuscated_string(c3).has_value());
}

}  // namespace
