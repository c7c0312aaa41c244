#include "common/utf8.hpp"

#include <string>

namespace common {
namespace {

bool in_range(std::uint8_t b, std::uint8_t lo, std::uint8_t hi) { return b >= lo && b <= hi; }

// Valid range of the second byte for a lead byte, per the Unicode table of
// well-formed sequences.
bool second_byte_ok(std::uint8_t lead, std::uint8_t second) {
    switch (lead) {
        case 0xE0: return in_range(second, 0xA0, 0xBF);
        case 0xED: return in_range(second, 0x80, 0x9F);
        case 0xF0: return in_range(second, 0x90, 0xBF);
        case 0xF4: return in_range(second, 0x80, 0x8F);
        default: return in_range(second, 0x80, 0xBF);
    }
}

std::size_t sequence_width(std::uint8_t lead) {
    if (lead < 0x80) return 1;
    if (in_range(lead, 0xC2, 0xDF)) return 2;
    if (in_range(lead, 0xE0, 0xEF)) return 3;
    if (in_range(lead, 0xF0, 0xF4)) return 4;
    return 0;
}

}  // namespace

std::string Utf8Error::describe() const {
    if (error_len) {
        return "invalid utf-8 sequence of " + std::to_string(*error_len) + " bytes from index " +
               std::to_string(valid_up_to);
    }
    return "incomplete utf-8 byte sequence from index " + std::to_string(valid_up_to);
}

Utf8Step decode_utf8_step(std::span<const std::uint8_t> bytes, std::size_t at) {
    const std::size_t size = bytes.size();
    const std::uint8_t lead = bytes[at];
    const std::size_t width = sequence_width(lead);
    if (width == 1) return {true, lead, 1, false};
    if (width == 0) return {false, 0, 1, false};

    char32_t cp = lead & (0xFF >> (width + 1));
    for (std::size_t i = 1; i < width; ++i) {
        if (at + i >= size) return {false, 0, i, true};
        const std::uint8_t b = bytes[at + i];
        const bool ok = (i == 1) ? second_byte_ok(lead, b) : in_range(b, 0x80, 0xBF);
        if (!ok) return {false, 0, i, false};
        cp = (cp << 6) | (b & 0x3F);
    }
    return {true, cp, width, false};
}

std::optional<Utf8Error> validate_utf8(std::span<const std::uint8_t> bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const Utf8Step step = decode_utf8_step(bytes, at);
        if (!step.valid) {
            Utf8Error error{at, std::nullopt};
            if (!step.incomplete) error.error_len = step.length;
            return error;
        }
        at += step.length;
    }
    return std::nullopt;
}

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string to_utf8_lossy(std::string_view text) {
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < bytes.size()) {
        const Utf8Step step = decode_utf8_step(bytes, at);
        if (step.valid) {
            out.append(text.substr(at, step.length));
        } else {
            out.append("\xEF\xBF\xBD");
        }
        at += step.length;
    }
    return out;
}

}  // namespace common
