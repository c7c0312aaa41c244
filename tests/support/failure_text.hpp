#pragma once
// The text of a failed result, for comparing in tests without touching the
// error of a result that unexpectedly succeeded.

#include <expected>
#include <string>

#include "dat/error.hpp"

namespace support {

inline constexpr const char* kSucceeded = "(succeeded)";

// DatError: its one-line message (record errors include their context lines).
template <class T>
std::string failure_text(const std::expected<T, dat::DatError>& result) {
    return result ? kSucceeded : result.error().message();
}

// RecordError: the base text, then the context lines, innermost first.
template <class T>
std::string failure_text(const std::expected<T, dat::RecordError>& result) {
    return result ? kSucceeded : result.error().describe();
}

}  // namespace support
