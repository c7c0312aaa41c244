#include "dat/records/weenie.hpp"

#include <functional>

#include "dat/records/text.hpp"

namespace dat {
namespace {

using common::WorldObjectProperties;

// A section: a u16 entry count, then that many entries. Weenie failures
// carry no field line, only the short-read text.
template <class ReadEntry>
RecordResult<void> read_section(ByteCursor& cursor, ReadEntry read_entry) {
    auto count = cursor.u16();
    if (!count) return std::unexpected(count.error());
    for (std::uint32_t i = 0; i < *count; ++i) {
        if (auto entry = read_entry(); !entry) return entry;
    }
    return {};
}

// Entries of a key (u32) and one value read with `read_value`, handed to
// `store` (one of the store's raw entry points).
template <class ReadValue, class Store>
RecordResult<void> read_scalar_section(ByteCursor& cursor, ReadValue read_value, Store store) {
    return read_section(cursor, [&]() -> RecordResult<void> {
        auto key = cursor.u32();
        if (!key) return std::unexpected(key.error());
        auto value = std::invoke(read_value, cursor);
        if (!value) return std::unexpected(value.error());
        store(*key, *value);
        return {};
    });
}

RecordResult<void> read_string_section(ByteCursor& cursor, WorldObjectProperties& properties) {
    return read_section(cursor, [&]() -> RecordResult<void> {
        auto key = cursor.u32();
        if (!key) return std::unexpected(key.error());
        auto text = read_pstring(cursor, 2);
        if (!text) return std::unexpected(text.error());
        properties.apply_raw_string(*key, std::move(*text));
        return cursor.skip_to_multiple_of(4);
    });
}

// The seven sections in their stored order; the first failure ends the record.
RecordResult<void> read_properties(ByteCursor& cursor, WorldObjectProperties& p) {
    using C = ByteCursor;
    const std::function<RecordResult<void>()> sections[] = {
        [&] { return read_scalar_section(cursor, &C::i32, [&](auto k, auto v) { p.apply_raw_int(k, v); }); },
        [&] { return read_scalar_section(cursor, &C::i64, [&](auto k, auto v) { p.apply_raw_int64(k, v); }); },
        [&] { return read_scalar_section(cursor, &C::u8, [&](auto k, auto v) { p.apply_raw_bool(k, v != 0); }); },
        [&] { return read_scalar_section(cursor, &C::f64, [&](auto k, auto v) { p.apply_raw_float(k, v); }); },
        [&] { return read_string_section(cursor, p); },
        [&] { return read_scalar_section(cursor, &C::u32, [&](auto k, auto v) { p.apply_raw_did(k, v); }); },
        [&] { return read_scalar_section(cursor, &C::u32, [&](auto k, auto v) { p.apply_raw_iid(k, v); }); },
    };
    for (const auto& section : sections) {
        if (auto read = section(); !read) return read;
    }
    return {};
}

}  // namespace

Expected<Weenie> Weenie::unpack(std::span<const std::uint8_t> bytes) {
    ByteCursor cursor(bytes);
    return unpack_from_reader(cursor);
}

Expected<Weenie> Weenie::unpack_from_reader(ByteCursor& cursor) {
    Weenie weenie;
    auto wcid = cursor.u32();
    if (!wcid) return fail(wcid.error());
    auto weenie_type = cursor.u32();
    if (!weenie_type) return fail(weenie_type.error());
    if (auto unused = cursor.u32(); !unused) return fail(unused.error());
    weenie.wcid = *wcid;
    weenie.weenie_type = *weenie_type;
    if (auto read = read_properties(cursor, weenie.properties); !read) return fail(read.error());
    return weenie;
}

std::optional<std::string> Weenie::name() const {
    const auto& strings = properties.string_properties;
    const auto found = strings.find(*common::PropertyString::from_repr(kNameKey));
    if (found == strings.end()) return std::nullopt;
    return found->second;
}

std::optional<std::uint32_t> Weenie::icon_id() const {
    const auto& ids = properties.did_properties;
    const auto found = ids.find(*common::PropertyDataId::from_repr(kIconKey));
    if (found == ids.end()) return std::nullopt;
    return found->second;
}

Expected<WeenieTable> WeenieTable::unpack(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kHeaderSize) return fail(RecordError::short_read());
    ByteCursor cursor(bytes);
    WeenieTable table;
    table.id = cursor.u32().value();
    const std::uint16_t count = cursor.u16().value();
    cursor.seek(kHeaderSize);
    for (std::uint32_t i = 0; i < count; ++i) {
        auto key = cursor.u32();
        if (!key) return fail(key.error());
        auto weenie = Weenie::unpack_from_reader(cursor);
        if (!weenie) return fail(std::move(weenie.error()));
        table.weenies.insert_or_assign(*key, std::move(*weenie));
    }
    return table;
}

}  // namespace dat
