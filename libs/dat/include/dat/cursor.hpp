#pragma once
// A bounds-checked little-endian reader over bytes in memory. Every record
// decoder reads through it; a read that runs out of data fails with the
// short-read RecordError and leaves the cursor at the end of the data.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <type_traits>

#include "dat/error.hpp"

namespace dat {

class ByteCursor {
public:
    explicit ByteCursor(std::span<const std::uint8_t> data, std::uint64_t position = 0)
        : data_(data), position_(position) {}

    std::uint64_t position() const { return position_; }
    void seek(std::uint64_t position) { position_ = position; }
    std::span<const std::uint8_t> data() const { return data_; }
    // Bytes left to read; 0 when an alignment step moved past the end.
    std::uint64_t remaining() const { return position_ >= data_.size() ? 0 : data_.size() - position_; }

    RecordResult<std::uint8_t> u8() { return scalar<std::uint8_t>(); }
    RecordResult<std::uint16_t> u16() { return scalar<std::uint16_t>(); }
    RecordResult<std::uint32_t> u32() { return scalar<std::uint32_t>(); }
    RecordResult<std::uint64_t> u64() { return scalar<std::uint64_t>(); }
    RecordResult<std::int16_t> i16() { return scalar<std::int16_t>(); }
    RecordResult<std::int32_t> i32() { return scalar<std::int32_t>(); }
    RecordResult<std::int64_t> i64() { return scalar<std::int64_t>(); }
    RecordResult<float> f32() { return scalar<float>(); }
    RecordResult<double> f64() { return scalar<double>(); }

    // The next `count` bytes, as a view into the data.
    RecordResult<std::span<const std::uint8_t>> bytes(std::uint64_t count) {
        // Reading nothing always succeeds, even after a step past the end.
        if (count == 0) return std::span<const std::uint8_t>{};
        if (count > remaining()) {
            position_ = std::max<std::uint64_t>(position_, data_.size());
            return std::unexpected(RecordError::short_read());
        }
        auto view = data_.subspan(static_cast<std::size_t>(position_), static_cast<std::size_t>(count));
        position_ += count;
        return view;
    }

    // Moves forward without reading; the skipped bytes need not exist.
    RecordResult<void> skip(std::uint64_t count) {
        if (count > UINT64_MAX - position_) return std::unexpected(RecordError::message("position overflow"));
        position_ += count;
        return {};
    }

    // Moves forward to the next multiple of `alignment` without reading.
    RecordResult<void> skip_to_multiple_of(std::uint64_t alignment) {
        const std::uint64_t rest = position_ % alignment;
        return rest == 0 ? RecordResult<void>{} : skip(alignment - rest);
    }

private:
    template <class T>
    RecordResult<T> scalar() {
        static_assert(std::endian::native == std::endian::little, "decoders assume a little-endian host");
        auto raw = bytes(sizeof(T));
        if (!raw) return std::unexpected(raw.error());
        T value;
        std::memcpy(&value, raw->data(), sizeof(T));
        return value;
    }

    std::span<const std::uint8_t> data_;
    std::uint64_t position_;
};

// Runs one field read and, on failure, adds the line
// "While parsing field '{field}' in {record}" to its error.
template <class F>
auto read_field(std::string_view record, std::string_view field, F&& read) -> decltype(read()) {
    auto result = read();
    if (!result) result.error().within(field, record);
    return result;
}

}  // namespace dat
