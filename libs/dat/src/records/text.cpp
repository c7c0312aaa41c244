#include "dat/records/text.hpp"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <vector>

#include <fmt/format.h>

#include "common/utf8.hpp"

namespace dat {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// windows-1252 as the web defines it: 0x80–0x9F map to these code points
// (five of them to the C1 control of the same value); every other byte is
// the code point of the same value.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::string decode_windows_1252(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const std::uint8_t b : bytes) {
        const char32_t cp = (b >= 0x80 && b <= 0x9F) ? kWindows1252High[b - 0x80] : char32_t{b};
        common::append_utf8(out, cp);
    }
    return out;
}

std::string decode_utf8(std::span<const std::uint8_t> bytes) {
    return common::to_utf8_lossy(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string decode_utf16(std::span<const std::uint8_t> bytes, bool big_endian) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t at = 0;
    auto unit_at = [&](std::size_t i) -> char16_t {
        return big_endian ? static_cast<char16_t>((bytes[i] << 8) | bytes[i + 1])
                          : static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    };
    while (at + 1 < bytes.size()) {
        const char16_t unit = unit_at(at);
        at += 2;
        if (unit < 0xD800 || unit > 0xDFFF) {
            common::append_utf8(out, unit);
        } else if (unit >= 0xDC00) {
            common::append_utf8(out, kReplacement);  // a trail surrogate with no lead
        } else if (at + 1 < bytes.size() && unit_at(at) >= 0xDC00 && unit_at(at) <= 0xDFFF) {
            const char16_t trail = unit_at(at);
            at += 2;
            common::append_utf8(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (char32_t{trail} - 0xDC00));
        } else if (at + 1 >= bytes.size()) {
            // A lead surrogate at the end, with or without an odd byte after
            // it: one error for both, as the web's decoder reports it.
            common::append_utf8(out, kReplacement);
            return out;
        } else {
            // A lead surrogate not followed by a trail: the next unit is
            // decoded on its own.
            common::append_utf8(out, kReplacement);
        }
    }
    if (at < bytes.size()) common::append_utf8(out, kReplacement);  // odd trailing byte
    return out;
}

bool starts_with(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> mark) {
    return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
}

}  // namespace

std::string decode_text(std::span<const std::uint8_t> bytes) {
    if (starts_with(bytes, {0xEF, 0xBB, 0xBF})) return decode_utf8(bytes.subspan(3));
    if (starts_with(bytes, {0xFF, 0xFE})) return decode_utf16(bytes.subspan(2), false);
    if (starts_with(bytes, {0xFE, 0xFF})) return decode_utf16(bytes.subspan(2), true);
    return decode_windows_1252(bytes);
}

RecordResult<std::string> read_pstring(ByteCursor& cursor, std::uint32_t length_size) {
    std::uint64_t length = 0;
    switch (length_size) {
        case 1: {
            auto n = cursor.u8();
            if (!n) return std::unexpected(n.error());
            length = *n;
            break;
        }
        case 2: {
            auto n = cursor.u16();
            if (!n) return std::unexpected(n.error());
            length = *n;
            break;
        }
        case 4: {
            auto n = cursor.u32();
            if (!n) return std::unexpected(n.error());
            length = *n;
            break;
        }
        default:
            return std::unexpected(
                RecordError::message(fmt::format("Unsupported PString length size at 0x{:X}", cursor.position())));
    }
    if (length == 0) return std::string();
    // The cursor checks the length against what is left before anything is
    // copied, so a damaged length never drives an allocation.
    auto text = cursor.bytes(length);
    if (!text) return std::unexpected(text.error());
    return decode_text(*text);
}

RecordResult<std::string> read_obfuscated_string(ByteCursor& cursor) {
    auto length = cursor.u16();
    if (!length) return std::unexpected(length.error());
    if (*length == 0) return std::string();
    auto stored = cursor.bytes(*length);
    if (!stored) return std::unexpected(stored.error());
    std::vector<std::uint8_t> plain(stored->begin(), stored->end());
    for (auto& b : plain) b = static_cast<std::uint8_t>((b << 4) | (b >> 4));
    return decode_text(plain);
}

}  // namespace dat
