#pragma once
// Little-endian byte writer for building game records in tests. Besides the
// bytes it remembers, for every value written, which field of which record
// it belongs to, so a test can predict the context lines of a decoder that
// runs out of data at any offset.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace support {

// The bytes up to `end` (exclusive) after the previous span belong to the
// field whose context lines (innermost first) are `context`.
struct FieldSpan {
    std::size_t end = 0;
    std::vector<std::string> context;
};

class RecordWriter {
public:
    // Fields written while the returned guard lives belong to `record`.
    class RecordScope {
    public:
        explicit RecordScope(RecordWriter& writer) : writer_(writer) {}
        ~RecordScope() { writer_.records_.pop_back(); }
        RecordScope(const RecordScope&) = delete;
        RecordScope& operator=(const RecordScope&) = delete;

    private:
        RecordWriter& writer_;
    };
    [[nodiscard]] RecordScope record(std::string_view name);

    // Runs `body` as field `name` of the innermost record.
    template <class Body>
    void field(std::string_view name, Body&& body) {
        open_field(name);
        body();
        close_field();
    }

    void u8(std::uint8_t v) { put(&v, 1); }
    void u16(std::uint16_t v) { put(&v, 2); }
    void u32(std::uint32_t v) { put(&v, 4); }
    void u64(std::uint64_t v) { put(&v, 8); }
    void i32(std::int32_t v) { put(&v, 4); }
    void i64(std::int64_t v) { put(&v, 8); }
    void f32(float v) { put(&v, 4); }
    void f64(double v) { put(&v, 8); }
    void bytes(std::span<const std::uint8_t> data) { put(data.data(), data.size()); }
    void text(std::string_view data) { put(data.data(), data.size()); }

    // Padding bytes: part of the data, but no field of their own.
    void pad(std::size_t count, std::uint8_t value = 0);
    void pad_to_multiple_of(std::size_t alignment, std::uint8_t value = 0);

    const std::vector<std::uint8_t>& data() const { return data_; }
    std::size_t size() const { return data_.size(); }
    const std::vector<FieldSpan>& spans() const { return spans_; }

    // The context lines a decoder should report when the data ends after
    // `length` bytes, or none when the cut only removes trailing padding.
    std::optional<std::vector<std::string>> context_at_cut(std::size_t length) const;

private:
    void open_field(std::string_view name);
    void close_field() { context_.pop_back(); }
    void put(const void* data, std::size_t size);

    std::vector<std::uint8_t> data_;
    std::vector<std::string> records_;
    std::vector<std::string> context_;  // outermost first while writing
    std::vector<FieldSpan> spans_;
};

}  // namespace support
