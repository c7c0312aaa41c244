#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>

#include <nlohmann/json.hpp>

#include "tools/json_writer.hpp"

namespace {

using tools::json::Array;
using tools::json::Null;
using tools::json::Object;
using tools::json::Value;

std::string pretty(const Value& value) {
    auto text = tools::json::write_pretty(value);
    EXPECT_TRUE(text.has_value()) << (text ? "" : text.error().message);
    return text.value_or("");
}

std::string number(double value) {
    std::string out;
    tools::json::append_number(out, value);
    return out;
}

TEST(JsonWriter, PrettyLayout) {
    const Value document = Object{
        {"empty_array", Array{}},
        {"empty_object", Object{}},
        {"list", Array{1u, "x", Null{}, 0.5, Object{{"inner", Array{2u}}}}},
        {"max", std::numeric_limits<std::uint64_t>::max()},
    };
    EXPECT_EQ(pretty(document),
              "{\n"
              "  \"empty_array\": [],\n"
              "  \"empty_object\": {},\n"
              "  \"list\": [\n"
              "    1,\n"
              "    \"x\",\n"
              "    null,\n"
              "    0.5,\n"
              "    {\n"
              "      \"inner\": [\n"
              "        2\n"
              "      ]\n"
              "    }\n"
              "  ],\n"
              "  \"max\": 18446744073709551615\n"
              "}");
    EXPECT_EQ(pretty(Array{}), "[]");
    EXPECT_EQ(pretty(Object{}), "{}");
    EXPECT_EQ(pretty(Null{}), "null");
}

TEST(JsonWriter, EscapesStringsAndKeepsUtf8) {
    std::string every_control;
    for (int c = 0; c < 0x20; ++c) every_control += static_cast<char>(c);
    EXPECT_EQ(pretty(Value(every_control)),
              "\"\\u0000\\u0001\\u0002\\u0003\\u0004\\u0005\\u0006\\u0007\\b\\t\\n\\u000b\\f\\r\\u000e\\u000f"
              "\\u0010\\u0011\\u0012\\u0013\\u0014\\u0015\\u0016\\u0017\\u0018\\u0019\\u001a\\u001b\\u001c\\u001d"
              "\\u001e\\u001f\"");
    const std::string mixed = "say \"hi\" \\ back\x7F caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 /";
    EXPECT_EQ(pretty(Value(mixed)), "\"say \\\"hi\\\" \\\\ back\x7F caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 /\"");
    EXPECT_EQ(pretty(Object{{"k\"\n", 1u}}), "{\n  \"k\\\"\\n\": 1\n}");

    // A real parser reads every string back unchanged.
    const Value round_trip = Object{{"controls", every_control}, {mixed, mixed}};
    const auto parsed = nlohmann::json::parse(pretty(round_trip));
    EXPECT_EQ(parsed.at("controls").get<std::string>(), every_control);
    EXPECT_EQ(parsed.at(mixed).get<std::string>(), mixed);
}

TEST(JsonWriter, RejectsInvalidUtf8) {
    auto value = tools::json::write_pretty(Array{"ok", "bad \xFF"});
    ASSERT_FALSE(value.has_value());
    EXPECT_EQ(value.error().message, "string is not valid UTF-8: invalid utf-8 sequence of 1 bytes from index 4");
    EXPECT_FALSE(tools::json::write_pretty(Object{{"\xC3", 1u}}).has_value());
}

TEST(JsonWriter, NumbersUseTheShortestRoundTripForm) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.0, "0.0"},
        {-0.0, "-0.0"},
        {1.0, "1.0"},
        {-3.0, "-3.0"},
        {0.5, "0.5"},
        {2.5, "2.5"},
        {100.0, "100.0"},
        {123.456, "123.456"},
        {0.1, "0.1"},
        {static_cast<double>(0.1f), "0.10000000149011612"},
        {static_cast<double>(3.4028235e38f), "3.4028234663852886e38"},
        {1e15, "1000000000000000.0"},
        {1.5e15, "1500000000000000.0"},
        {1e16, "1e16"},
        {2.5e20, "2.5e20"},
        {1e-5, "0.00001"},
        {1.25e-5, "0.0000125"},
        {1e-6, "1e-6"},
        {-2.5e-7, "-2.5e-7"},
        {1.7976931348623157e308, "1.7976931348623157e308"},
        {5e-324, "5e-324"},
        {std::numeric_limits<double>::quiet_NaN(), "null"},
        {std::numeric_limits<double>::infinity(), "null"},
        {-std::numeric_limits<double>::infinity(), "null"},
    };
    for (const auto& c : cases) EXPECT_EQ(number(c.value), c.text) << c.text;
}

// Checks that `text` reads back to `value` and that no decimal with one
// significant digit fewer does: the correctly rounded one is the closest.
void expect_shortest(double value, const std::string& text) {
    ASSERT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
    ASSERT_EQ(nlohmann::json::parse(text).get<double>(), value) << text;
    std::string significant;
    for (const char c : text.substr(0, text.find('e'))) {
        if (c >= '0' && c <= '9') significant += c;
    }
    significant.erase(0, significant.find_first_not_of('0'));
    significant.erase(significant.find_last_not_of('0') + 1);
    const std::size_t digits = significant.size();
    if (digits <= 1) return;
    char shorter[64];
    std::snprintf(shorter, sizeof shorter, "%.*e", static_cast<int>(digits) - 2, value);
    ASSERT_NE(std::strtod(shorter, nullptr), value) << text << " could be " << shorter;
}

TEST(JsonWriter, WidenedRandomFloatsAreShortestAndExact) {
    std::mt19937 random(20240611);
    int checked = 0;
    while (checked < 200000) {
        const float f = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        if (!std::isfinite(f)) continue;
        const double d = f;
        expect_shortest(d, number(d));
        if (HasFatalFailure()) return;
        ++checked;
    }
}

TEST(JsonWriter, RandomDoublesAreShortestAndExact) {
    std::mt19937_64 random(77);
    int checked = 0;
    while (checked < 50000) {
        const double d = std::bit_cast<double>(static_cast<std::uint64_t>(random()));
        if (!std::isfinite(d)) continue;
        expect_shortest(d, number(d));
        if (HasFatalFailure()) return;
        ++checked;
    }
}

}  // namespace
