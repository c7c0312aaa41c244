// Cell landblocks and landblock infos (the same bytes tried as both).
#include <cstdint>
#include <span>

#include "common/math.hpp"
#include "dat/records/landblock.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    (void)dat::CellLandblock::unpack(bytes);
    if (auto info = dat::LandblockInfo::unpack(bytes)) {
        for (const auto& building : info->buildings) (void)common::diagnostic_text(building.frame.origin);
    }
    return 0;
}
