#pragma once
// Typed object properties: seven kinds of key, each a 32-bit number limited
// to its kind's known set, and the store that keeps one object's values.
// Numbers outside a kind's set are dropped silently, never stored.

#include <compare>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <variant>

namespace common {

// An inclusive range of valid key numbers.
struct KeyRange {
    std::uint32_t first;
    std::uint32_t last;
};

constexpr bool in_key_set(std::span<const KeyRange> ranges, std::uint32_t n) {
    for (const auto& r : ranges) {
        if (n >= r.first && n <= r.last) return true;
    }
    return false;
}

// A key of one kind; only numbers of the kind's set can become one.
template <class Kind>
class PropertyKey {
public:
    static constexpr bool is_valid(std::uint32_t n) { return in_key_set(Kind::valid_keys, n); }
    static constexpr std::optional<PropertyKey> from_repr(std::uint32_t n) {
        if (!is_valid(n)) return std::nullopt;
        return PropertyKey(n);
    }

    constexpr std::uint32_t repr() const { return number_; }
    friend constexpr auto operator<=>(const PropertyKey&, const PropertyKey&) = default;

private:
    explicit constexpr PropertyKey(std::uint32_t n) : number_(n) {}
    std::uint32_t number_;
};

namespace key_sets {
struct Int {
    static constexpr KeyRange valid_keys[] = {{1, 390}, {8007, 8007}, {8030, 8030}, {8041, 8043}, {9008, 9015}};
};
struct Int64 {
    static constexpr KeyRange valid_keys[] = {{1, 8}};
};
struct Bool {
    static constexpr KeyRange valid_keys[] = {{0, 130}, {9001, 9010}};
};
struct Float {
    static constexpr KeyRange valid_keys[] = {{0, 171}, {8004, 8004}, {8010, 8018}};
};
struct String {
    static constexpr KeyRange valid_keys[] = {{1, 52}, {8006, 8006}, {8031, 8032}, {9001, 9007}};
};
struct DataId {
    static constexpr KeyRange valid_keys[] = {{1, 61},       {8001, 8003}, {8005, 8005},
                                              {8009, 8009},  {8019, 8030}, {8044, 8044}};
};
struct InstanceId {
    static constexpr KeyRange valid_keys[] = {{1, 45}, {8000, 8000}, {8008, 8008}};
};
}  // namespace key_sets

using PropertyInt = PropertyKey<key_sets::Int>;
using PropertyInt64 = PropertyKey<key_sets::Int64>;
using PropertyBool = PropertyKey<key_sets::Bool>;
using PropertyFloat = PropertyKey<key_sets::Float>;
using PropertyString = PropertyKey<key_sets::String>;
using PropertyDataId = PropertyKey<key_sets::DataId>;
using PropertyInstanceId = PropertyKey<key_sets::InstanceId>;

// The alternatives of a PropertyUpdate: a typed key, or a raw number that
// is checked against the kind's set again when applied (`Known` names the
// typed alternative it becomes then).
namespace property_update {
struct Int { PropertyInt key; std::int32_t value; };
struct Int64 { PropertyInt64 key; std::int64_t value; };
struct Bool { PropertyBool key; bool value; };
struct Float { PropertyFloat key; double value; };
struct String { PropertyString key; std::string value; };
struct DataId { PropertyDataId key; std::uint32_t value; };
struct InstanceId { PropertyInstanceId key; std::uint32_t value; };
struct UnknownInt { using Known = Int; std::uint32_t key; std::int32_t value; };
struct UnknownInt64 { using Known = Int64; std::uint32_t key; std::int64_t value; };
struct UnknownBool { using Known = Bool; std::uint32_t key; bool value; };
struct UnknownFloat { using Known = Float; std::uint32_t key; double value; };
struct UnknownString { using Known = String; std::uint32_t key; std::string value; };
struct UnknownDataId { using Known = DataId; std::uint32_t key; std::uint32_t value; };
struct UnknownInstanceId { using Known = InstanceId; std::uint32_t key; std::uint32_t value; };
}  // namespace property_update

using PropertyUpdate =
    std::variant<property_update::Int, property_update::Int64, property_update::Bool, property_update::Float,
                 property_update::String, property_update::DataId, property_update::InstanceId,
                 property_update::UnknownInt, property_update::UnknownInt64, property_update::UnknownBool,
                 property_update::UnknownFloat, property_update::UnknownString, property_update::UnknownDataId,
                 property_update::UnknownInstanceId>;

class WorldObjectProperties {
public:
    std::map<PropertyInt, std::int32_t> int_properties;
    std::map<PropertyFloat, double> float_properties;
    std::map<PropertyString, std::string> string_properties;
    std::map<PropertyDataId, std::uint32_t> did_properties;
    std::map<PropertyInstanceId, std::uint32_t> iid_properties;
    std::map<PropertyBool, bool> bool_properties;
    std::map<PropertyInt64, std::int64_t> int64_properties;

    // Stores or replaces one value. An empty text or a zero id removes the
    // key instead; an unknown key number is discarded.
    void apply(PropertyUpdate update);

    void apply_raw_int(std::uint32_t key, std::int32_t value);
    void apply_raw_int64(std::uint32_t key, std::int64_t value);
    void apply_raw_bool(std::uint32_t key, bool value);
    void apply_raw_float(std::uint32_t key, double value);
    void apply_raw_string(std::uint32_t key, std::string value);
    void apply_raw_did(std::uint32_t key, std::uint32_t value);
    void apply_raw_iid(std::uint32_t key, std::uint32_t value);
};

}  // namespace common
