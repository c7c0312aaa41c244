#include "common/properties.hpp"

#include "common/overloaded.hpp"

#include <type_traits>
#include <utility>

namespace common {
namespace {

namespace pu = property_update;

template <class Key, class Value>
void store(std::map<Key, Value>& map, Key key, Value value) {
    map.insert_or_assign(key, std::move(value));
}

// Empty texts are never kept: they remove the key.
void store_text(std::map<PropertyString, std::string>& map, PropertyString key, std::string text) {
    if (text.empty()) {
        map.erase(key);
    } else {
        map.insert_or_assign(key, std::move(text));
    }
}

// Zero ids are never kept: they remove the key.
template <class Key>
void store_id(std::map<Key, std::uint32_t>& map, Key key, std::uint32_t id) {
    if (id == 0) {
        map.erase(key);
    } else {
        map.insert_or_assign(key, id);
    }
}

// The typed update when the number is a valid key of the kind, else the
// unknown one.
template <class Unknown, class Value>
PropertyUpdate classify(std::uint32_t number, Value value) {
    using Known = typename Unknown::Known;
    using Key = decltype(Known::key);
    if (auto key = Key::from_repr(number)) return Known{*key, std::move(value)};
    return Unknown{number, std::move(value)};
}

}  // namespace

void WorldObjectProperties::apply(PropertyUpdate update) {
    std::visit(overloaded{
                   [&](pu::Int& u) { store(int_properties, u.key, u.value); },
                   [&](pu::Int64& u) { store(int64_properties, u.key, u.value); },
                   [&](pu::Bool& u) { store(bool_properties, u.key, u.value); },
                   [&](pu::Float& u) { store(float_properties, u.key, u.value); },
                   [&](pu::String& u) { store_text(string_properties, u.key, std::move(u.value)); },
                   [&](pu::DataId& u) { store_id(did_properties, u.key, u.value); },
                   [&](pu::InstanceId& u) { store_id(iid_properties, u.key, u.value); },
                   // Every Unknown alternative: applied as the typed one when
                   // its number is valid after all, otherwise dropped.
                   [&](auto& unknown) {
                       using Known = typename std::remove_reference_t<decltype(unknown)>::Known;
                       using Key = decltype(Known::key);
                       if (auto key = Key::from_repr(unknown.key)) apply(Known{*key, std::move(unknown.value)});
                   },
               },
               update);
}

void WorldObjectProperties::apply_raw_int(std::uint32_t key, std::int32_t value) {
    apply(classify<pu::UnknownInt>(key, value));
}
void WorldObjectProperties::apply_raw_int64(std::uint32_t key, std::int64_t value) {
    apply(classify<pu::UnknownInt64>(key, value));
}
void WorldObjectProperties::apply_raw_bool(std::uint32_t key, bool value) {
    apply(classify<pu::UnknownBool>(key, value));
}
void WorldObjectProperties::apply_raw_float(std::uint32_t key, double value) {
    apply(classify<pu::UnknownFloat>(key, value));
}
void WorldObjectProperties::apply_raw_string(std::uint32_t key, std::string value) {
    apply(classify<pu::UnknownString>(key, std::move(value)));
}
void WorldObjectProperties::apply_raw_did(std::uint32_t key, std::uint32_t value) {
    apply(classify<pu::UnknownDataId>(key, value));
}
void WorldObjectProperties::apply_raw_iid(std::uint32_t key, std::uint32_t value) {
    apply(classify<pu::UnknownInstanceId>(key, value));
}

}  // namespace common
