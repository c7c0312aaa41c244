#pragma once
// Steps every container command shares.

#include <cstdint>
#include <expected>
#include <string_view>

#include "parse_id.hpp"
#include "report.hpp"

namespace app {

// The id typed by the user; a bad id is reported with the parser's message
// and no cause.
inline std::expected<std::uint32_t, Failure> id_argument(std::string_view text) {
    auto id = parse_id_auto(text);
    if (!id) return std::unexpected(Failure::message(std::string(describe(id.error()))));
    return *id;
}

}  // namespace app
