#pragma once
// Conversion of the numbers a user types: file ids, and the hexadecimal
// parts of names that zra-pack reads.

#include <cstdint>
#include <expected>
#include <string_view>

namespace app {

enum class ParseIntError { Empty, InvalidDigit, PosOverflow };

std::string_view describe(ParseIntError error);

// An unsigned 32-bit number in base 10 or 16: one optional leading "+",
// then digits of the base; the first bad digit or overflow decides.
std::expected<std::uint32_t, ParseIntError> parse_u32_radix(std::string_view text, unsigned radix);

// Trims white space; "0x"/"0X" means hexadecimal; otherwise decimal when
// the text is a decimal number, else hexadecimal.
std::expected<std::uint32_t, ParseIntError> parse_id_auto(std::string_view text);

}  // namespace app
