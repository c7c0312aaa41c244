#pragma once
// A validated resource namespace label, held in the 32-byte zero-padded form
// that archives store, so it compares, sorts and hashes as raw bytes.

#include <array>
#include <compare>
#include <cstdint>
#include <cstring>
#include <functional>
#include <span>
#include <string_view>

#include <fmt/format.h>

#include "dat/error.hpp"

namespace dat {

class ResourceNamespace {
public:
    static constexpr std::size_t kSize = 32;
    using Raw = std::array<std::uint8_t, kSize>;

    // Checks, in order: empty, longer than 32 bytes, contains a zero byte.
    static Expected<ResourceNamespace> new_(std::string_view label);
    // Checks, in order: zero padding, empty, valid UTF-8.
    static Expected<ResourceNamespace> from_bytes(std::span<const std::uint8_t, kSize> bytes);

    std::string_view as_str() const;
    const Raw& bytes() const { return bytes_; }

    friend bool operator==(const ResourceNamespace&, const ResourceNamespace&) = default;
    friend std::strong_ordering operator<=>(const ResourceNamespace& a, const ResourceNamespace& b) {
        const int c = std::memcmp(a.bytes_.data(), b.bytes_.data(), kSize);
        return c < 0 ? std::strong_ordering::less : c > 0 ? std::strong_ordering::greater : std::strong_ordering::equal;
    }

private:
    explicit ResourceNamespace(const Raw& bytes) : bytes_(bytes) {}
    Raw bytes_{};
};

}  // namespace dat

template <>
struct std::hash<dat::ResourceNamespace> {
    std::size_t operator()(const dat::ResourceNamespace& ns) const noexcept {
        return std::hash<std::string_view>{}(
            std::string_view(reinterpret_cast<const char*>(ns.bytes().data()), ns.bytes().size()));
    }
};

// Printing writes the label only; width and fill are not applied.
template <>
struct fmt::formatter<dat::ResourceNamespace> {
    constexpr auto parse(fmt::format_parse_context& ctx) {
        auto it = ctx.begin();
        while (it != ctx.end() && *it != '}') ++it;
        return it;
    }
    template <class Context>
    auto format(const dat::ResourceNamespace& ns, Context& ctx) const {
        return fmt::format_to(ctx.out(), "{}", ns.as_str());
    }
};
