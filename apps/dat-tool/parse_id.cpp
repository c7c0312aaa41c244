#include "parse_id.hpp"

#include <span>

#include "common/utf8.hpp"

namespace app {
namespace {

bool is_unicode_white_space(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

std::span<const std::uint8_t> as_bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string_view trim_leading(std::string_view text) {
    while (!text.empty()) {
        const auto step = common::decode_utf8_step(as_bytes(text), 0);
        if (!step.valid || !is_unicode_white_space(step.code_point)) break;
        text.remove_prefix(step.length);
    }
    return text;
}

// The start of the code point that ends at `end` (text is valid UTF-8 here:
// trailing white space is only removed when it decodes cleanly).
std::string_view trim_trailing(std::string_view text) {
    while (!text.empty()) {
        std::size_t start = text.size() - 1;
        while (start > 0 && text.size() - start < 4 && (static_cast<std::uint8_t>(text[start]) & 0xC0) == 0x80) {
            --start;
        }
        const auto step = common::decode_utf8_step(as_bytes(text), start);
        if (!step.valid || start + step.length != text.size() || !is_unicode_white_space(step.code_point)) break;
        text.remove_suffix(step.length);
    }
    return text;
}

int digit_value(char c, unsigned radix) {
    int value = -1;
    if (c >= '0' && c <= '9') value = c - '0';
    else if (c >= 'a' && c <= 'z') value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'Z') value = c - 'A' + 10;
    return (value >= 0 && static_cast<unsigned>(value) < radix) ? value : -1;
}

}  // namespace

std::string_view describe(ParseIntError error) {
    switch (error) {
        case ParseIntError::Empty: return "cannot parse integer from empty string";
        case ParseIntError::InvalidDigit: return "invalid digit found in string";
        case ParseIntError::PosOverflow: return "number too large to fit in target type";
    }
    return {};
}

std::expected<std::uint32_t, ParseIntError> parse_u32_radix(std::string_view text, unsigned radix) {
    if (text.empty()) return std::unexpected(ParseIntError::Empty);
    std::string_view digits = text;
    if (digits.front() == '+' || digits.front() == '-') {
        if (digits.size() == 1 || digits.front() == '-') return std::unexpected(ParseIntError::InvalidDigit);
        digits.remove_prefix(1);
    }
    std::uint64_t value = 0;
    for (const char c : digits) {
        const int digit = digit_value(c, radix);
        if (digit < 0) return std::unexpected(ParseIntError::InvalidDigit);
        value = value * radix + static_cast<unsigned>(digit);
        if (value > UINT32_MAX) return std::unexpected(ParseIntError::PosOverflow);
    }
    return static_cast<std::uint32_t>(value);
}

std::expected<std::uint32_t, ParseIntError> parse_id_auto(std::string_view text) {
    const std::string_view trimmed = trim_trailing(trim_leading(text));
    if (trimmed.starts_with("0x") || trimmed.starts_with("0X")) return parse_u32_radix(trimmed.substr(2), 16);
    if (auto decimal = parse_u32_radix(trimmed, 10)) return decimal;
    return parse_u32_radix(trimmed, 16);
}

}  // namespace app
