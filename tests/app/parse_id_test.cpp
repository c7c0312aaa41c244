#include <gtest/gtest.h>

#include "parse_id.hpp"

namespace {

struct IdCase {
    const char* text;
    std::uint32_t value;
};

TEST(ParseIdAuto, AcceptsDecimalHexAndPrefixedForms) {
    const IdCase cases[] = {
        {"10", 0x0A},
        {"1F", 0x1F},
        {"06000040", 0x005B8DA8},  // decimal digits only: decimal
        {"0x06000040", 0x06000040},
        {"0X06000040", 0x06000040},
        {" 0x1f ", 0x1F},
        {"\t\n10\r", 10},
        {"\xC2\xA0" "12\xE3\x80\x80", 12},  // no-break space and ideographic space trim too
        {"+10", 10},
        {"0x+1F", 0x1F},
        {"+1F", 0x1F},
        {"4294967295", 0xFFFFFFFF},
        {"FFFFFFFF", 0xFFFFFFFF},
        {"0", 0},
        {"00000000000000000012", 12},
        {"abc", 0xABC},
    };
    for (const auto& c : cases) {
        auto parsed = app::parse_id_auto(c.text);
        ASSERT_TRUE(parsed.has_value()) << c.text;
        EXPECT_EQ(*parsed, c.value) << c.text;
    }
}

struct ErrorCase {
    const char* text;
    const char* message;
};

TEST(ParseIdAuto, ReportsTheErrorOfTheLastStepTried) {
    const ErrorCase cases[] = {
        {"", "cannot parse integer from empty string"},
        {"   ", "cannot parse integer from empty string"},
        {"0x", "cannot parse integer from empty string"},
        {"0X", "cannot parse integer from empty string"},
        {"+", "invalid digit found in string"},
        {"-", "invalid digit found in string"},
        {"-1", "invalid digit found in string"},
        {"0x-1", "invalid digit found in string"},
        {"12G", "invalid digit found in string"},
        {"1 2", "invalid digit found in string"},
        {"0x0x1", "invalid digit found in string"},
        {"++1", "invalid digit found in string"},
        {"FFFFFFFFF", "number too large to fit in target type"},
        {"4294967296", "number too large to fit in target type"},  // decimal overflows, hex overflows too
        {"0x100000000", "number too large to fit in target type"},
        {"99999999999G", "number too large to fit in target type"},  // overflow comes before the bad digit
    };
    for (const auto& c : cases) {
        auto parsed = app::parse_id_auto(c.text);
        ASSERT_FALSE(parsed.has_value()) << c.text;
        EXPECT_EQ(app::describe(parsed.error()), c.message) << c.text;
    }
}

TEST(ParseU32Radix, HexNamesOfPackedFiles) {
    EXPECT_EQ(app::parse_u32_radix("000000001", 16).value(), 1u);
    EXPECT_EQ(app::parse_u32_radix("+1A", 16).value(), 0x1Au);
    EXPECT_EQ(app::parse_u32_radix("123456789", 16).error(), app::ParseIntError::PosOverflow);
    EXPECT_EQ(app::parse_u32_radix("-1A", 16).error(), app::ParseIntError::InvalidDigit);
    EXPECT_EQ(app::parse_u32_radix("", 16).error(), app::ParseIntError::Empty);
    EXPECT_EQ(app::parse_u32_radix("1a", 10).error(), app::ParseIntError::InvalidDigit);
}

}  // namespace
