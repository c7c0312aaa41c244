#pragma once
// UTF-8 validation and decoding with the maximal-subpart rule: an invalid
// sequence is reported with the number of bytes it spans (1 to 3), and a
// sequence cut short by the end of the input is reported as incomplete.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace common {

struct Utf8Error {
    std::size_t valid_up_to = 0;           // leading bytes that are valid UTF-8
    std::optional<std::size_t> error_len;  // absent: input ends inside a sequence

    // "invalid utf-8 sequence of 2 bytes from index 5" or
    // "incomplete utf-8 byte sequence from index 5".
    std::string describe() const;
};

// One step of decoding: either a code point and its encoded length, or an
// invalid/incomplete sequence of `length` bytes.
struct Utf8Step {
    bool valid = false;
    char32_t code_point = 0;
    std::size_t length = 0;   // bytes consumed (always >= 1 unless at end)
    bool incomplete = false;  // invalid because the input ended
};

Utf8Step decode_utf8_step(std::span<const std::uint8_t> bytes, std::size_t at);

std::optional<Utf8Error> validate_utf8(std::span<const std::uint8_t> bytes);
inline std::optional<Utf8Error> validate_utf8(std::string_view text) {
    return validate_utf8(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}
inline bool is_valid_utf8(std::string_view text) { return !validate_utf8(text).has_value(); }

// Replaces every maximal invalid subpart by U+FFFD.
std::string to_utf8_lossy(std::string_view bytes);

void append_utf8(std::string& out, char32_t code_point);

}  // namespace common
