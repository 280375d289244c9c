// Numbers as Oracle writes them as text, and reading such text back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace oradb {

// Oracle's text of a number: integers plainly ("42"), fractions without a leading zero
// (".5", "-.25"), at most 15 significant digits, no exponent below 1e15.
std::string oracleNumberText(double value);

// Whole-text conversions (surrounding blanks allowed); nothing when the text is not a number.
std::optional<std::int64_t> parseInteger(std::string_view text);
std::optional<double> parseFloat(std::string_view text);

} // namespace oradb
