#include "dat/lrs.hpp"

#include <algorithm>
#include <cstring>

namespace dat {
namespace {

constexpr std::size_t kSizeField = 4;
// The most output one stream byte can yield: a two-byte reference copies at
// most 17 bytes. Bounds the reservation by what the stream can produce.
constexpr std::uint64_t kMaxOutputPerStreamByte = 9;

struct BackReference {
    std::size_t distance;
    std::size_t length;
};

BackReference decode_reference(std::uint8_t b0, std::uint8_t b1) {
    return {static_cast<std::size_t>(b0 | ((b1 & 0xF0) << 4)), static_cast<std::size_t>((b1 & 0x0F) + 2)};
}

// Appends `length` bytes copied from `distance` back, one at a time so that
// an overlapping copy repeats its pattern. A distance past the start of the
// output takes the first byte.
void copy_back(Bytes& out, BackReference ref, std::size_t limit) {
    for (std::size_t n = 0; n < ref.length && out.size() < limit; ++n) {
        const std::size_t from = ref.distance > out.size() ? 0 : out.size() - ref.distance;
        out.push_back(out[from]);
    }
}

}  // namespace

Bytes decompress_lrs(std::span<const std::uint8_t> input) {
    if (input.size() < kSizeField) return Bytes(input.begin(), input.end());
    std::uint32_t declared;
    std::memcpy(&declared, input.data(), kSizeField);
    if (declared == 0) return {};

    const auto stream = input.subspan(kSizeField);
    const std::size_t limit = declared;
    Bytes out;
    out.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(limit, stream.size() * kMaxOutputPerStreamByte)));

    std::size_t i = 0;
    unsigned mask = 0;
    std::uint8_t flags = 0;
    while (i < stream.size()) {
        if (mask == 0) {
            flags = stream[i++];
            mask = 0x80;
            if (i == stream.size()) break;
        }
        if ((flags & mask) == 0) {
            out.push_back(stream[i++]);
        } else {
            if (stream.size() - i < 2) break;
            const BackReference ref = decode_reference(stream[i], stream[i + 1]);
            // Distance 0 is the end marker; with no output yet there is
            // nothing a reference could copy, so the stream is over too.
            if (ref.distance == 0 || out.empty()) break;
            i += 2;
            copy_back(out, ref, limit);
        }
        if (out.size() >= limit) break;
        mask >>= 1;
    }
    return out;
}

}  // namespace dat
