// Numbers as Oracle writes them as text, and reading such text back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace oradb {

// Oracle's text of a number (format model TM): integers plainly ("42", "100000000000000000000"),
// fractions without a leading zero (".5", "-.25"), scientific ("1.5E+70") only beyond 64
// characters; at most the 15 significant digits a double holds.
std::string oracleNumberText(double value);

// Oracle's internal form of a NUMBER (without the length byte that SQLT_VNU puts first): an
// exponent byte and up to 20 base-100 digits. `oracleNumberText` of those bytes is the exact
// decimal text in the style above; it does not
// depend on the client's locale or NLS settings. Nothing when the bytes are not a NUMBER.
std::optional<std::string> oracleNumberText(const unsigned char* bytes, std::size_t length);
// The internal form of a decimal text ("3.14", "-.5", "1.0E-20"), rounded to 40 digits; nothing
// when the text is not a number or lies outside NUMBER's range.
std::optional<std::string> oracleNumberBytes(std::string_view text);

// Whole-text conversions (surrounding blanks allowed); nothing when the text is not a number.
std::optional<std::int64_t> parseInteger(std::string_view text);
std::optional<double> parseFloat(std::string_view text);

} // namespace oradb
