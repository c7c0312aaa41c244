// parse_id_auto and the radix parser on arbitrary text.
#include <cstdint>
#include <string_view>

#include "parse_id.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)app::parse_id_auto(text);
    (void)app::parse_u32_radix(text, 16);
    return 0;
}
