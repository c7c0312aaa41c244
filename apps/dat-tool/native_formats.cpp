#include "native_formats.hpp"

#include <cstring>
#include <string_view>

namespace app {
namespace {

constexpr std::size_t kTextureFormatOffset = 16;
constexpr std::size_t kSoundFormatOffset = 12;
constexpr std::size_t kSoundFormatSize = 16;
constexpr std::size_t kSoundSamplesOffset = 30;
constexpr std::size_t kWaveHeaderSize = 44;

void append(dat::Bytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }

void append_u32(dat::Bytes& out, std::uint64_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

}  // namespace

std::optional<std::uint32_t> texture_format(std::span<const std::uint8_t> record) {
    if (record.size() < kTextureFormatOffset + 4) return std::nullopt;
    std::uint32_t format;
    std::memcpy(&format, record.data() + kTextureFormatOffset, 4);
    return format;
}

std::optional<dat::Bytes> wave_file(std::span<const std::uint8_t> record) {
    if (record.size() < kSoundSamplesOffset) return std::nullopt;
    const auto format = record.subspan(kSoundFormatOffset, kSoundFormatSize);
    const auto samples = record.subspan(kSoundSamplesOffset);
    dat::Bytes out;
    out.reserve(kWaveHeaderSize + samples.size());
    append(out, "RIFF");
    append_u32(out, record.size() + 6);  // the file length minus 8
    append(out, "WAVEfmt ");
    append_u32(out, kSoundFormatSize);
    out.insert(out.end(), format.begin(), format.end());
    append(out, "data");
    append_u32(out, samples.size());
    out.insert(out.end(), samples.begin(), samples.end());
    return out;
}

}  // namespace app
