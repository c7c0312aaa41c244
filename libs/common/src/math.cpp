#include "common/math.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace common {
namespace {

// The shortest round-trip digits of a finite, non-zero magnitude and the
// decimal exponent of the first digit: 1.5e-7 gives "15" and -7.
struct ShortestDigits {
    std::string digits;
    int exponent = 0;
};

ShortestDigits shortest_digits(float magnitude) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    // The scientific form is "d[.ddd]e±XX".
    const auto e = text.find('e');
    ShortestDigits out;
    for (const char c : text.substr(0, e)) {
        if (c != '.') out.digits += c;
    }
    out.exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
    return out;
}

std::string exponent_form(const ShortestDigits& d) {
    std::string out(1, d.digits[0]);
    if (d.digits.size() > 1) {
        out += '.';
        out += d.digits.substr(1);
    }
    return out + 'e' + std::to_string(d.exponent);
}

std::string positional_form(const ShortestDigits& d) {
    if (d.exponent < 0) return "0." + std::string(static_cast<std::size_t>(-d.exponent - 1), '0') + d.digits;
    const auto integer_digits = static_cast<std::size_t>(d.exponent) + 1;
    if (d.digits.size() <= integer_digits) return d.digits + std::string(integer_digits - d.digits.size(), '0') + ".0";
    return d.digits.substr(0, integer_digits) + '.' + d.digits.substr(integer_digits);
}

}  // namespace

std::string diagnostic_float(float value) {
    if (std::isnan(value)) return "NaN";
    const std::string sign = std::signbit(value) ? "-" : "";
    if (std::isinf(value)) return sign + "inf";
    const float magnitude = std::fabs(value);
    if (magnitude == 0.0F) return sign + "0.0";
    // The thresholds compare the float itself, so the float nearest to 1e-4
    // still prints positionally as 0.0001.
    const auto digits = shortest_digits(magnitude);
    const bool exponent = magnitude >= 1e16F || magnitude < 1e-4F;
    return sign + (exponent ? exponent_form(digits) : positional_form(digits));
}

std::string diagnostic_text(const Vector3& v) {
    return "Vector3 { x: " + diagnostic_float(v.x) + ", y: " + diagnostic_float(v.y) + ", z: " + diagnostic_float(v.z) +
           " }";
}

}  // namespace common
