#include "dat/namespace.hpp"

#include <algorithm>

#include "common/utf8.hpp"

namespace dat {

Expected<ResourceNamespace> ResourceNamespace::new_(std::string_view label) {
    if (label.empty()) return fail(DatError::invalid_namespace("namespace label cannot be empty"));
    if (label.size() > kSize) {
        return fail(DatError::invalid_namespace(fmt::format("namespace label '{}' exceeds {} bytes", label, kSize)));
    }
    if (label.find('\0') != std::string_view::npos) {
        return fail(DatError::invalid_namespace(fmt::format("namespace label '{}' contains a NUL byte", label)));
    }
    Raw raw{};
    std::memcpy(raw.data(), label.data(), label.size());
    return ResourceNamespace(raw);
}

Expected<ResourceNamespace> ResourceNamespace::from_bytes(std::span<const std::uint8_t, kSize> bytes) {
    const auto first_zero = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    const auto length = static_cast<std::size_t>(first_zero - bytes.begin());
    if (std::any_of(first_zero, bytes.end(), [](std::uint8_t b) { return b != 0; })) {
        return fail(DatError::invalid_namespace("namespace bytes must be zero-padded without embedded trailing data"));
    }
    if (length == 0) return fail(DatError::invalid_namespace("namespace label cannot be empty"));
    if (auto error = common::validate_utf8(bytes.first(length))) {
        return fail(DatError::invalid_namespace("namespace bytes are not valid UTF-8: " + error->describe()));
    }
    Raw raw{};
    std::copy(bytes.begin(), bytes.end(), raw.begin());
    return ResourceNamespace(raw);
}

std::string_view ResourceNamespace::as_str() const {
    const auto* begin = reinterpret_cast<const char*>(bytes_.data());
    return std::string_view(begin, strnlen(begin, kSize));
}

}  // namespace dat
