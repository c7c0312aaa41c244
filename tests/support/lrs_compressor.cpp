#include "support/lrs_compressor.hpp"

#include <algorithm>
#include <vector>

namespace support {
namespace {

constexpr std::size_t kWindow = 4095;
constexpr std::size_t kMinMatch = 2;
constexpr std::size_t kMaxMatch = 17;
constexpr std::size_t kChainLimit = 256;

struct Match {
    std::size_t distance = 0;
    std::size_t length = 0;
};

// Positions indexed by their first two bytes, newest first.
class MatchFinder {
public:
    explicit MatchFinder(std::span<const std::uint8_t> data) : data_(data), head_(1 << 16, -1), prev_(data.size(), -1) {}

    void insert(std::size_t at) {
        if (at + 1 >= data_.size()) return;
        const std::size_t key = hash(at);
        prev_[at] = head_[key];
        head_[key] = static_cast<std::ptrdiff_t>(at);
    }

    Match longest(std::size_t at) const {
        Match best;
        if (at + kMinMatch > data_.size()) return best;
        const std::size_t max_length = std::min(kMaxMatch, data_.size() - at);
        std::size_t steps = 0;
        for (std::ptrdiff_t candidate = head_[hash(at)]; candidate >= 0 && steps < kChainLimit;
             candidate = prev_[static_cast<std::size_t>(candidate)], ++steps) {
            const std::size_t from = static_cast<std::size_t>(candidate);
            if (at - from > kWindow) break;
            std::size_t length = 0;
            // Overlapping matches are fine: the decoder copies byte by byte.
            while (length < max_length && data_[from + length] == data_[at + length]) ++length;
            if (length > best.length) best = {at - from, length};
            if (length == max_length) break;
        }
        return best.length >= kMinMatch ? best : Match{};
    }

private:
    std::size_t hash(std::size_t at) const { return (std::size_t{data_[at]} << 8) | data_[at + 1]; }

    std::span<const std::uint8_t> data_;
    std::vector<std::ptrdiff_t> head_;
    std::vector<std::ptrdiff_t> prev_;
};

// Collects tokens in groups of eight behind their flag byte.
class TokenWriter {
public:
    explicit TokenWriter(dat::Bytes& out) : out_(out) {}

    void literal(std::uint8_t byte) {
        begin_token(false);
        out_.push_back(byte);
    }
    void reference(std::size_t distance, std::size_t length) {
        begin_token(true);
        out_.push_back(static_cast<std::uint8_t>(distance & 0xFF));
        out_.push_back(static_cast<std::uint8_t>(((distance >> 4) & 0xF0) | ((length - kMinMatch) & 0x0F)));
    }

private:
    void begin_token(bool is_reference) {
        if (mask_ == 0) {
            flag_at_ = out_.size();
            out_.push_back(0);
            mask_ = 0x80;
        }
        if (is_reference) out_[flag_at_] |= static_cast<std::uint8_t>(mask_);
        mask_ >>= 1;
    }

    dat::Bytes& out_;
    std::size_t flag_at_ = 0;
    unsigned mask_ = 0;
};

}  // namespace

dat::Bytes compress_lrs(std::span<const std::uint8_t> data, LrsOptions options) {
    dat::Bytes out;
    const auto size = static_cast<std::uint32_t>(data.size());
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(size >> shift));

    TokenWriter tokens(out);
    MatchFinder finder(data);
    std::size_t at = 0;
    while (at < data.size()) {
        const Match match = options.use_back_references && at > 0 ? finder.longest(at) : Match{};
        const std::size_t consumed = match.length > 0 ? match.length : 1;
        if (match.length > 0) {
            tokens.reference(match.distance, match.length);
        } else {
            tokens.literal(data[at]);
        }
        for (std::size_t k = 0; k < consumed; ++k) finder.insert(at + k);
        at += consumed;
    }
    if (options.end_marker) tokens.reference(0, kMinMatch);
    return out;
}

}  // namespace support
