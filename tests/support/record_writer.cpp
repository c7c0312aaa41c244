#include "record_writer.hpp"

#include <cstring>

#include <fmt/format.h>

namespace support {

RecordWriter::RecordScope RecordWriter::record(std::string_view name) {
    records_.emplace_back(name);
    return RecordScope(*this);
}

void RecordWriter::open_field(std::string_view name) {
    const std::string record = records_.empty() ? std::string("?") : records_.back();
    context_.push_back(fmt::format("While parsing field '{}' in {}", name, record));
}

void RecordWriter::put(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    data_.insert(data_.end(), bytes, bytes + size);
    if (size == 0) return;
    FieldSpan span;
    span.end = data_.size();
    span.context.assign(context_.rbegin(), context_.rend());
    spans_.push_back(std::move(span));
}

void RecordWriter::pad(std::size_t count, std::uint8_t value) { data_.insert(data_.end(), count, value); }

void RecordWriter::pad_to_multiple_of(std::size_t alignment, std::uint8_t value) {
    while (data_.size() % alignment != 0) data_.push_back(value);
}

std::optional<std::vector<std::string>> RecordWriter::context_at_cut(std::size_t length) const {
    for (const auto& span : spans_) {
        if (span.end > length) return span.context;
    }
    return std::nullopt;
}

}  // namespace support
