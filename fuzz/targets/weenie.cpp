// Weenie records and weenie tables.
#include <cstdint>
#include <span>

#include "dat/records/weenie.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    if (auto weenie = dat::Weenie::unpack(bytes)) {
        (void)weenie->name();
        (void)weenie->icon_id();
    }
    (void)dat::WeenieTable::unpack(bytes);
    return 0;
}
