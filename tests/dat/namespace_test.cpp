#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "dat/namespace.hpp"

namespace {

using dat::ResourceNamespace;

// The message of a failed construction, or "" when it succeeded.
template <class Result>
std::string failure_of(const Result& result) {
    if (result) return "";
    EXPECT_EQ(result.error().kind(), dat::DatErrorKind::InvalidNamespace);
    return result.error().message();
}

std::array<std::uint8_t, 32> raw(std::initializer_list<std::uint8_t> head) {
    std::array<std::uint8_t, 32> bytes{};
    std::copy(head.begin(), head.end(), bytes.begin());
    return bytes;
}

TEST(ResourceNamespaceTest, NewChecksInOrder) {
    const std::string letters32(32, 'a');
    const std::string letters33(33, 'b');
    std::string nul32 = letters32;
    nul32[5] = '\0';
    std::string nul33 = letters33;
    nul33[5] = '\0';
    std::string two_byte_11, two_byte_17;
    for (int i = 0; i < 11; ++i) two_byte_11 += "\xC3\xA9";
    for (int i = 0; i < 17; ++i) two_byte_17 += "\xC3\xA9";

    struct Case {
        std::string label;
        std::string expected;  // "" = accepted
    };
    const std::vector<Case> cases = {
        {"", "Invalid namespace: namespace label cannot be empty"},
        {"eor/portal", ""},
        {letters32, ""},
        {letters33, "Invalid namespace: namespace label '" + letters33 + "' exceeds 32 bytes"},
        {nul32, "Invalid namespace: namespace label '" + nul32 + "' contains a NUL byte"},
        {nul33, "Invalid namespace: namespace label '" + nul33 + "' exceeds 32 bytes"},
        {two_byte_11, ""},
        {two_byte_17, "Invalid namespace: namespace label '" + two_byte_17 + "' exceeds 32 bytes"},
    };
    for (const auto& c : cases) {
        const auto made = ResourceNamespace::new_(c.label);
        EXPECT_EQ(failure_of(made), c.expected) << "label of " << c.label.size() << " bytes";
        if (made) {
            EXPECT_EQ(made->as_str(), c.label);
            EXPECT_TRUE(std::all_of(made->bytes().begin() + static_cast<std::ptrdiff_t>(c.label.size()),
                                    made->bytes().end(), [](std::uint8_t b) { return b == 0; }));
        }
    }
}

TEST(ResourceNamespaceTest, FromBytesChecksInOrder) {
    std::array<std::uint8_t, 32> full{};
    full.fill('z');
    struct Case {
        std::array<std::uint8_t, 32> bytes;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {raw({}), "Invalid namespace: namespace label cannot be empty"},
        {raw({0, 'x'}), "Invalid namespace: namespace bytes must be zero-padded without embedded trailing data"},
        {raw({'a', 0, 'b'}), "Invalid namespace: namespace bytes must be zero-padded without embedded trailing data"},
        // Padding is checked before the encoding.
        {raw({0xFF, 0, 1}), "Invalid namespace: namespace bytes must be zero-padded without embedded trailing data"},
        {raw({0xFF}), "Invalid namespace: namespace bytes are not valid UTF-8: invalid utf-8 sequence of 1 bytes from index 0"},
        {raw({0x61, 0xC3}), "Invalid namespace: namespace bytes are not valid UTF-8: incomplete utf-8 byte sequence from index 1"},
        {raw({'o', 'k', 0xE2, 0x82}), "Invalid namespace: namespace bytes are not valid UTF-8: incomplete utf-8 byte sequence from index 2"},
        {raw({'a', 'b', 'c', 0xE2, 0x28, 0xA1}), "Invalid namespace: namespace bytes are not valid UTF-8: invalid utf-8 sequence of 1 bytes from index 3"},
        {raw({'a', 0xF0, 0x9F, 0x98, 0x41}), "Invalid namespace: namespace bytes are not valid UTF-8: invalid utf-8 sequence of 3 bytes from index 1"},
        {raw({0xED, 0xA0, 0x80}), "Invalid namespace: namespace bytes are not valid UTF-8: invalid utf-8 sequence of 1 bytes from index 0"},
        {raw({0xE0, 0xA4, 0x41}), "Invalid namespace: namespace bytes are not valid UTF-8: invalid utf-8 sequence of 2 bytes from index 0"},
        {raw({'e', 'o', 'r', '/', 'c', 'e', 'l', 'l'}), ""},
        {full, ""},
    };
    for (const auto& c : cases) {
        const auto made = ResourceNamespace::from_bytes(c.bytes);
        EXPECT_EQ(failure_of(made), c.expected) << fmt::format("{::02X}", std::span(c.bytes).first(6));
        if (made) {
            EXPECT_EQ(made->bytes(), c.bytes);
        }
    }
}

TEST(ResourceNamespaceTest, FromBytesEqualsNewAndSortsBytewise) {
    auto cell = ResourceNamespace::from_bytes(raw({'e', 'o', 'r', '/', 'c', 'e', 'l', 'l'}));
    ASSERT_TRUE(cell);
    EXPECT_EQ(*cell, *ResourceNamespace::new_("eor/cell"));

    std::vector<ResourceNamespace> labels;
    for (const char* label : {"eor/portal", "eor", "eor/cell", "Eor", "eor/cell2"}) {
        labels.push_back(*ResourceNamespace::new_(label));
    }
    std::sort(labels.begin(), labels.end());
    std::vector<std::string> order;
    for (const auto& ns : labels) order.emplace_back(ns.as_str());
    EXPECT_EQ(order, (std::vector<std::string>{"Eor", "eor", "eor/cell", "eor/cell2", "eor/portal"}));
    // Non-ASCII bytes sort above ASCII (unsigned comparison).
    EXPECT_LT(*ResourceNamespace::new_("z"), *ResourceNamespace::new_("\xC3\xA9"));
}

TEST(ResourceNamespaceTest, PrintsTheLabelOnlyIgnoringWidth) {
    const auto ns = *ResourceNamespace::new_("eor/cell");
    EXPECT_EQ(fmt::format("[{}]", ns), "[eor/cell]");
    EXPECT_EQ(fmt::format("[{:>20}]", ns), "[eor/cell]");
    EXPECT_EQ(fmt::format("[{:*<12}]", ns), "[eor/cell]");
}

}  // namespace
