#pragma once
// The two ways the archive uses zstd: one frame per resource when that saves
// space, and bounded one-shot decoding of stored frames.

#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>

#include "dat/io.hpp"

namespace dat {

// Compresses `data` into one zstd frame at level 3, feeding it to a
// streaming compression context 32 KiB at a time and ending the frame
// explicitly. Gives the frame when it is strictly shorter than `data`,
// nothing when it is not, or the compressor's error text.
std::expected<std::optional<Bytes>, std::string> zstd_compress_if_smaller(std::span<const std::uint8_t> data);

// An upper bound of what `data`, a sequence of complete zstd frames
// (skippable frames included), decodes to; nothing when `data` is not such
// a sequence. Each frame is bounded by its blocks, and by its declared
// content size when it has one, so a frame that lies about its content size
// cannot raise the bound.
std::optional<std::uint64_t> zstd_decoded_bound(std::span<const std::uint8_t> data);

// Decodes all frames of `data` in one call with a fresh decompression
// context, into a buffer of min(zstd_decoded_bound, limit) bytes. Nothing on
// any zstd error, including output that would exceed `limit`.
std::optional<Bytes> zstd_decompress_at_most(std::span<const std::uint8_t> data, std::uint64_t limit);

}  // namespace dat
