// LRS decompression of arbitrary bytes: never fails, never reads outside
// the input, never reserves more than the stream can produce.

#include <cstdint>
#include <span>

#include "dat/lrs.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto out = dat::decompress_lrs(std::span(data, size));
    if (out.size() > 9 * size) __builtin_trap();
    return 0;
}
