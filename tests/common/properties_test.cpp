#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "common/properties.hpp"

namespace {

using common::WorldObjectProperties;
namespace pu = common::property_update;

constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();

// Each kind's key set, probed at both sides of every range boundary, through
// both the membership test and the raw entry point that must store exactly
// the valid keys.
struct KeySetCase {
    const char* kind;
    bool (*is_valid)(std::uint32_t);
    void (*store)(WorldObjectProperties&, std::uint32_t);
    std::size_t (*stored)(const WorldObjectProperties&);
    std::vector<std::uint32_t> valid;
    std::vector<std::uint32_t> invalid;
};

const KeySetCase kKeySets[] = {
    {"Int", common::PropertyInt::is_valid, [](WorldObjectProperties& p, std::uint32_t k) { p.apply_raw_int(k, 5); },
     [](const WorldObjectProperties& p) { return p.int_properties.size(); },
     {1, 390, 8007, 8030, 8041, 8042, 8043, 9008, 9015},
     {0, 391, 8006, 8008, 8029, 8031, 8040, 8044, 9007, 9016, kMax}},
    {"Int64", common::PropertyInt64::is_valid,
     [](WorldObjectProperties& p, std::uint32_t k) { p.apply_raw_int64(k, 1); },
     [](const WorldObjectProperties& p) { return p.int64_properties.size(); },
     {1, 8},
     {0, 9, kMax}},
    {"Bool", common::PropertyBool::is_valid,
     [](WorldObjectProperties& p, std::uint32_t k) { p.apply_raw_bool(k, true); },
     [](const WorldObjectProperties& p) { return p.bool_properties.size(); },
     {0, 130, 9001, 9010},
     {131, 9000, 9011, kMax}},
    {"Float", common::PropertyFloat::is_valid,
     [](WorldObjectProperties& p, std::uint32_t k) { p.apply_raw_float(k, 1.5); },
     [](const WorldObjectProperties& p) { return p.float_properties.size(); },
     {0, 171, 8004, 8010, 8018},
     {172, 8003, 8005, 8009, 8019, kMax}},
    {"String", common::PropertyString::is_valid,
     [](WorldObjectProperties& p, std::uint32_t k) { p.apply_raw_string(k, "abc"); },
     [](const WorldObjectProperties& p) { return p.string_properties.size(); },
     {1, 52, 8006, 8031, 8032, 9001, 9007},
     {0, 53, 8005, 8007, 8030, 8033, 9000, 9008, kMax}},
    {"DataId", common::PropertyDataId::is_valid,
     [](WorldObjectProperties& p, std::uint32_t k) { p.apply_raw_did(k, 0x06001234); },
     [](const WorldObjectProperties& p) { return p.did_properties.size(); },
     {1, 61, 8001, 8002, 8003, 8005, 8009, 8019, 8030, 8044},
     {0, 62, 8000, 8004, 8006, 8008, 8010, 8018, 8031, 8043, 8045, kMax}},
    {"InstanceId", common::PropertyInstanceId::is_valid,
     [](WorldObjectProperties& p, std::uint32_t k) { p.apply_raw_iid(k, 5); },
     [](const WorldObjectProperties& p) { return p.iid_properties.size(); },
     {1, 45, 8000, 8008},
     {0, 46, 7999, 8001, 8007, 8009, kMax}},
};

TEST(PropertyKeys, EachKindAcceptsExactlyItsKeySet) {
    for (const auto& c : kKeySets) {
        for (const auto n : c.valid) {
            EXPECT_TRUE(c.is_valid(n)) << c.kind << " " << n;
            WorldObjectProperties p;
            c.store(p, n);
            EXPECT_EQ(c.stored(p), 1u) << c.kind << " " << n;
        }
        for (const auto n : c.invalid) {
            EXPECT_FALSE(c.is_valid(n)) << c.kind << " " << n;
            WorldObjectProperties p;
            c.store(p, n);
            EXPECT_EQ(c.stored(p), 0u) << c.kind << " " << n;
        }
    }
    EXPECT_EQ(common::PropertyDataId::from_repr(8)->repr(), 8u);
    EXPECT_FALSE(common::PropertyInstanceId::from_repr(46).has_value());
}

TEST(WorldObjectProperties, LaterValuesReplaceEarlierOnes) {
    WorldObjectProperties p;
    p.apply_raw_int(25, 7);
    p.apply_raw_int(25, 9);
    ASSERT_EQ(p.int_properties.size(), 1u);
    EXPECT_EQ(p.int_properties.at(*common::PropertyInt::from_repr(25)), 9);

    p.apply_raw_string(3, "old");
    p.apply_raw_string(3, "new");
    EXPECT_EQ(p.string_properties.at(*common::PropertyString::from_repr(3)), "new");
}

TEST(WorldObjectProperties, EmptyTextsAndZeroIdsRemoveTheKey) {
    WorldObjectProperties p;
    p.apply_raw_string(1, "");
    EXPECT_TRUE(p.string_properties.empty());
    p.apply_raw_string(1, "abc");
    p.apply_raw_string(1, "");
    EXPECT_TRUE(p.string_properties.empty());

    p.apply_raw_did(8, 0);
    EXPECT_TRUE(p.did_properties.empty());
    p.apply_raw_did(8, 0x06001234);
    p.apply_raw_did(8, 0);
    EXPECT_TRUE(p.did_properties.empty());

    p.apply_raw_iid(8000, 5);
    p.apply_raw_iid(8000, 0);
    EXPECT_TRUE(p.iid_properties.empty());

    // Zero is an ordinary value for the other kinds.
    p.apply_raw_int(1, 0);
    p.apply_raw_bool(0, false);
    p.apply_raw_float(0, 0.0);
    p.apply_raw_int64(1, 0);
    EXPECT_EQ(p.int_properties.size() + p.bool_properties.size() + p.float_properties.size() +
                  p.int64_properties.size(),
              4u);
}

TEST(WorldObjectProperties, UnknownUpdatesApplyOnlyWhenTheNumberIsValid) {
    WorldObjectProperties p;
    p.apply(pu::UnknownInt{25, 1});
    p.apply(pu::UnknownInt{391, 1});
    p.apply(pu::UnknownString{1, "abc"});
    p.apply(pu::UnknownString{53, "dropped"});
    p.apply(pu::UnknownDataId{8, 0x06000001});
    p.apply(pu::UnknownInstanceId{46, 5});
    p.apply(pu::UnknownBool{0, true});
    p.apply(pu::UnknownFloat{172, 1.0});
    p.apply(pu::UnknownInt64{8, -1});
    EXPECT_EQ(p.int_properties.size(), 1u);
    EXPECT_EQ(p.string_properties.size(), 1u);
    EXPECT_EQ(p.did_properties.size(), 1u);
    EXPECT_TRUE(p.iid_properties.empty());
    EXPECT_EQ(p.bool_properties.size(), 1u);
    EXPECT_TRUE(p.float_properties.empty());
    EXPECT_EQ(p.int64_properties.at(*common::PropertyInt64::from_repr(8)), -1);

    // A valid unknown update follows the removal rules too.
    p.apply(pu::UnknownString{1, ""});
    p.apply(pu::UnknownDataId{8, 0});
    EXPECT_TRUE(p.string_properties.empty());
    EXPECT_TRUE(p.did_properties.empty());
}

TEST(WorldObjectProperties, TypedUpdatesMatchTheRawEntryPoints) {
    WorldObjectProperties typed;
    typed.apply(pu::Float{*common::PropertyFloat::from_repr(8004), 2.5});
    typed.apply(pu::InstanceId{*common::PropertyInstanceId::from_repr(8008), 7});
    WorldObjectProperties raw;
    raw.apply_raw_float(8004, 2.5);
    raw.apply_raw_iid(8008, 7);
    EXPECT_EQ(typed.float_properties, raw.float_properties);
    EXPECT_EQ(typed.iid_properties, raw.iid_properties);
}

TEST(WorldObjectProperties, IteratesInAscendingKeyOrder) {
    WorldObjectProperties p;
    for (const std::uint32_t key : {9015u, 3u, 8030u, 390u, 1u}) p.apply_raw_int(key, static_cast<std::int32_t>(key));
    std::vector<std::uint32_t> keys;
    for (const auto& [key, value] : p.int_properties) keys.push_back(key.repr());
    EXPECT_EQ(keys, (std::vector<std::uint32_t>{1, 3, 390, 8030, 9015}));
}

}  // namespace
