#include "tools/json_writer.hpp"

#include <charconv>
#include <cmath>
#include <optional>

#include "common/utf8.hpp"

namespace tools::json {
namespace {

template <class... Ts>
struct overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
overloaded(Ts...) -> overloaded<Ts...>;

void append_unsigned(std::string& out, std::uint64_t number) {
    char buffer[20];
    const auto result = std::to_chars(std::begin(buffer), std::end(buffer), number);
    out.append(buffer, result.ptr);
}

void append_escaped(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (byte < 0x20) {
                    out += "\\u00";
                    out += kHex[byte >> 4];
                    out += kHex[byte & 0xF];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

class PrettyWriter {
public:
    std::optional<WriteError> write(const Value& value, std::size_t depth) {
        return std::visit(overloaded{
                              [&](const Null&) -> std::optional<WriteError> {
                                  out_ += "null";
                                  return std::nullopt;
                              },
                              [&](std::uint64_t number) -> std::optional<WriteError> {
                                  append_unsigned(out_, number);
                                  return std::nullopt;
                              },
                              [&](double number) -> std::optional<WriteError> {
                                  append_number(out_, number);
                                  return std::nullopt;
                              },
                              [&](const std::string& text) { return string(text); },
                              [&](const Array& items) { return array(items, depth); },
                              [&](const Object& members) { return object(members, depth); },
                          },
                          value.data());
    }

    std::string take() { return std::move(out_); }

private:
    std::optional<WriteError> string(std::string_view text) {
        if (auto invalid = common::validate_utf8(text)) {
            return WriteError{"string is not valid UTF-8: " + invalid->describe()};
        }
        append_escaped(out_, text);
        return std::nullopt;
    }

    std::optional<WriteError> array(const Array& items, std::size_t depth) {
        if (items.empty()) {
            out_ += "[]";
            return std::nullopt;
        }
        out_ += '[';
        for (std::size_t i = 0; i < items.size(); ++i) {
            begin_line(i, depth + 1);
            if (auto error = write(items[i], depth + 1)) return error;
        }
        end_line(depth);
        out_ += ']';
        return std::nullopt;
    }

    std::optional<WriteError> object(const Object& members, std::size_t depth) {
        if (members.empty()) {
            out_ += "{}";
            return std::nullopt;
        }
        out_ += '{';
        for (std::size_t i = 0; i < members.size(); ++i) {
            begin_line(i, depth + 1);
            if (auto error = string(members[i].key)) return error;
            out_ += ": ";
            if (auto error = write(members[i].value, depth + 1)) return error;
        }
        end_line(depth);
        out_ += '}';
        return std::nullopt;
    }

    // Every element after the first ends its predecessor's line with a comma.
    void begin_line(std::size_t index, std::size_t depth) {
        if (index > 0) out_ += ',';
        end_line(depth);
    }
    void end_line(std::size_t depth) {
        out_ += '\n';
        out_.append(2 * depth, ' ');
    }

    std::string out_;
};

}  // namespace

std::expected<std::string, WriteError> write_pretty(const Value& value) {
    PrettyWriter writer;
    if (auto error = writer.write(value, 0)) return std::unexpected(std::move(*error));
    return writer.take();
}

void append_number(std::string& out, double number) {
    if (!std::isfinite(number)) {
        out += "null";
        return;
    }
    // The scientific form of to_chars without a precision holds exactly the
    // shortest digits that read back to `number`: "[-]d[.ddd]e±XX".
    char buffer[32];
    const auto result = std::to_chars(std::begin(buffer), std::end(buffer), number, std::chars_format::scientific);
    std::string_view text(buffer, result.ptr);
    if (text.front() == '-') {
        out += '-';
        text.remove_prefix(1);
    }
    const std::size_t e = text.find('e');
    std::string digits;
    for (const char c : text.substr(0, e)) {
        if (c != '.') digits += c;
    }
    std::string_view exponent_text = text.substr(e + 1);
    if (exponent_text.front() == '+') exponent_text.remove_prefix(1);
    int exponent = 0;
    std::from_chars(exponent_text.data(), exponent_text.data() + exponent_text.size(), exponent);

    const auto count = static_cast<int>(digits.size());
    if (exponent >= 0 && exponent < 16) {
        const int integral = exponent + 1;
        if (count <= integral) {
            out += digits;
            out.append(static_cast<std::size_t>(integral - count), '0');
            out += ".0";
        } else {
            out.append(digits, 0, static_cast<std::size_t>(integral));
            out += '.';
            out.append(digits, static_cast<std::size_t>(integral));
        }
    } else if (exponent < 0 && exponent >= -5) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
    } else {
        out += digits.front();
        if (count > 1) {
            out += '.';
            out.append(digits, 1);
        }
        out += 'e';
        out += std::to_string(exponent);
    }
}

}  // namespace tools::json
