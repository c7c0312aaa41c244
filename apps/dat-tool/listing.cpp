#include "listing.hpp"

#include <algorithm>
#include <cstdint>

namespace app {
namespace {

constexpr std::size_t kTypeWidth = 25;
constexpr std::size_t kZraTypeWidth = 28;
constexpr std::size_t kSizeWidth = 10;

char* put(char* at, std::string_view text) { return std::copy(text.begin(), text.end(), at); }

char* put_hex8(char* at, std::uint32_t value) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    for (int i = 7; i >= 0; --i) {
        at[i] = kDigits[value & 0xF];
        value >>= 4;
    }
    return at + 8;
}

// Upper-case hexadecimal of at least `min_digits` digits.
char* put_hex_min(char* at, std::uint64_t value, int min_digits) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    int digits = 1;
    while (digits < 16 && (value >> (4 * digits)) != 0) ++digits;
    if (digits < min_digits) digits = min_digits;
    for (int i = digits - 1; i >= 0; --i) {
        at[i] = kDigits[value & 0xF];
        value >>= 4;
    }
    return at + digits;
}

char* put_padded(char* at, std::string_view text, std::size_t width) {
    at = put(at, text);
    return std::fill_n(at, width - std::min(width, text.size()), ' ');
}

// Decimal, left-aligned and blank-padded to at least `width` characters.
char* put_decimal_padded(char* at, std::uint32_t value, std::size_t width) {
    char digits[10];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (std::size_t i = 0; i < count; ++i) *at++ = digits[count - 1 - i];
    for (std::size_t i = count; i < width; ++i) *at++ = ' ';
    return at;
}

}  // namespace

void append_dat_list_line(std::string& out, const dat::DatFileEntry& entry, std::string_view type_label) {
    constexpr std::size_t kFixed = 8 + 3 + 9 + kSizeWidth + 11 + 8 + 10 + 8 + 1;
    const std::size_t start = out.size();
    out.resize(start + kFixed + std::max(kTypeWidth, type_label.size()));
    char* at = out.data() + start;
    at = put_hex8(at, entry.id);
    at = put(at, " - ");
    at = put(at, type_label);
    at = std::fill_n(at, kTypeWidth - std::min(kTypeWidth, type_label.size()), ' ');
    at = put(at, " - Size: ");
    at = put_decimal_padded(at, entry.size, kSizeWidth);
    at = put(at, " - Offset: ");
    at = put_hex8(at, entry.offset);
    at = put(at, " - Flags: ");
    at = put_hex8(at, entry.bit_flags);
    *at++ = '\n';
    out.resize(static_cast<std::size_t>(at - out.data()));
}

void append_zra_list_line(std::string& out, std::string_view namespace_label, const dat::ZraEntry& entry,
                          std::string_view type_label) {
    constexpr std::size_t kFixed = 1 + 8 + 3 + 9 + kSizeWidth + 11 + 16 + 10 + 2 + 1;
    const std::size_t start = out.size();
    out.resize(start + kFixed + namespace_label.size() + std::max(kZraTypeWidth, type_label.size()));
    char* at = out.data() + start;
    at = put(at, namespace_label);
    *at++ = ':';
    at = put_hex8(at, entry.file_id);
    at = put(at, " - ");
    at = put_padded(at, type_label, kZraTypeWidth);
    at = put(at, " - Size: ");
    at = put_decimal_padded(at, entry.size, kSizeWidth);
    at = put(at, " - Offset: ");
    at = put_hex_min(at, entry.offset, 8);
    at = put(at, " - Flags: ");
    at = put_hex_min(at, entry.flags, 2);
    *at++ = '\n';
    out.resize(static_cast<std::size_t>(at - out.data()));
}

}  // namespace app
