#pragma once
// Reads the fields of one record in order and annotates a failure with the
// field and record names. After the first failure every further read is
// skipped, so a decoder reads like its layout and checks once at the end.

#include <functional>
#include <optional>
#include <string_view>
#include <utility>

#include "dat/cursor.hpp"

namespace dat {

class RecordReader {
public:
    RecordReader(ByteCursor& cursor, std::string_view record) : cursor_(cursor), record_(record) {}

    ByteCursor& cursor() { return cursor_; }
    bool ok() const { return !error_; }

    // Reads one field with `read` (a cursor member such as &ByteCursor::u32,
    // or a function taking the cursor) into `into`.
    template <class T, class Read>
    RecordReader& field(std::string_view name, T& into, Read&& read) {
        if (!ok()) return *this;
        auto value = read_field(record_, name, [&] { return std::invoke(read, cursor_); });
        if (value) {
            into = std::move(*value);
        } else {
            error_ = std::move(value.error());
        }
        return *this;
    }

    // Reads `count` elements into `into` one at a time, so a damaged count
    // fails at the first missing element instead of reserving memory.
    template <class List, class Read>
    RecordReader& list(std::string_view name, std::uint64_t count, List& into, Read&& read) {
        for (std::uint64_t i = 0; i < count && ok(); ++i) {
            typename List::value_type element{};
            field(name, element, read);
            if (ok()) into.push_back(std::move(element));
        }
        return *this;
    }

    // Moves forward without reading (padding that need not be present).
    RecordReader& skip(std::uint64_t count) {
        if (ok()) {
            if (auto moved = cursor_.skip(count); !moved) error_ = std::move(moved.error());
        }
        return *this;
    }

    // The finished record, or the first failure.
    template <class T>
    RecordResult<T> finish(T record) {
        if (error_) return std::unexpected(std::move(*error_));
        return record;
    }

private:
    ByteCursor& cursor_;
    std::string_view record_;
    std::optional<RecordError> error_;
};

}  // namespace dat
