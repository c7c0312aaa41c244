#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>

#include "common/math.hpp"

namespace {

using common::diagnostic_float;

TEST(DiagnosticFloat, WritesShortestDigitsWithAPointOrAnExponent) {
    struct Case {
        float value;
        const char* text;
    };
    const Case cases[] = {
        // integers keep one digit after the point
        {0.0F, "0.0"},
        {1.0F, "1.0"},
        {-3.0F, "-3.0"},
        {100.0F, "100.0"},
        {16777216.0F, "16777216.0"},
        {1e15F, "1000000000000000.0"},
        // fractions: the shortest digits that read back to the same float
        {2.5F, "2.5"},
        {-2.5F, "-2.5"},
        {0.1F, "0.1"},
        {0.3F, "0.3"},
        {12.5F, "12.5"},
        {123456.789F, "123456.79"},
        {1.0F / 3.0F, "0.33333334"},
        // the small threshold: the float nearest 1e-4 is still positional
        {1e-4F, "0.0001"},
        {std::nextafter(1e-4F, 0.0F), "9.999999e-5"},
        {1e-5F, "1e-5"},
        {-1.5e-7F, "-1.5e-7"},
        {std::numeric_limits<float>::denorm_min(), "1e-45"},
        {std::numeric_limits<float>::min(), "1.1754944e-38"},
        // the large threshold
        {std::nextafter(1e16F, 0.0F), "9999999000000000.0"},
        {1e16F, "1e16"},
        {-1e16F, "-1e16"},
        {2.5e20F, "2.5e20"},
        {std::numeric_limits<float>::max(), "3.4028235e38"},
        // signs and specials
        {-0.0F, "-0.0"},
        {std::numeric_limits<float>::infinity(), "inf"},
        {-std::numeric_limits<float>::infinity(), "-inf"},
        {std::numeric_limits<float>::quiet_NaN(), "NaN"},
        {-std::numeric_limits<float>::quiet_NaN(), "NaN"},
    };
    for (const auto& c : cases) EXPECT_EQ(diagnostic_float(c.value), c.text) << "bits " << std::bit_cast<std::uint32_t>(c.value);
}

TEST(DiagnosticFloat, EveryTextReadsBackToTheSameFloat) {
    std::mt19937 random(20240611);
    for (int i = 0; i < 200000; ++i) {
        const auto bits = static_cast<std::uint32_t>(random());
        const float value = std::bit_cast<float>(bits);
        const std::string text = diagnostic_float(value);
        if (std::isnan(value)) {
            ASSERT_EQ(text, "NaN");
            continue;
        }
        char* end = nullptr;
        const float back = std::strtof(text.c_str(), &end);
        ASSERT_EQ(*end, '\0') << text;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(back), bits) << text;

        const float magnitude = std::fabs(value);
        const bool exponent = std::isfinite(value) && (magnitude >= 1e16F || (magnitude != 0.0F && magnitude < 1e-4F));
        ASSERT_EQ(text.find('e') != std::string::npos, exponent) << text;
        if (!exponent && std::isfinite(value)) {
            const auto point = text.find('.');
            ASSERT_NE(point, std::string::npos) << text;
            ASSERT_LT(point + 1, text.size()) << text;
        }
    }
}

TEST(Vector3Text, NamesEachComponent) {
    EXPECT_EQ(common::diagnostic_text({1.0F, 2.0F, 3.0F}), "Vector3 { x: 1.0, y: 2.0, z: 3.0 }");
    EXPECT_EQ(common::diagnostic_text({12.5F, 0.0F, -3.0F}), "Vector3 { x: 12.5, y: 0.0, z: -3.0 }");
    EXPECT_EQ(common::diagnostic_text({1e-5F, -0.0F, 2.5e20F}), "Vector3 { x: 1e-5, y: -0.0, z: 2.5e20 }");
}

}  // namespace
