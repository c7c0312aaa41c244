#include "dat/archive/zstd_frames.hpp"

#include <algorithm>
#include <memory>

#define ZSTD_STATIC_LINKING_ONLY  // ZSTD_getFrameHeader
#include <zstd.h>

namespace dat {

namespace {

constexpr int kCompressionLevel = 3;
constexpr std::size_t kInputPiece = 32 * 1024;

struct CCtxFree {
    void operator()(ZSTD_CCtx* c) const { ZSTD_freeCCtx(c); }
};
struct DCtxFree {
    void operator()(ZSTD_DCtx* d) const { ZSTD_freeDCtx(d); }
};

// What the blocks of one frame can produce at most: raw and RLE blocks say
// their decoded length, a compressed block decodes to at most the frame's
// block size limit.
std::optional<std::uint64_t> block_output_bound(std::span<const std::uint8_t> frame, const ZSTD_frameHeader& header) {
    constexpr std::size_t kBlockHeaderSize = 3;
    std::uint64_t produced = 0;
    std::size_t at = header.headerSize;
    for (;;) {
        if (at > frame.size() || frame.size() - at < kBlockHeaderSize) return std::nullopt;
        const std::uint32_t block_header = frame[at] | (frame[at + 1] << 8) | (frame[at + 2] << 16);
        at += kBlockHeaderSize;
        const bool last = (block_header & 1) != 0;
        const std::uint32_t block_size = block_header >> 3;
        switch ((block_header >> 1) & 3) {
            case 0:  // raw
                produced += block_size;
                at += block_size;
                break;
            case 1:  // RLE: one stored byte repeated
                produced += block_size;
                at += 1;
                break;
            case 2:  // compressed
                produced += header.blockSizeMax;
                at += block_size;
                break;
            default: return std::nullopt;  // reserved block type
        }
        if (at > frame.size()) return std::nullopt;
        if (last) return produced;
    }
}

}  // namespace

std::expected<std::optional<Bytes>, std::string> zstd_compress_if_smaller(std::span<const std::uint8_t> data) {
    std::unique_ptr<ZSTD_CCtx, CCtxFree> cctx(ZSTD_createCCtx());
    if (!cctx) return std::unexpected(std::string("cannot create a compression context"));
    if (const std::size_t set = ZSTD_CCtx_setParameter(cctx.get(), ZSTD_c_compressionLevel, kCompressionLevel);
        ZSTD_isError(set)) {
        return std::unexpected(std::string(ZSTD_getErrorName(set)));
    }
    Bytes frame;
    Bytes chunk(ZSTD_CStreamOutSize());
    // Every piece goes in as a plain write and the frame is ended on empty
    // input afterwards, as a streaming copy does: the frame then never records
    // the content size, whatever the length, so the bytes do not depend on
    // whether the resource fits in one piece.
    const auto run = [&](ZSTD_inBuffer& in, ZSTD_EndDirective mode) -> std::expected<bool, std::string> {
        for (;;) {
            ZSTD_outBuffer out{chunk.data(), chunk.size(), 0};
            const std::size_t left = ZSTD_compressStream2(cctx.get(), &out, &in, mode);
            if (ZSTD_isError(left)) return std::unexpected(std::string(ZSTD_getErrorName(left)));
            frame.insert(frame.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(out.pos));
            // Only a strictly shorter frame is kept; stop as soon as it cannot be.
            if (frame.size() >= data.size()) return false;
            if (mode == ZSTD_e_end ? left == 0 : in.pos == in.size) return true;
        }
    };
    for (std::size_t fed = 0; fed < data.size();) {
        // The context copies what it needs, so pieces of `data` itself serve
        // as the 32 KiB input buffer.
        const std::size_t piece = std::min(kInputPiece, data.size() - fed);
        ZSTD_inBuffer in{data.data() + fed, piece, 0};
        auto fits = run(in, ZSTD_e_continue);
        if (!fits) return std::unexpected(fits.error());
        if (!*fits) return std::nullopt;
        fed += piece;
    }
    ZSTD_inBuffer end{nullptr, 0, 0};
    auto fits = run(end, ZSTD_e_end);
    if (!fits) return std::unexpected(fits.error());
    if (!*fits) return std::nullopt;
    return frame;
}

std::optional<std::uint64_t> zstd_decoded_bound(std::span<const std::uint8_t> data) {
    std::uint64_t total = 0;
    while (!data.empty()) {
        const std::size_t frame_size = ZSTD_findFrameCompressedSize(data.data(), data.size());
        if (ZSTD_isError(frame_size)) return std::nullopt;
        ZSTD_frameHeader header{};
        if (ZSTD_getFrameHeader(&header, data.data(), frame_size) != 0) return std::nullopt;
        if (header.frameType == ZSTD_frame) {
            auto bound = block_output_bound(data.first(frame_size), header);
            if (!bound) return std::nullopt;
            if (header.frameContentSize != ZSTD_CONTENTSIZE_UNKNOWN) *bound = std::min<std::uint64_t>(*bound, header.frameContentSize);
            total += *bound;
        }
        data = data.subspan(frame_size);
    }
    return total;
}

std::optional<Bytes> zstd_decompress_at_most(std::span<const std::uint8_t> data, std::uint64_t limit) {
    const auto bound = zstd_decoded_bound(data);
    if (!bound) return std::nullopt;
    std::unique_ptr<ZSTD_DCtx, DCtxFree> dctx(ZSTD_createDCtx());
    if (!dctx) return std::nullopt;
    Bytes out(static_cast<std::size_t>(std::min(*bound, limit)));
    const std::size_t produced = ZSTD_decompressDCtx(dctx.get(), out.data(), out.size(), data.data(), data.size());
    if (ZSTD_isError(produced)) return std::nullopt;
    out.resize(produced);
    return out;
}

}  // namespace dat
