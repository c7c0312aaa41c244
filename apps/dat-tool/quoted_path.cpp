#include "quoted_path.hpp"

#include <algorithm>
#include <cstdint>
#include <span>

#include <fmt/format.h>

#include "common/utf8.hpp"

namespace app {
namespace {

struct CodePointRange {
    char32_t first;
    char32_t last;
};

constexpr CodePointRange kEscapedRanges[] = {
#include "escape_table.inc"
};

bool needs_unicode_escape(char32_t c) {
    const auto it = std::upper_bound(std::begin(kEscapedRanges), std::end(kEscapedRanges), c,
                                     [](char32_t value, const CodePointRange& r) { return value < r.first; });
    return it != std::begin(kEscapedRanges) && c <= std::prev(it)->last;
}

void append_escaped(std::string& out, char32_t c, std::string_view encoded) {
    switch (c) {
        case '"': out += "\\\""; return;
        case '\\': out += "\\\\"; return;
        case '\t': out += "\\t"; return;
        case '\n': out += "\\n"; return;
        case '\r': out += "\\r"; return;
        case '\0': out += "\\0"; return;
        default: break;
    }
    if (needs_unicode_escape(c)) {
        out += fmt::format("\\u{{{:x}}}", static_cast<std::uint32_t>(c));
    } else {
        out += encoded;
    }
}

}  // namespace

std::string quoted(std::string_view raw) {
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size());
    std::string out = "\"";
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto step = common::decode_utf8_step(bytes, at);
        if (step.valid) {
            append_escaped(out, step.code_point, raw.substr(at, step.length));
        } else {
            for (std::size_t i = 0; i < step.length; ++i) out += fmt::format("\\x{:02X}", bytes[at + i]);
        }
        at += step.length;
    }
    out += '"';
    return out;
}

std::string display_path(const std::filesystem::path& path) { return common::to_utf8_lossy(path.native()); }

}  // namespace app
