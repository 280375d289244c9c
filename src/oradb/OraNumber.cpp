#include "oradb/OraNumber.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace oradb {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

} // namespace

namespace {

// The exact digits of a number: value = 0.digits x 10^point, without leading or trailing zeros
// (an empty digit string is zero).
struct DecimalDigits {
    bool negative = false;
    std::string digits;
    int point = 0;

    void normalise() {
        std::size_t lead = 0;
        while (lead < digits.size() && digits[lead] == '0')
            ++lead;
        digits.erase(0, lead);
        point -= static_cast<int>(lead);
        while (!digits.empty() && digits.back() == '0')
            digits.pop_back();
        if (digits.empty())
            point = 0;
    }

    // Rounds half up to `count` significant digits.
    void round(std::size_t count) {
        if (digits.size() <= count)
            return;
        const bool up = digits[count] >= '5';
        digits.resize(count);
        for (std::size_t i = count; up && i-- > 0;) {
            if (digits[i] != '9') {
                ++digits[i];
                normalise();
                return;
            }
            digits[i] = '0';
            if (i == 0) {
                digits.insert(digits.begin(), '1');
                ++point;
            }
        }
        normalise();
    }

    std::string text() const {
        if (digits.empty())
            return "0";
        const int n = static_cast<int>(digits.size());
        std::string plain;
        if (point <= 0)
            plain = "." + std::string(static_cast<std::size_t>(-point), '0') + digits;
        else if (point >= n)
            plain = digits + std::string(static_cast<std::size_t>(point - n), '0');
        else
            plain = digits.substr(0, static_cast<std::size_t>(point)) + "." +
                    digits.substr(static_cast<std::size_t>(point));
        if (plain.size() > 64) {
            // Longer than Oracle's text of a number (format model TM) holds: scientific.
            plain = digits.substr(0, 1) + "." + (n > 1 ? digits.substr(1) : std::string("0"));
            char exp[16];
            std::snprintf(exp, sizeof exp, "E%c%02d", point - 1 < 0 ? '-' : '+',
                          std::abs(point - 1));
            plain += exp;
        }
        return negative ? "-" + plain : plain;
    }
};

// Oracle's NUMBER holds at most 20 base-100 digits and a base-100 exponent of -64 to 62 (61 for
// negative numbers), about 1E-130 to 9.99E+125.
constexpr std::size_t kMaxMantissaBytes = 20;
constexpr int kMinExponent = -64;
constexpr int kMaxExponent = 62;

} // namespace

std::string oracleNumberText(double value) {
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "~" : "-~";
    if (value == 0)
        return "0";
    // 15 significant digits: what a double holds exactly. to_chars, unlike printf, ignores the
    // process locale (Qt sets it from the environment).
    char buf[64];
    const char* end =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14).ptr;
    DecimalDigits d;
    const char* p = buf;
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    for (; p < end && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            d.digits += *p;
    int exponent = 0;
    if (p < end) {
        const char* e = p + 1;
        if (e < end && *e == '+')
            ++e;
        std::from_chars(e, end, exponent);
    }
    d.point = exponent + 1;
    d.normalise();
    return d.text();
}

std::optional<std::string> oracleNumberText(const unsigned char* b, std::size_t length) {
    if (!b || length == 0 || length > kMaxMantissaBytes + 1)
        return std::nullopt;
    if (length == 1 && b[0] == 0x80)
        return "0";
    if (length == 1 && b[0] == 0x00)
        return "-~"; // negative infinity
    if (length == 2 && b[0] == 0xFF && b[1] == 101)
        return "~"; // positive infinity
    DecimalDigits d;
    d.negative = (b[0] & 0x80) == 0;
    const int exponent = (d.negative ? (~b[0] & 0x7F) : (b[0] & 0x7F)) - 65;
    for (std::size_t i = 1; i < length; ++i) {
        if (d.negative && b[i] == 102) {
            if (i + 1 != length)
                return std::nullopt; // the terminator of a negative number comes last
            break;
        }
        const int digit = d.negative ? 101 - b[i] : b[i] - 1;
        if (digit < 0 || digit > 99)
            return std::nullopt;
        d.digits += static_cast<char>('0' + digit / 10);
        d.digits += static_cast<char>('0' + digit % 10);
    }
    if (d.digits.empty())
        return std::nullopt;
    d.point = 2 * (exponent + 1);
    d.normalise();
    if (d.digits.empty())
        return std::nullopt; // zero is written as 0x80 alone
    return d.text();
}

std::optional<std::string> oracleNumberBytes(std::string_view text) {
    text = trimmed(text);
    DecimalDigits d;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        d.negative = text[i++] == '-';
    bool seenPoint = false, seenDigit = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            d.digits += c;
            seenDigit = true;
            if (!seenPoint)
                ++d.point;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!seenDigit)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        int exponent = 0;
        std::string_view rest = text.substr(i + 1);
        if (!rest.empty() && rest.front() == '+')
            rest.remove_prefix(1);
        const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), exponent);
        if (ec != std::errc() || end != rest.data() + rest.size())
            return std::nullopt;
        d.point += exponent;
    } else if (i != text.size()) {
        return std::nullopt;
    }
    d.normalise();
    if (d.digits.empty())
        return std::string(1, '\x80');
    // Base-100 digits start at an even decimal position: an odd point takes a leading zero,
    // which leaves room for 39 significant digits instead of 40.
    d.round(d.point % 2 != 0 ? 39 : 40);
    std::string digits = d.digits;
    int point = d.point;
    if (point % 2 != 0) {
        digits.insert(digits.begin(), '0');
        ++point;
    }
    if (digits.size() % 2 != 0)
        digits += '0';
    const int exponent = point / 2 - 1;
    if (exponent > kMaxExponent - (d.negative ? 1 : 0))
        return std::nullopt;
    if (exponent < kMinExponent)
        return std::string(1, '\x80'); // below NUMBER's range: zero, as Oracle rounds it
    std::string bytes;
    bytes += static_cast<char>(d.negative ? 62 - exponent : 193 + exponent);
    for (std::size_t k = 0; k < digits.size(); k += 2) {
        const int pair = (digits[k] - '0') * 10 + (digits[k + 1] - '0');
        bytes += static_cast<char>(d.negative ? 101 - pair : pair + 1);
    }
    if (d.negative && bytes.size() < kMaxMantissaBytes + 1)
        bytes += static_cast<char>(102);
    return bytes;
}

std::optional<std::int64_t> parseInteger(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int64_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return v;
}

std::optional<double> parseFloat(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return v;
}

} // namespace oradb
