#include "support/records.hpp"

#include <cmath>
#include <string_view>

#include "support/dat_builder.hpp"

namespace support {

dat::Bytes texture_record(std::uint32_t id, std::uint32_t format, std::uint32_t width, std::uint32_t height,
                          std::span<const std::uint8_t> image) {
    dat::Bytes out;
    append_u32(out, id);
    append_u32(out, 0);
    append_u32(out, width);
    append_u32(out, height);
    append_u32(out, format);
    append_u32(out, static_cast<std::uint32_t>(image.size()));
    out.insert(out.end(), image.begin(), image.end());
    return out;
}

dat::Bytes jpeg_texture_record(std::uint32_t id) { return texture_record(id, kJpegTextureFormat, 16, 8, tiny_jpeg()); }

dat::Bytes sound_record(std::uint32_t id, PcmFormat format, std::span<const std::uint8_t> samples) {
    const std::uint16_t block_align = static_cast<std::uint16_t>(format.channels * format.bits_per_sample / 8);
    dat::Bytes out;
    append_u32(out, id);
    append_u32(out, 18);
    append_u32(out, static_cast<std::uint32_t>(samples.size()));
    append_u16(out, 1);  // PCM
    append_u16(out, format.channels);
    append_u32(out, format.sample_rate);
    append_u32(out, format.sample_rate * block_align);
    append_u16(out, block_align);
    append_u16(out, format.bits_per_sample);
    append_u16(out, 0);
    out.insert(out.end(), samples.begin(), samples.end());
    return out;
}

dat::Bytes pcm_tone(std::size_t count) {
    dat::Bytes out;
    for (std::size_t i = 0; i < count; ++i) {
        // A square-ish wave from integer arithmetic: identical on every machine.
        const auto sample = static_cast<std::int16_t>(((i / 25) % 2 == 0 ? 1 : -1) * static_cast<int>(4000 + i % 7));
        append_u16(out, static_cast<std::uint16_t>(sample));
    }
    return out;
}

dat::Bytes pattern_bytes(std::size_t size, std::uint32_t seed) {
    dat::Bytes out(size);
    std::uint32_t state = seed * 2654435761u + 1;
    for (auto& byte : out) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<std::uint8_t>(state);
    }
    return out;
}

dat::Bytes repetitive_bytes(std::size_t size, std::uint32_t seed) {
    constexpr std::string_view kWords[] = {"stone ", "river ", "lantern ", "moss ", "tower ", "ember ", "tide "};
    dat::Bytes out;
    std::uint32_t state = seed;
    while (out.size() < size) {
        state = state * 1103515245u + 12345u;
        const auto word = kWords[(state >> 16) % std::size(kWords)];
        out.insert(out.end(), word.begin(), word.end());
    }
    out.resize(size);
    return out;
}

}  // namespace support
