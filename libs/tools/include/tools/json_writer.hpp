#pragma once
// A small JSON document model (null, unsigned integers, doubles, strings,
// arrays and objects whose members keep the order they were added in) and
// its pretty text: two-space indentation, "[]" and "{}" for empty
// containers, strings escaped as JSON requires and otherwise written as
// UTF-8, doubles in the shortest form that reads back to the same value.

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace tools::json {

struct Null {
    bool operator==(const Null&) const = default;
};

struct Member;
class Value;
using Array = std::vector<Value>;
using Object = std::vector<Member>;  // members in written order

class Value {
public:
    using Data = std::variant<Null, std::uint64_t, double, std::string, Array, Object>;

    // Defined below, once Member is complete.
    Value() = default;
    Value(Null);  // NOLINT(google-explicit-constructor)
    template <class T>
        requires(std::is_integral_v<T> && std::is_unsigned_v<T> && !std::is_same_v<T, bool>)
    Value(T number);          // NOLINT(google-explicit-constructor)
    Value(double number);     // NOLINT(google-explicit-constructor)
    Value(std::string text);  // NOLINT(google-explicit-constructor)
    Value(std::string_view text);  // NOLINT(google-explicit-constructor)
    Value(const char* text);  // NOLINT(google-explicit-constructor)
    Value(Array items);       // NOLINT(google-explicit-constructor)
    Value(Object members);    // NOLINT(google-explicit-constructor)

    const Data& data() const { return data_; }
    bool operator==(const Value&) const = default;

private:
    Data data_;  // Null unless constructed otherwise
};

struct Member {
    std::string key;
    Value value;
    bool operator==(const Member&) const = default;
};

inline Value::Value(Null) {}
template <class T>
    requires(std::is_integral_v<T> && std::is_unsigned_v<T> && !std::is_same_v<T, bool>)
inline Value::Value(T number) : data_(static_cast<std::uint64_t>(number)) {}
inline Value::Value(double number) : data_(number) {}
inline Value::Value(std::string text) : data_(std::move(text)) {}
inline Value::Value(std::string_view text) : data_(std::string(text)) {}
inline Value::Value(const char* text) : data_(std::string(text)) {}
inline Value::Value(Array items) : data_(std::move(items)) {}
inline Value::Value(Object members) : data_(std::move(members)) {}

struct WriteError {
    std::string message;
};

// Writes a document piece by piece in the pretty layout, so a caller can
// stream its own data without first building a Value tree. Containers are
// opened and closed explicitly; inside an object every value follows its
// key(). A string (key or value) that is not valid UTF-8 is the one error;
// the first is reported by finish().
class PrettyWriter {
public:
    void begin_object();
    void end_object();
    void begin_array();
    void end_array();
    void key(std::string_view key);
    void value(const Value& value);  // containers included

    // The text, without a trailing newline.
    std::expected<std::string, WriteError> finish() &&;

private:
    struct Level {
        bool object;
        std::size_t count;
    };
    void write(const Value& value);
    void string(std::string_view text);
    void before_value();
    void open(char bracket, bool object);
    void close(char bracket);
    void new_line(std::size_t depth);

    std::vector<Level> levels_;
    std::string out_;
    std::optional<WriteError> error_;
};

// A whole Value in the pretty layout, without a trailing newline.
std::expected<std::string, WriteError> write_pretty(const Value& value);

// A double in its shortest round-trip digits: plain decimal notation with at
// least one digit after the point for decimal exponents -5 to 15 (0.0,
// 0.5, 0.00001, 1000000000000000.0), otherwise a mantissa and exponent
// without "+" or leading zeros (1e16, 1.5e-7). NaN and infinities are null.
void append_number(std::string& out, double number);

}  // namespace tools::json
