#include "tools/json_writer.hpp"

#include <charconv>
#include <cmath>
#include <optional>

#include "common/overloaded.hpp"
#include "common/utf8.hpp"

namespace tools::json {
namespace {

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

}  // namespace

void PrettyWriter::begin_object() {
    before_value();
    open('{', true);
}
void PrettyWriter::end_object() { close('}'); }
void PrettyWriter::begin_array() {
    before_value();
    open('[', false);
}
void PrettyWriter::end_array() { close(']'); }

void PrettyWriter::key(std::string_view key) {
    if (levels_.empty()) return;  // no open object: nothing to name
    Level& level = levels_.back();
    if (level.count++ > 0) out_ += ',';
    new_line(levels_.size());
    string(key);
    out_ += ": ";
}

void PrettyWriter::value(const Value& value) {
    before_value();
    write(value);
}

std::expected<std::string, WriteError> PrettyWriter::finish() && {
    if (error_) return std::unexpected(std::move(*error_));
    return std::move(out_);
}

void PrettyWriter::write(const Value& value) {
    std::visit(common::overloaded{
                   [&](const Null&) { out_ += "null"; },
                   [&](std::uint64_t number) { append_unsigned(out_, number); },
                   [&](double number) { append_number(out_, number); },
                   [&](const std::string& text) { string(text); },
                   [&](const Array& items) {
                       open('[', false);
                       for (const auto& item : items) this->value(item);
                       close(']');
                   },
                   [&](const Object& members) {
                       open('{', true);
                       for (const auto& member : members) {
                           key(member.key);
                           this->value(member.value);
                       }
                       close('}');
                   },
               },
               value.data());
}

void PrettyWriter::string(std::string_view text) {
    if (auto invalid = common::validate_utf8(text)) {
        if (!error_) error_ = WriteError{"string is not valid UTF-8: " + invalid->describe()};
        return;
    }
    append_escaped(out_, text);
}

// An array element goes on a line of its own, after a comma if it has a
// predecessor; an object member's value follows its key on the same line.
void PrettyWriter::before_value() {
    if (levels_.empty() || levels_.back().object) return;
    if (levels_.back().count++ > 0) out_ += ',';
    new_line(levels_.size());
}

void PrettyWriter::open(char bracket, bool object) {
    out_ += bracket;
    levels_.push_back({object, 0});
}

// An empty container closes on the same line: "[]", "{}".
void PrettyWriter::close(char bracket) {
    if (levels_.empty()) return;  // nothing open
    const bool empty = levels_.back().count == 0;
    levels_.pop_back();
    if (!empty) new_line(levels_.size());
    out_ += bracket;
}

void PrettyWriter::new_line(std::size_t depth) {
    out_ += '\n';
    out_.append(2 * depth, ' ');
}

std::expected<std::string, WriteError> write_pretty(const Value& value) {
    PrettyWriter writer;
    writer.value(value);
    return std::move(writer).finish();
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
