#pragma once
// Weenie templates: one record is a class id, a type number and seven
// sections of typed properties. A table file holds many records, each
// behind its key. Only the properties the store accepts are kept.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>

#include "common/properties.hpp"
#include "dat/cursor.hpp"
#include "dat/error.hpp"

namespace dat {

struct Weenie {
    static constexpr std::uint32_t kNameKey = 1;     // String property
    static constexpr std::uint32_t kIconKey = 8;     // DataId property

    common::WorldObjectProperties properties;
    std::uint32_t wcid = 0;
    std::uint32_t weenie_type = 0;

    // One record from the start of `bytes`.
    static Expected<Weenie> unpack(std::span<const std::uint8_t> bytes);
    // One record from the cursor's position, leaving the cursor after it.
    // Padding after each string aligns the cursor's position, which counts
    // from the start of the bytes the cursor was opened on.
    static Expected<Weenie> unpack_from_reader(ByteCursor& cursor);

    std::optional<std::string> name() const;
    std::optional<std::uint32_t> icon_id() const;
};

struct WeenieTable {
    // Table id (u32), count (u16), an unused u16, then count × (key, record).
    static constexpr std::size_t kHeaderSize = 8;

    std::unordered_map<std::uint32_t, Weenie> weenies;  // a repeated key keeps the later record
    std::uint32_t id = 0;

    static Expected<WeenieTable> unpack(std::span<const std::uint8_t> bytes);
};

}  // namespace dat
