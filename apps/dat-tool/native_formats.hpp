#pragma once
// What extract reads from texture and sound records, and the RIFF WAVE file
// it builds from a sound record. Nothing outside the record is ever read:
// a record too short for what is asked yields nothing.

#include <cstdint>
#include <optional>
#include <span>

#include "dat/io.hpp"

namespace app {

constexpr std::uint32_t kJpegTextureFormat = 500;
constexpr std::size_t kTextureImageOffset = 24;  // a JPEG texture's image data starts here

// The texture's format code (u32 at offset 16).
std::optional<std::uint32_t> texture_format(std::span<const std::uint8_t> record);

// The WAVE file of a sound record: the 16-byte format block at offset 12
// as the "fmt " chunk, the bytes from offset 30 as the "data" chunk.
std::optional<dat::Bytes> wave_file(std::span<const std::uint8_t> sound_record);

}  // namespace app
