#pragma once
// Builders for the resource records that extract converts: textures (the
// image format code at offset 16, image data from offset 24) and sound
// records (a 16-byte PCM format block at offset 12, samples from offset 30).

#include <cstdint>
#include <span>

#include "dat/io.hpp"

namespace support {

constexpr std::uint32_t kJpegTextureFormat = 500;

// A complete small JPEG file (16x8 pixels).
std::span<const std::uint8_t> tiny_jpeg();

// id, an unknown word, width, height, format, data length, data.
dat::Bytes texture_record(std::uint32_t id, std::uint32_t format, std::uint32_t width, std::uint32_t height,
                          std::span<const std::uint8_t> image);
// A texture whose image part is tiny_jpeg().
dat::Bytes jpeg_texture_record(std::uint32_t id);

struct PcmFormat {
    std::uint16_t channels = 1;
    std::uint32_t sample_rate = 22050;
    std::uint16_t bits_per_sample = 16;
};

// id, format block length, sample data length, the 16-byte format block,
// two bytes of extra-format size (0), then the samples.
dat::Bytes sound_record(std::uint32_t id, PcmFormat format, std::span<const std::uint8_t> samples);
// `count` samples of a deterministic 16-bit tone.
dat::Bytes pcm_tone(std::size_t count);

// Deterministic filler: `size` bytes derived from `seed`.
dat::Bytes pattern_bytes(std::size_t size, std::uint32_t seed);
// Text-like bytes that compress well.
dat::Bytes repetitive_bytes(std::size_t size, std::uint32_t seed);

}  // namespace support
