#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "dat/cursor.hpp"
#include "dat/records/geometry.hpp"
#include "support/failure_text.hpp"

namespace {

using Bytes = std::vector<std::uint8_t>;
using dat::ByteCursor;

// Each scalar read takes its width in little-endian order; reading from a
// buffer one byte too short fails with the short-read text and leaves the
// cursor at the end of the data.
TEST(ByteCursor, ReadsLittleEndianScalarsAndFailsWhenShort) {
    const Bytes data = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88};
    struct Case {
        const char* name;
        std::size_t width;
        std::function<double(ByteCursor&)> read;  // NaN on failure
        double value;
    };
    auto get = [](auto result) { return result ? static_cast<double>(*result) : std::nan(""); };
    const Case cases[] = {
        {"u8", 1, [&](ByteCursor& c) { return get(c.u8()); }, 0x01},
        {"u16", 2, [&](ByteCursor& c) { return get(c.u16()); }, 0x0201},
        {"u32", 4, [&](ByteCursor& c) { return get(c.u32()); }, 0x04030201},
        {"u64", 8, [&](ByteCursor& c) { return get(c.u64()); }, static_cast<double>(0x8807060504030201ULL)},
        {"i16", 2, [&](ByteCursor& c) { return get(c.i16()); }, 0x0201},
        {"i32", 4, [&](ByteCursor& c) { return get(c.i32()); }, 0x04030201},
        {"i64", 8, [&](ByteCursor& c) { return get(c.i64()); }, static_cast<double>(static_cast<std::int64_t>(0x8807060504030201ULL))},
    };
    for (const auto& c : cases) {
        ByteCursor whole(data);
        EXPECT_EQ(c.read(whole), c.value) << c.name;
        EXPECT_EQ(whole.position(), c.width) << c.name;

        ByteCursor cut{std::span(data).first(c.width - 1)};
        EXPECT_TRUE(std::isnan(c.read(cut))) << c.name;
        EXPECT_EQ(cut.position(), c.width - 1) << c.name;
    }

    const Bytes floats = {0x00, 0x00, 0x20, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x3F};
    ByteCursor c(floats);
    EXPECT_EQ(c.f32().value(), -2.5F);
    EXPECT_EQ(c.f64().value(), 1.5);
    EXPECT_EQ(support::failure_text(c.f32()), "failed to fill whole buffer");
}

TEST(ByteCursor, AlignmentStepsMoveWithoutReading) {
    const Bytes data(6, 0xAB);
    ByteCursor c(data);
    EXPECT_TRUE(c.skip_to_multiple_of(4).has_value());
    EXPECT_EQ(c.position(), 0u);
    c.seek(5);
    EXPECT_TRUE(c.skip_to_multiple_of(4).has_value());
    EXPECT_EQ(c.position(), 8u);  // past the end is allowed
    EXPECT_EQ(c.remaining(), 0u);
    EXPECT_FALSE(c.u8().has_value());
    EXPECT_TRUE(c.skip(100).has_value());
    EXPECT_TRUE(c.bytes(0).has_value());
    EXPECT_FALSE(c.bytes(1).has_value());

    // A cursor opened at an offset aligns relative to the start of the data.
    ByteCursor offset(data, 2);
    EXPECT_TRUE(offset.skip_to_multiple_of(4).has_value());
    EXPECT_EQ(offset.position(), 4u);
}

TEST(ByteCursor, ReadFieldAddsContextInnermostFirst) {
    const Bytes data = {0x01};
    ByteCursor c(data);
    auto result = dat::read_field("Outer", "inner", [&] {
        return dat::read_field("Inner", "value", [&] { return c.u32(); });
    });
    EXPECT_EQ(support::failure_text(result),
              "failed to fill whole buffer\n"
              "While parsing field 'value' in Inner\n"
              "While parsing field 'inner' in Outer");
}

std::vector<std::uint8_t> floats_le(std::initializer_list<float> values) {
    std::vector<std::uint8_t> out;
    for (const float v : values) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(&v);
        out.insert(out.end(), p, p + 4);
    }
    return out;
}

TEST(GeometryReaders, ReadComponentsInStoredOrder) {
    const auto bytes = floats_le({1.0F, 2.0F, 3.0F, 0.5F, 0.25F, 0.125F, 0.0625F});
    ByteCursor c(bytes);
    EXPECT_EQ(dat::read_vector3(c).value(), (common::Vector3{1.0F, 2.0F, 3.0F}));
    const auto q = dat::read_quaternion(c).value();
    EXPECT_EQ(q.w, 0.5F);
    EXPECT_EQ(q.x, 0.25F);
    EXPECT_EQ(q.y, 0.125F);
    EXPECT_EQ(q.z, 0.0625F);
}

TEST(GeometryReaders, NameTheFieldThatRanOut) {
    const auto bytes = floats_le({1.0F, 2.0F, 3.0F});
    const char* vector_fields[] = {"x", "y", "z"};
    for (std::size_t cut = 0; cut < 12; ++cut) {
        ByteCursor c{std::span(bytes).first(cut)};
        const auto result = dat::read_vector3(c);
        ASSERT_FALSE(result.has_value());
        EXPECT_TRUE(result.error().is_short_read());
        EXPECT_EQ(result.error().context(),
                  std::vector<std::string>{std::string("While parsing field '") + vector_fields[cut / 4] + "' in Vector3"});
    }
    const auto rotation = floats_le({1.0F, 2.0F, 3.0F, 4.0F});
    const char* rotation_fields[] = {"w", "x", "y", "z"};
    for (std::size_t cut = 0; cut < 16; ++cut) {
        ByteCursor c{std::span(rotation).first(cut)};
        EXPECT_EQ(support::failure_text(dat::read_quaternion(c)), std::string("failed to fill whole buffer\nWhile parsing field '") +
                                        rotation_fields[cut / 4] + "' in Quaternion");
    }
}

}  // namespace
