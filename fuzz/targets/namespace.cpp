// ResourceNamespace from stored bytes and from labels.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "dat/namespace.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::array<std::uint8_t, 32> raw{};
    std::copy_n(data, std::min<std::size_t>(size, raw.size()), raw.begin());
    if (auto ns = dat::ResourceNamespace::from_bytes(raw)) {
        // A stored namespace that validates must round-trip through its label.
        auto again = dat::ResourceNamespace::new_(ns->as_str());
        if (!again || *again != *ns) __builtin_trap();
    }
    (void)dat::ResourceNamespace::new_(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
