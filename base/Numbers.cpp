#include "base/Numbers.h"

#include "base/Errors.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <locale>
#include <system_error>

namespace qvr {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the run of digits that starts at pos.
size_t DigitRun(std::string_view s, size_t pos) {
    size_t end = pos;
    while (end < s.size() && IsDigit(s[end])) {
        ++end;
    }
    return end - pos;
}

// True when s is exactly: [sign] (digits [. digits*] | . digits) [(e|E) [sign] digits].
bool IsDotReal(std::string_view s) {
    size_t pos = 0;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
        ++pos;
    }
    const size_t intDigits = DigitRun(s, pos);
    pos += intDigits;
    size_t fracDigits = 0;
    if (pos < s.size() && s[pos] == '.') {
        ++pos;
        fracDigits = DigitRun(s, pos);
        pos += fracDigits;
    }
    if (intDigits == 0 && fracDigits == 0) {
        return false;
    }
    if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E')) {
        ++pos;
        if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
            ++pos;
        }
        const size_t expDigits = DigitRun(s, pos);
        if (expDigits == 0) {
            return false;
        }
        pos += expDigits;
    }
    return pos == s.size();
}

// For a text that IsDotReal accepts: true when its first significant digit
// stands after the decimal point once the exponent is applied, so its
// magnitude is below one. Zero is not tiny.
bool IsBelowOne(std::string_view s) {
    size_t pos = (s[0] == '+' || s[0] == '-') ? 1 : 0;
    // Decimal exponent of the first significant digit before the exponent part.
    int64_t lead = 0;
    bool found = false;
    const size_t intEnd = pos + DigitRun(s, pos);
    for (size_t i = pos; i < intEnd && !found; ++i) {
        if (s[i] != '0') {
            lead = static_cast<int64_t>(intEnd - i) - 1;
            found = true;
        }
    }
    pos = intEnd;
    if (pos < s.size() && s[pos] == '.') {
        const size_t fracEnd = pos + 1 + DigitRun(s, pos + 1);
        for (size_t i = pos + 1; i < fracEnd && !found; ++i) {
            if (s[i] != '0') {
                lead = -static_cast<int64_t>(i - pos);
                found = true;
            }
        }
        pos = fracEnd;
    }
    if (!found) {
        return false;
    }
    // The exponent saturates: beyond a few thousand only its sign matters.
    int64_t exponent = 0;
    if (pos < s.size()) {
        ++pos; // e or E
        const bool negative = s[pos] == '-';
        if (s[pos] == '+' || s[pos] == '-') {
            ++pos;
        }
        for (; pos < s.size(); ++pos) {
            exponent = std::min<int64_t>(exponent * 10 + (s[pos] - '0'), 1000000);
        }
        exponent = negative ? -exponent : exponent;
    }
    return lead + exponent < 0;
}

} // namespace

int32_t StrToIntDef(std::string_view s, int32_t def) {
    size_t pos = 0;
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
        negative = s[pos] == '-';
        ++pos;
    }
    if (pos == s.size() || DigitRun(s, pos) != s.size() - pos) {
        return def;
    }
    // Accumulate the magnitude in 64 bits; stop as soon as it leaves the range.
    const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                   : std::numeric_limits<int32_t>::max();
    int64_t magnitude = 0;
    for (; pos < s.size(); ++pos) {
        magnitude = magnitude * 10 + (s[pos] - '0');
        if (magnitude > limit) {
            return def;
        }
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

double StrToFloatDot(const std::string& s) {
    const auto invalid = [&s]() {
        return EConvertError("'" + s + "' is not a valid floating point value");
    };
    if (!IsDotReal(s)) {
        throw invalid();
    }
    // from_chars takes no plus sign; it never looks at any locale.
    const char* first = s.data();
    const char* last = s.data() + s.size();
    if (*first == '+') {
        ++first;
    }
    double value = 0.0;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range && result.ptr == last && IsBelowOne(s)) {
        // Too small for a 64-bit real: it rounds to zero. Too large stays an error.
        return s[0] == '-' ? -0.0 : 0.0;
    }
    if (result.ec != std::errc() || result.ptr != last) {
        throw invalid();
    }
    return value;
}

double ShownNumber(double v) {
    if (!std::isfinite(v) || (std::fabs(v) < 1e15 && v == std::trunc(v))) {
        return v;
    }
    // The same rounding as FormatGeneral's, read back.
    char buf[64];
    const auto written = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
    double shown = v;
    std::from_chars(buf, written.ptr, shown);
    return shown;
}

std::string FormatGeneral(double v, char decimalSeparator) {
    constexpr int Precision = 15;
    if (std::isnan(v)) {
        return "NAN";
    }
    if (std::isinf(v)) {
        return v < 0 ? "-INF" : "INF";
    }
    if (v == 0.0) {
        return "0";
    }
    // Whole numbers of at most 15 digits, by far the most common parameter values, are
    // written as they are: rounding to 15 significant digits cannot change them.
    if (std::fabs(v) < 1e15 && v == std::trunc(v)) {
        return std::to_string(static_cast<long long>(v));
    }
    // d.dddddddddddddde[+-]x, rounded to 15 significant digits, locale-free.
    char buf[64];
    const auto result =
        std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, Precision - 1);
    const std::string_view text(buf, static_cast<size_t>(result.ptr - buf));
    const bool negative = text.front() == '-';
    const size_t mantissaStart = negative ? 1 : 0;
    const size_t ePos = text.find('e');
    std::string digits;
    for (size_t i = mantissaStart; i < ePos; ++i) {
        if (IsDigit(text[i])) {
            digits.push_back(text[i]);
        }
    }
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    int exponent = 0;
    std::from_chars(text.data() + ePos + 1 + (text[ePos + 1] == '+' ? 1 : 0),
                    text.data() + text.size(), exponent);

    std::string out = negative ? "-" : "";
    if (exponent >= -4 && exponent < Precision) {
        const int digitCount = static_cast<int>(digits.size());
        if (exponent >= 0) {
            const int intCount = exponent + 1;
            if (digitCount <= intCount) {
                out += digits;
                out.append(static_cast<size_t>(intCount - digitCount), '0');
            } else {
                out += digits.substr(0, static_cast<size_t>(intCount));
                out += decimalSeparator;
                out += digits.substr(static_cast<size_t>(intCount));
            }
        } else {
            out += '0';
            out += decimalSeparator;
            out.append(static_cast<size_t>(-exponent - 1), '0');
            out += digits;
        }
        return out;
    }
    out += digits[0];
    if (digits.size() > 1) {
        out += decimalSeparator;
        out += digits.substr(1);
    }
    out += 'E';
    out += std::to_string(exponent);
    return out;
}

char UserDecimalSeparator() {
    try {
        const std::locale user("");
        return std::use_facet<std::numpunct<char>>(user).decimal_point();
    } catch (const std::exception&) {
        return '.';
    }
}

} // namespace qvr
