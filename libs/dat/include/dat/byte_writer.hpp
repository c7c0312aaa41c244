#pragma once
// Appends little-endian values to a byte list: the encoding side of
// ByteCursor, used to lay out fixed-size records.

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>

#include "dat/io.hpp"

namespace dat {

class ByteWriter {
public:
    explicit ByteWriter(Bytes& out) : out_(out) {}

    void u8(std::uint8_t value) { scalar(value); }
    void u16(std::uint16_t value) { scalar(value); }
    void u32(std::uint32_t value) { scalar(value); }
    void u64(std::uint64_t value) { scalar(value); }
    void bytes(std::span<const std::uint8_t> data) { out_.insert(out_.end(), data.begin(), data.end()); }

private:
    template <class T>
    void scalar(T value) {
        static_assert(std::endian::native == std::endian::little, "encoders assume a little-endian host");
        std::uint8_t raw[sizeof(T)];
        std::memcpy(raw, &value, sizeof(T));
        bytes(raw);
    }

    Bytes& out_;
};

}  // namespace dat
