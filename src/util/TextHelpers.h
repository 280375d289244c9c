// Small text helpers that several layers share. Case changes are ASCII-only on purpose: Oracle
// names and keywords are ASCII, and the bytes of UTF-8 text (user data, SQL literals) must pass
// through unchanged whatever the C library's locale is.
#pragma once

#include <string>
#include <string_view>

namespace util {

inline std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

inline std::string upperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// `s` without leading and trailing spaces, tabs and line ends.
inline std::string trimmed(std::string_view s) {
    constexpr std::string_view blanks = " \t\r\n";
    const auto b = s.find_first_not_of(blanks);
    if (b == std::string_view::npos)
        return {};
    const auto e = s.find_last_not_of(blanks);
    return std::string(s.substr(b, e - b + 1));
}

// `s` as an SQL string literal: in single quotes, each quote inside doubled.
inline std::string sqlQuoted(std::string_view s) {
    std::string out = "'";
    for (char c : s) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    out += '\'';
    return out;
}

// `v` as one field of a comma-separated line (RFC 4180): as it is, or quoted with its quotes
// doubled when it holds a comma, a quote or a line end.
inline std::string csvField(std::string_view v) {
    if (v.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(v);
    std::string out = "\"";
    for (char c : v) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

} // namespace util
