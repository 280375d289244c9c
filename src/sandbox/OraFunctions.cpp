// The Oracle SQL functions that translated statements call, registered on a sandbox connection.
// They follow Oracle's semantics where SQLite's differ: an empty text is NULL, numbers convert
// from text (ORA-01722 when they cannot), RAW values are upper-case hexadecimal text.
#include "oradb/OraError.h"
#include "sandbox/OraDialect.h"
#include "sandbox/OraDialectInternal.h"
#include "sandbox/OraFunctionsInternal.h"
#include "util/TextHelpers.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <regex>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace oradb::sandbox {

using fn::Num;

namespace {

[[noreturn]] void fail(int code, const std::string& text) {
    throw oradb::EOraError(code, text);
}

// ---- values ----------------------------------------------------------------------------------

bool isNull(sqlite3_value* v) {
    const int type = sqlite3_value_type(v);
    return type == SQLITE_NULL || (type == SQLITE_TEXT && sqlite3_value_bytes(v) == 0);
}

bool isNumeric(sqlite3_value* v) {
    const int type = sqlite3_value_type(v);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

std::string hexOf(const unsigned char* bytes, int n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(static_cast<std::size_t>(n) * 2);
    for (int i = 0; i < n; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

// The value as Oracle would show it as text.
std::string textOf(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return std::to_string(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return fn::numberText(sqlite3_value_double(v));
    case SQLITE_BLOB:
        return hexOf(static_cast<const unsigned char*>(sqlite3_value_blob(v)),
                     sqlite3_value_bytes(v));
    case SQLITE_NULL:
        return {};
    default:
        return std::string(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                           static_cast<std::size_t>(sqlite3_value_bytes(v)));
    }
}

Num numberOf(sqlite3_value* v) {
    Num n;
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        n.isInt = true;
        n.i = sqlite3_value_int64(v);
        return n;
    case SQLITE_FLOAT:
        n.d = sqlite3_value_double(v);
        return n;
    default:
        if (const auto parsed = fn::parseNumber(textOf(v)))
            return *parsed;
        fail(1722, "invalid number");
    }
}

// An integer argument such as a length or position: Oracle truncates fractions.
std::int64_t integerOf(sqlite3_value* v) {
    const Num n = numberOf(v);
    if (n.isInt)
        return n.i;
    const double t = std::trunc(n.d);
    if (!(std::fabs(t) < 9.2e18))
        fail(1428, "argument '" + fn::numberText(n.d) + "' is out of range");
    return static_cast<std::int64_t>(t);
}

void resultText(sqlite3_context* c, const std::string& s) {
    if (s.empty())
        sqlite3_result_null(c); // Oracle's empty string is NULL
    else
        sqlite3_result_text(c, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

// A number result: integral values within 2^53 come back as integers, as Oracle shows them.
void resultNumber(sqlite3_context* c, const Num& n) {
    if (n.isInt) {
        sqlite3_result_int64(c, n.i);
    } else if (std::isfinite(n.d) && n.d == std::trunc(n.d) &&
               std::fabs(n.d) < 9007199254740992.0) {
        sqlite3_result_int64(c, static_cast<std::int64_t>(n.d));
    } else {
        sqlite3_result_double(c, n.d);
    }
}

int compareNumbers(const Num& a, const Num& b) {
    if (a.isInt && b.isInt)
        return a.i < b.i ? -1 : (a.i > b.i ? 1 : 0);
    const double x = a.value();
    const double y = b.value();
    return x < y ? -1 : (x > y ? 1 : 0);
}

std::string hexText(sqlite3_value* v) {
    if (sqlite3_value_type(v) == SQLITE_BLOB)
        return textOf(v);
    std::string s = textOf(v);
    for (char& ch : s) {
        if (!std::isxdigit(static_cast<unsigned char>(ch)))
            fail(1465, "invalid hex number");
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    if (s.size() % 2 == 1)
        s.insert(s.begin(), '0');
    return s;
}

// The characters of UTF-8 text, each as its byte sequence.
std::vector<std::string_view> characters(std::string_view s) {
    std::vector<std::string_view> out;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = 1;
        while (i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80)
            ++n;
        out.push_back(s.substr(i, n));
        i += n;
    }
    return out;
}

FunctionHost* hostOf(sqlite3_context* c) {
    return static_cast<FunctionHost*>(sqlite3_user_data(c));
}

// ---- the functions ----------------------------------------------------------------------------

void oraSysdate(sqlite3_context* c, int, sqlite3_value**) {
    resultText(c, hostOf(c)->sysdateText());
}

// SYSTIMESTAMP: the statement's clock with fractional seconds and the zone of the instance
// (the sandbox keeps its clock in UTC).
void oraSystimestamp(sqlite3_context* c, int, sqlite3_value**) {
    resultText(c, hostOf(c)->sysdateText() + ".000000 +00:00");
}

// Oracle's base-64 alphabet of ROWIDs.
const char kRowidAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// An extended ROWID's text: data object 6, file 3, block 6 and row 3 base-64 digits.
std::string rowidText(std::int64_t object, std::int64_t file, std::int64_t block,
                      std::int64_t row) {
    auto digits = [](std::int64_t value, int count) {
        std::string out(static_cast<std::size_t>(count), 'A');
        auto u = static_cast<std::uint64_t>(std::max<std::int64_t>(value, 0));
        for (int i = count - 1; i >= 0; --i, u /= 64)
            out[static_cast<std::size_t>(i)] = kRowidAlphabet[u % 64];
        return out;
    };
    return digits(object, 6) + digits(file, 3) + digits(block, 6) + digits(row, 3);
}

// The ROWID of SQLite's row number: every table seems to live in file 4, 64 rows to a block.
std::string rowidOfRow(std::int64_t row) {
    row = std::max<std::int64_t>(row, 0);
    return rowidText(73580, 4, 128 + row / 64, row % 64);
}

void oraRowid(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    resultText(c, rowidOfRow(integerOf(v[0])));
}

// dbms_rowid.rowid_create(type, object, file, block, row).
void dbmsRowidCreate(sqlite3_context* c, int, sqlite3_value** v) {
    for (int i = 0; i < 5; ++i)
        if (isNull(v[i]))
            return sqlite3_result_null(c);
    resultText(c, rowidText(integerOf(v[1]), integerOf(v[2]), integerOf(v[3]), integerOf(v[4])));
}

// dbms_rowid.rowid_object, rowid_relative_fno, rowid_block_number and rowid_row_number: the
// parts of a ROWID's text, or of the ROWID pseudo-column's row number.
template <std::size_t Offset, std::size_t Count>
void dbmsRowidPart(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    const std::string rowid = sqlite3_value_type(v[0]) == SQLITE_INTEGER
                                  ? rowidOfRow(sqlite3_value_int64(v[0]))
                                  : textOf(v[0]);
    if (rowid.size() != 18)
        fail(1410, "invalid ROWID");
    std::int64_t value = 0;
    for (std::size_t i = Offset; i < Offset + Count; ++i) {
        const char* at = std::strchr(kRowidAlphabet, rowid[i]);
        if (!at || !*at)
            fail(1410, "invalid ROWID");
        value = value * 64 + (at - kRowidAlphabet);
    }
    sqlite3_result_int64(c, value);
}

// dbms_lob.getlength(lob): characters of a CLOB's text.
void dbmsLobGetLength(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    const std::string text = textOf(v[0]);
    std::int64_t n = 0;
    for (unsigned char ch : text)
        n += (ch & 0xC0) != 0x80;
    sqlite3_result_int64(c, n);
}

// dbms_lob.substr(lob, amount = 32767, offset = 1): characters of a CLOB's text; NULL for an
// amount or offset below 1, as Oracle answers.
void dbmsLobSubstr(sqlite3_context* c, int n, sqlite3_value** v) {
    if (isNull(v[0]) || (n > 1 && isNull(v[1])) || (n > 2 && isNull(v[2])))
        return sqlite3_result_null(c);
    const std::int64_t amount = n > 1 ? integerOf(v[1]) : 32767;
    const std::int64_t offset = n > 2 ? integerOf(v[2]) : 1;
    if (amount < 1 || offset < 1)
        return sqlite3_result_null(c);
    const std::string text = textOf(v[0]);
    // the byte where the code point `count` code points after `from` starts
    auto advance = [&text](std::size_t from, std::int64_t count) {
        std::size_t i = from;
        for (std::int64_t k = 0; k < count && i < text.size(); ++k) {
            ++i;
            while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
                ++i;
        }
        return i;
    };
    const std::size_t begin = advance(0, offset - 1);
    const std::size_t end = advance(begin, amount);
    if (begin >= text.size())
        return sqlite3_result_null(c);
    resultText(c, text.substr(begin, end - begin));
}

// dbms_utility.get_time: hundredths of a second from an arbitrary point, as a signed 32-bit
// count that wraps.
void dbmsUtilityGetTime(sqlite3_context* c, int, sqlite3_value**) {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const auto centis = std::chrono::duration_cast<std::chrono::milliseconds>(now).count() / 10;
    sqlite3_result_int64(c, static_cast<std::int32_t>(static_cast<std::uint32_t>(centis)));
}

// TO_CLOB, TO_NCLOB and XMLTYPE hold their text; the result column carries the Oracle type.
void sameText(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    resultText(c, textOf(v[0]));
}

// BFILENAME(directory, file): a BFILE locator, written here as the call that made it.
void bfilename(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1]))
        return sqlite3_result_null(c);
    resultText(c, "bfilename('" + textOf(v[0]) + "', '" + textOf(v[1]) + "')");
}

void toBinaryDouble(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    sqlite3_result_double(c, numberOf(v[0]).value());
}

void toBinaryFloat(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    sqlite3_result_double(c, static_cast<float>(numberOf(v[0]).value()));
}

// NUMTODSINTERVAL(n, unit) as Oracle writes an INTERVAL DAY(9) TO SECOND(9):
// "+000000001 02:03:04.500000000".
void numToDsInterval(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1]))
        return sqlite3_result_null(c);
    const std::string unit = util::upperAscii(textOf(v[1]));
    const double n = numberOf(v[0]).value();
    double seconds = 0;
    if (unit == "DAY")
        seconds = n * 86400;
    else if (unit == "HOUR")
        seconds = n * 3600;
    else if (unit == "MINUTE")
        seconds = n * 60;
    else if (unit == "SECOND")
        seconds = n;
    else
        fail(1760, "illegal argument for function");
    const bool negative = seconds < 0;
    const auto nanos = static_cast<std::int64_t>(std::llround(std::fabs(seconds) * 1e9));
    const std::int64_t totalSeconds = nanos / 1000000000;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%c%09lld %02lld:%02lld:%02lld.%09lld", negative ? '-' : '+',
                  static_cast<long long>(totalSeconds / 86400),
                  static_cast<long long>(totalSeconds / 3600 % 24),
                  static_cast<long long>(totalSeconds / 60 % 60),
                  static_cast<long long>(totalSeconds % 60),
                  static_cast<long long>(nanos % 1000000000));
    resultText(c, buf);
}

// NUMTOYMINTERVAL(n, unit) as Oracle writes an INTERVAL YEAR(9) TO MONTH: "+000000001-02".
void numToYmInterval(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1]))
        return sqlite3_result_null(c);
    const std::string unit = util::upperAscii(textOf(v[1]));
    const double n = numberOf(v[0]).value();
    double months = 0;
    if (unit == "YEAR")
        months = n * 12;
    else if (unit == "MONTH")
        months = n;
    else
        fail(1760, "illegal argument for function");
    const auto total = static_cast<long long>(std::trunc(std::fabs(months)));
    char buf[32];
    std::snprintf(buf, sizeof buf, "%c%09lld-%02lld", months < 0 ? '-' : '+', total / 12,
                  total % 12);
    resultText(c, buf);
}

void oraUser(sqlite3_context* c, int, sqlite3_value**) {
    resultText(c, hostOf(c)->currentUser());
}

void oraDivisor(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    const double d = numberOf(v[0]).value();
    if (d == 0)
        fail(1476, "divisor is equal to zero");
    sqlite3_result_double(c, d);
}

// decode(expr, search1, result1, ..., [default]): values compare as the first search's type,
// NULL matches NULL, and the result takes the first result's type.
void decode(sqlite3_context* c, int n, sqlite3_value** v) {
    if (n < 3)
        fail(909, "invalid number of arguments");
    const bool numeric = isNumeric(v[1]);
    int chosen = -1;
    for (int k = 1; k + 1 < n && chosen < 0; k += 2) {
        const bool exprNull = isNull(v[0]);
        const bool searchNull = isNull(v[k]);
        bool match = false;
        if (exprNull || searchNull)
            match = exprNull && searchNull;
        else if (numeric)
            match = compareNumbers(numberOf(v[0]), numberOf(v[k])) == 0;
        else
            match = textOf(v[0]) == textOf(v[k]);
        if (match)
            chosen = k + 1;
    }
    if (chosen < 0 && n % 2 == 0)
        chosen = n - 1;
    if (chosen < 0 || isNull(v[chosen]))
        return sqlite3_result_null(c);
    if (!isNumeric(v[2]) && isNumeric(v[chosen]))
        return resultText(c, textOf(v[chosen]));
    if (isNumeric(v[2]) && !isNumeric(v[chosen]))
        return resultNumber(c, numberOf(v[chosen]));
    sqlite3_result_value(c, v[chosen]);
}

void nvl(sqlite3_context* c, int, sqlite3_value** v) {
    sqlite3_value* r = isNull(v[0]) ? v[1] : v[0];
    if (isNull(r))
        return sqlite3_result_null(c);
    sqlite3_result_value(c, r);
}

void nvl2(sqlite3_context* c, int, sqlite3_value** v) {
    sqlite3_value* r = isNull(v[0]) ? v[2] : v[1];
    if (isNull(r))
        return sqlite3_result_null(c);
    sqlite3_result_value(c, r);
}

void rawtohex(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    resultText(c, hexText(v[0]));
}

void toChar(sqlite3_context* c, int n, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    const bool formatted = n > 1 && !isNull(v[1]);
    const std::string format = formatted ? textOf(v[1]) : std::string();
    if (sqlite3_value_type(v[0]) == SQLITE_TEXT) {
        const std::string text = textOf(v[0]);
        if (const auto date = fn::parseDate(text))
            return resultText(c, fn::formatDate(*date, formatted ? format : "DD-MON-YY"));
        if (!formatted)
            return resultText(c, text);
    }
    if (sqlite3_value_type(v[0]) == SQLITE_BLOB && !formatted)
        return resultText(c, textOf(v[0]));
    const Num num = numberOf(v[0]);
    if (formatted)
        return resultText(c, fn::formatNumber(num.value(), format));
    resultText(c, num.isInt ? std::to_string(num.i) : fn::numberText(num.d));
}

void toNumber(sqlite3_context* c, int n, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    if (n > 1 && sqlite3_value_type(v[0]) == SQLITE_TEXT) {
        std::string text = textOf(v[0]); // a format's group separators and currency
        std::erase_if(text, [](char ch) { return ch == ',' || ch == '$'; });
        if (const auto parsed = fn::parseNumber(text))
            return resultNumber(c, *parsed);
        fail(1722, "invalid number");
    }
    resultNumber(c, numberOf(v[0]));
}

void power(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1]))
        return sqlite3_result_null(c);
    const Num base = numberOf(v[0]);
    const Num exponent = numberOf(v[1]);
    if (base.isInt && exponent.isInt && exponent.i >= 0) {
        // By squaring, so that power(1, 1e18) is quick; overflow falls back to a double.
        std::int64_t r = 1;
        std::int64_t b = base.i;
        bool overflow = false;
        for (std::int64_t e = exponent.i; e > 0 && !overflow; e >>= 1) {
            if (e & 1)
                overflow = __builtin_mul_overflow(r, b, &r);
            if (e > 1)
                overflow = overflow || __builtin_mul_overflow(b, b, &b);
        }
        if (!overflow) {
            Num out;
            out.isInt = true;
            out.i = r;
            return resultNumber(c, out);
        }
    }
    Num out;
    out.d = std::pow(base.value(), exponent.value());
    if (std::isnan(out.d))
        fail(1428, "argument '" + fn::numberText(base.value()) + "' is out of range");
    resultNumber(c, out);
}

void sign(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    const double d = numberOf(v[0]).value();
    sqlite3_result_int(c, d > 0 ? 1 : (d < 0 ? -1 : 0));
}

// mod(a, b) = a - b * trunc(a / b); mod(a, 0) = a.
void mod(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1]))
        return sqlite3_result_null(c);
    const Num a = numberOf(v[0]);
    const Num b = numberOf(v[1]);
    Num r;
    if (a.isInt && b.isInt) {
        r.isInt = true;
        r.i = b.i == 0 ? a.i : (b.i == -1 ? 0 : a.i % b.i);
    } else {
        r.d = b.value() == 0 ? a.value() : std::fmod(a.value(), b.value());
    }
    resultNumber(c, r);
}

// trunc and round of a number, or of a date text by a date format.
void truncOrRound(sqlite3_context* c, int n, sqlite3_value** v, bool truncate) {
    if (isNull(v[0]) || (n > 1 && isNull(v[1])))
        return sqlite3_result_null(c);
    if (sqlite3_value_type(v[0]) == SQLITE_TEXT) {
        if (const auto date = fn::parseDate(textOf(v[0]))) {
            const std::string format = n > 1 ? textOf(v[1]) : std::string();
            return resultText(c, fn::dateText(truncate ? fn::truncDate(*date, format)
                                                       : fn::roundDate(*date, format)));
        }
    }
    const Num x = numberOf(v[0]);
    const std::int64_t places = n > 1 ? integerOf(v[1]) : 0;
    Num r;
    if (x.isInt && places >= 0) {
        r = x;
    } else if (x.isInt && places < -18) {
        r.isInt = true;
    } else if (x.isInt) {
        std::int64_t unit = 1;
        for (std::int64_t k = 0; k < -places; ++k)
            unit *= 10;
        std::int64_t q = x.i / unit;
        const std::int64_t rest = x.i % unit;
        if (!truncate && (rest >= 0 ? rest : -rest) * 2 >= unit)
            q += x.i < 0 ? -1 : 1;
        r.isInt = true;
        r.i = q * unit;
    } else {
        const auto p =
            static_cast<int>(std::max<std::int64_t>(-400, std::min<std::int64_t>(places, 400)));
        r.d = fn::roundDecimal(x.d, p, truncate);
    }
    resultNumber(c, r);
}

void trunc(sqlite3_context* c, int n, sqlite3_value** v) {
    truncOrRound(c, n, v, true);
}
void round(sqlite3_context* c, int n, sqlite3_value** v) {
    truncOrRound(c, n, v, false);
}

// instr(text, sought[, position[, occurrence]]): a negative position searches backwards from
// that many characters before the end.
void instr(sqlite3_context* c, int n, sqlite3_value** v) {
    for (int k = 0; k < n; ++k)
        if (isNull(v[k]))
            return sqlite3_result_null(c);
    const std::string text = textOf(v[0]);
    const std::string sought = textOf(v[1]);
    const std::int64_t position = n > 2 ? integerOf(v[2]) : 1;
    const std::int64_t occurrence = n > 3 ? integerOf(v[3]) : 1;
    if (occurrence <= 0)
        fail(1428, "argument '" + std::to_string(occurrence) + "' is out of range");
    const auto s = characters(text);
    const auto p = characters(sought);
    const auto len = static_cast<std::int64_t>(s.size());
    const auto plen = static_cast<std::int64_t>(p.size());
    auto matchesAt = [&](std::int64_t k) {
        for (std::int64_t j = 0; j < plen; ++j)
            if (s[static_cast<std::size_t>(k + j)] != p[static_cast<std::size_t>(j)])
                return false;
        return true;
    };
    std::int64_t found = 0;
    std::int64_t count = 0;
    if (position > 0) {
        for (std::int64_t k = position - 1; k + plen <= len && found == 0; ++k)
            if (matchesAt(k) && ++count == occurrence)
                found = k + 1;
    } else if (position < 0) {
        for (std::int64_t k = std::min(len + position, len - plen); k >= 0 && found == 0; --k)
            if (matchesAt(k) && ++count == occurrence)
                found = k + 1;
    }
    sqlite3_result_int64(c, found);
}

void pad(sqlite3_context* c, int n, sqlite3_value** v, bool left) {
    for (int k = 0; k < n; ++k)
        if (isNull(v[k]))
            return sqlite3_result_null(c);
    const std::string text = textOf(v[0]);
    // Oracle's longest text (32767 bytes) bounds the width.
    const std::int64_t width = std::min<std::int64_t>(integerOf(v[1]), 32767);
    const std::string filler = n > 2 ? textOf(v[2]) : std::string(" ");
    if (width < 1)
        return sqlite3_result_null(c);
    const auto s = characters(text);
    if (static_cast<std::int64_t>(s.size()) >= width) {
        std::string cut;
        for (std::int64_t k = 0; k < width; ++k)
            cut += s[static_cast<std::size_t>(k)];
        return resultText(c, cut);
    }
    const auto f = characters(filler);
    std::string padding;
    for (std::int64_t k = 0; k < width - static_cast<std::int64_t>(s.size()); ++k)
        padding += f[static_cast<std::size_t>(k) % f.size()];
    resultText(c, left ? padding + text : text + padding);
}

void lpad(sqlite3_context* c, int n, sqlite3_value** v) {
    pad(c, n, v, true);
}
void rpad(sqlite3_context* c, int n, sqlite3_value** v) {
    pad(c, n, v, false);
}

// greatest/least: NULL when any argument is; compared as the first argument's type.
void extreme(sqlite3_context* c, int n, sqlite3_value** v, int wanted) {
    if (n < 1)
        fail(909, "invalid number of arguments");
    for (int k = 0; k < n; ++k)
        if (isNull(v[k]))
            return sqlite3_result_null(c);
    if (isNumeric(v[0])) {
        Num best = numberOf(v[0]);
        for (int k = 1; k < n; ++k) {
            const Num x = numberOf(v[k]);
            if (compareNumbers(x, best) == wanted)
                best = x;
        }
        return resultNumber(c, best);
    }
    std::string best = textOf(v[0]);
    for (int k = 1; k < n; ++k) {
        std::string x = textOf(v[k]);
        const int cmp = x.compare(best);
        if ((cmp > 0 ? 1 : (cmp < 0 ? -1 : 0)) == wanted)
            best = std::move(x);
    }
    resultText(c, best);
}

void greatest(sqlite3_context* c, int n, sqlite3_value** v) {
    extreme(c, n, v, 1);
}
void least(sqlite3_context* c, int n, sqlite3_value** v) {
    extreme(c, n, v, -1);
}

// ---- dates and text ---------------------------------------------------------------------------

// A DATE value: the sandbox's date text (a timestamp's fraction and zone are ignored).
std::optional<fn::DateTime> dateOf(sqlite3_value* v) {
    if (sqlite3_value_type(v) != SQLITE_TEXT)
        return std::nullopt;
    std::string text = textOf(v);
    if (text.size() > 19 && text[19] == '.')
        text.resize(19);
    return fn::parseDate(text);
}

fn::DateTime requireDate(sqlite3_value* v) {
    if (const auto d = dateOf(v))
        return *d;
    fail(1858, "a non-numeric character was found where a numeric was expected");
}

fn::DateTime movedDays(const fn::DateTime& d, double days) {
    return fn::dateOfSeconds(fn::secondsOf(d) + std::llround(days * 86400));
}

// An interval's text as NUMTODSINTERVAL writes it ("+000000001 02:03:04.500000000") in days, or
// as NUMTOYMINTERVAL writes it ("+000000001-02") in months (`months` set).
std::optional<double> intervalOf(sqlite3_value* v, bool& months) {
    if (sqlite3_value_type(v) != SQLITE_TEXT)
        return std::nullopt;
    const std::string t = textOf(v);
    if (t.size() < 4 || (t[0] != '+' && t[0] != '-'))
        return std::nullopt;
    const double sign = t[0] == '-' ? -1 : 1;
    int a = 0, b = 0, h = 0, m = 0;
    double sec = 0;
    if (std::sscanf(t.c_str() + 1, "%d %d:%d:%lf", &a, &h, &m, &sec) == 4) {
        months = false;
        return sign * (a + h / 24.0 + m / 1440.0 + sec / 86400.0);
    }
    if (std::sscanf(t.c_str() + 1, "%d-%d", &a, &b) == 2 && t.find(' ') == std::string::npos) {
        months = true;
        return sign * (a * 12 + b);
    }
    return std::nullopt;
}

// a + b and a - b as Oracle computes them with DATEs: date ± days is a date, date - date the days
// between (with the fraction of a day), numbers add as numbers.
void arithmetic(sqlite3_context* c, sqlite3_value** v, bool subtract) {
    if (isNull(v[0]) || isNull(v[1]))
        return sqlite3_result_null(c);
    const auto da = dateOf(v[0]);
    const auto db = dateOf(v[1]);
    if (da && db) {
        if (!subtract)
            fail(975, "date + date not allowed");
        Num r;
        r.d = static_cast<double>(fn::secondsOf(*da) - fn::secondsOf(*db)) / 86400.0;
        return resultNumber(c, r);
    }
    if (da) {
        bool months = false;
        if (const auto interval = intervalOf(v[1], months)) {
            const double n = (subtract ? -1 : 1) * *interval;
            return resultText(
                c, fn::dateText(months ? fn::addMonths(*da, std::llround(n)) : movedDays(*da, n)));
        }
        return resultText(
            c, fn::dateText(movedDays(*da, (subtract ? -1 : 1) * numberOf(v[1]).value())));
    }
    if (db) {
        if (subtract)
            fail(932, "inconsistent datatypes: expected NUMBER got DATE");
        return resultText(c, fn::dateText(movedDays(*db, numberOf(v[0]).value())));
    }
    const Num a = numberOf(v[0]);
    const Num b = numberOf(v[1]);
    Num r;
    if (a.isInt && b.isInt) {
        r.isInt = !(subtract ? __builtin_sub_overflow(a.i, b.i, &r.i)
                             : __builtin_add_overflow(a.i, b.i, &r.i));
        if (r.isInt)
            return resultNumber(c, r);
    }
    r.isInt = false;
    r.d = subtract ? a.value() - b.value() : a.value() + b.value();
    if (!a.isInt || !b.isInt) {
        // Decimal sums of binary fractions: keep Oracle's 15 significant digits (0.1 + 0.2 = 0.3).
        const double mag = std::fabs(r.d);
        if (mag > 0 && std::isfinite(mag))
            r.d = fn::roundDecimal(r.d, 14 - static_cast<int>(std::floor(std::log10(mag))), false);
    }
    resultNumber(c, r);
}

void oraAdd(sqlite3_context* c, int, sqlite3_value** v) {
    arithmetic(c, v, false);
}
void oraSub(sqlite3_context* c, int, sqlite3_value** v) {
    arithmetic(c, v, true);
}

// substr(text, position[, length]): position 0 is 1, a negative position counts from the end,
// a length below 1 gives NULL.
void substr(sqlite3_context* c, int n, sqlite3_value** v) {
    for (int k = 0; k < n; ++k)
        if (isNull(v[k]))
            return sqlite3_result_null(c);
    const std::string text = textOf(v[0]);
    const auto s = characters(text);
    const auto len = static_cast<std::int64_t>(s.size());
    std::int64_t position = integerOf(v[1]);
    if (position == 0)
        position = 1;
    else if (position < 0)
        position = len + position + 1;
    if (position < 1 || position > len)
        return sqlite3_result_null(c);
    std::int64_t count = len - position + 1;
    if (n > 2) {
        const Num wanted = numberOf(v[2]);
        if (wanted.value() < 1)
            return sqlite3_result_null(c);
        count = std::min(count, integerOf(v[2]));
    }
    std::string out;
    for (std::int64_t k = 0; k < count; ++k)
        out += s[static_cast<std::size_t>(position - 1 + k)];
    resultText(c, out);
}

void toDate(sqlite3_context* c, int n, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    if (const auto d = dateOf(v[0]); d && (n < 2 || isNull(v[1])))
        return resultText(c, fn::dateText(*d));
    const std::string format = n > 1 && !isNull(v[1]) ? textOf(v[1]) : "DD-MON-RR";
    const auto now = fn::parseDate(hostOf(c)->sysdateText()).value_or(fn::DateTime{});
    resultText(c, fn::dateText(fn::parseDateFormat(textOf(v[0]), format, now)));
}

void addMonths(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1]))
        return sqlite3_result_null(c);
    resultText(c, fn::dateText(fn::addMonths(requireDate(v[0]), integerOf(v[1]))));
}

void monthsBetween(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1]))
        return sqlite3_result_null(c);
    Num r;
    r.d = fn::monthsBetween(requireDate(v[0]), requireDate(v[1]));
    resultNumber(c, r);
}

void lastDay(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    fn::DateTime d = requireDate(v[0]);
    const fn::DateTime next = fn::addMonths(fn::DateTime{d.year, d.month, 1, 0, 0, 0}, 1);
    const fn::DateTime last = fn::dateOfSeconds(fn::secondsOf(next) - 86400);
    d.day = last.day;
    resultText(c, fn::dateText(d));
}

// next_day(date, day): the first date after `date` that falls on the named day of the week (an
// English name or its first three letters), at the same time of day.
void nextDay(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1]))
        return sqlite3_result_null(c);
    const fn::DateTime d = requireDate(v[0]);
    const std::string name = util::upperAscii(std::string(textOf(v[1])));
    static const char* const days[] = {"SUNDAY",   "MONDAY", "TUESDAY", "WEDNESDAY",
                                       "THURSDAY", "FRIDAY", "SATURDAY"};
    int wanted = -1;
    for (int i = 0; i < 7 && wanted < 0; ++i)
        if (name.size() >= 3 && std::string_view(days[i]).substr(0, name.size()) == name)
            wanted = i;
    if (wanted < 0)
        fail(1846, "not a valid day of the week");
    const std::int64_t seconds = fn::secondsOf(d);
    const std::int64_t days1970 = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
    const int weekday = static_cast<int>(((days1970 % 7) + 7 + 4) % 7); // 1970-01-01: Thursday
    const int ahead = (wanted - weekday + 7) % 7;
    resultText(c, fn::dateText(fn::dateOfSeconds(seconds + (ahead == 0 ? 7 : ahead) * 86400)));
}

// chr(n): the character of code n (UTF-8 above 127, as the sandbox's AL32UTF8 would).
void chr(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    const std::int64_t code = integerOf(v[0]);
    if (code < 0 || code > 0x10FFFF)
        fail(1428, "argument '" + std::to_string(code) + "' is out of range");
    std::string out;
    const auto u = static_cast<std::uint32_t>(code);
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (u >> 18));
        out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
    if (code == 0)
        return sqlite3_result_text(c, "\0", 1, SQLITE_TRANSIENT);
    resultText(c, out);
}

// initcap: the first letter of every word upper case, the others lower case; words are runs of
// letters and digits.
void initcap(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    std::string s = textOf(v[0]);
    bool inWord = false;
    for (char& ch : s) {
        const auto u = static_cast<unsigned char>(ch);
        if (std::isalnum(u)) {
            ch = static_cast<char>(inWord ? std::tolower(u) : std::toupper(u));
            inWord = true;
        } else {
            inWord = u >= 0x80;
        }
    }
    resultText(c, s);
}

void bitand_(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1]))
        return sqlite3_result_null(c);
    sqlite3_result_int64(c, integerOf(v[0]) & integerOf(v[1]));
}

// One value of the instance or of its own session, read from the catalog views.
std::string catalogValue(sqlite3* db, const char* sql, std::int64_t sid) {
    sqlite3_stmt* st = nullptr;
    std::string out;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK) {
        sqlite3_bind_int64(st, 1, sid);
        if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_type(st, 0) != SQLITE_NULL)
            out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    }
    sqlite3_finalize(st);
    return out;
}

void userenvValue(sqlite3_context* c, const std::string& p);

// sys_context('USERENV', parameter) for the parameters a session can ask about itself.
void sysContext(sqlite3_context* c, int n, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1]))
        return sqlite3_result_null(c);
    const std::string ns = util::upperAscii(textOf(v[0]));
    const std::string p = util::upperAscii(textOf(v[1]));
    if (n > 2)
        fail(3001, "unimplemented feature: sys_context with a length is not emulated by the "
                   "sandbox");
    if (ns != "USERENV")
        return sqlite3_result_null(c); // an application context nobody set
    userenvValue(c, p);
}

// The USERENV parameter p (upper case) of the session whose statement runs.
void userenvValue(sqlite3_context* c, const std::string& p) {
    FunctionHost* host = hostOf(c);
    sqlite3* db = sqlite3_context_db_handle(c);
    const std::int64_t sid = host->currentSid();
    const std::string user = host->currentUser();
    auto session = [&](const char* column) {
        return catalogValue(
            db, ("select " + std::string(column) + " from \"v$session\" where sid = ?1").c_str(),
            sid);
    };
    auto instance = [&](const char* column) {
        return catalogValue(db, ("select " + std::string(column) + " from \"v$instance\"").c_str(),
                            sid);
    };
    if (p == "SESSION_USER" || p == "CURRENT_USER" || p == "AUTHENTICATED_IDENTITY")
        return resultText(c, user);
    if (p == "CURRENT_SCHEMA") {
        const std::string schema = session("schemaname");
        return resultText(c, schema.empty() ? user : schema);
    }
    if (p == "SID")
        return sqlite3_result_text(c, std::to_string(sid).c_str(), -1, SQLITE_TRANSIENT);
    if (p == "SESSIONID")
        return resultText(c, session("audsid"));
    auto dbName = [&] {
        std::string name = catalogValue(db, "select name from \"v$database\"", 0);
        return util::upperAscii(name.empty() ? instance("instance_name") : name);
    };
    if (p == "CON_NAME" || p == "SERVICE_NAME") {
        // a database without containers answers with its name; sessions use its service
        const std::string service = p == "SERVICE_NAME" ? session("service_name") : "";
        return resultText(c, service.empty() ? dbName() : service);
    }
    if (p == "CON_ID")
        return sqlite3_result_int(c, 0);
    if (p == "DB_NAME" || p == "DB_UNIQUE_NAME")
        return resultText(c, dbName());
    // parameters that are a column of v$instance or of the session's v$session row
    static const std::map<std::string, const char*, std::less<>> instanceColumns = {
        {"INSTANCE_NAME", "instance_name"},
        {"INSTANCE", "instance_number"},
        {"SERVER_HOST", "host_name"}};
    static const std::map<std::string, const char*, std::less<>> sessionColumns = {
        {"HOST", "machine"},  {"OS_USER", "osuser"}, {"TERMINAL", "terminal"},
        {"MODULE", "module"}, {"ACTION", "action"},  {"CLIENT_INFO", "client_info"}};
    if (const auto it = instanceColumns.find(p); it != instanceColumns.end())
        return resultText(c, instance(it->second));
    if (const auto it = sessionColumns.find(p); it != sessionColumns.end())
        return resultText(c, session(it->second));
    if (p == "LANGUAGE")
        return resultText(c, "AMERICAN_AMERICA.AL32UTF8");
    if (p == "NLS_DATE_FORMAT")
        return resultText(c, "DD-MON-RR");
    if (p == "ISDBA")
        return resultText(c, user == "SYS" ? "TRUE" : "FALSE");
    fail(2003, "invalid USERENV parameter");
}

// ora_connect_by_check(path, key, nocycle): 1 when the row `key` is not yet on the path of its
// parent; a row met again on its own path is a loop: ORA-01436, or 0 (end of the branch) with
// NOCYCLE.
void connectByCheck(sqlite3_context* c, int, sqlite3_value** v) {
    const std::string path = textOf(v[0]);
    const std::string key = textOf(v[1]);
    for (std::size_t at = 0; (at = path.find(key, at)) != std::string::npos; at += key.size()) {
        if ((at == 0 || path[at - 1] == '/') &&
            (at + key.size() == path.size() || path[at + key.size()] == '/')) {
            if (integerOf(v[2]) == 0)
                fail(1436, "CONNECT BY loop in user data");
            return sqlite3_result_int(c, 0);
        }
    }
    sqlite3_result_int(c, 1);
}

// userenv(parameter): the older form of sys_context('USERENV', parameter).
void userenv(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    const std::string p = util::upperAscii(textOf(v[0]));
    static const char* const known[] = {"SESSIONID", "SID",      "TERMINAL", "LANGUAGE",
                                        "ISDBA",     "INSTANCE", "LANG",     "CLIENT_INFO"};
    if (std::none_of(std::begin(known), std::end(known), [&p](const char* k) { return p == k; }))
        fail(2003, "invalid USERENV parameter");
    if (p == "LANG")
        return resultText(c, "US");
    userenvValue(c, p);
}

// replace(text, search[, replacement]): without a replacement the searched text is removed; a
// NULL search leaves the text as it is.
void replace(sqlite3_context* c, int n, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    std::string s = textOf(v[0]);
    const std::string search = textOf(v[1]);
    const std::string by = n > 2 ? textOf(v[2]) : std::string();
    if (search.empty())
        return resultText(c, s);
    std::string out;
    for (std::size_t at = 0;;) {
        const std::size_t found = s.find(search, at);
        out += s.substr(at, found - at);
        if (found == std::string::npos)
            break;
        out += by;
        at = found + search.size();
    }
    resultText(c, out);
}

// translate(text, from, to): each character of `from` becomes the one at its place in `to`, or
// is removed where `to` is shorter.
void translate(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1]) || isNull(v[2]))
        return sqlite3_result_null(c);
    const std::string text = textOf(v[0]);
    const std::string fromText = textOf(v[1]);
    const std::string toText = textOf(v[2]);
    const auto from = characters(fromText);
    const auto to = characters(toText);
    std::string out;
    for (std::string_view ch : characters(text)) {
        const auto it = std::find(from.begin(), from.end(), ch);
        if (it == from.end()) {
            out += ch;
        } else if (const auto k = static_cast<std::size_t>(it - from.begin()); k < to.size()) {
            out += to[k];
        }
    }
    resultText(c, out);
}

// ascii(text): the code of the first character.
void ascii(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    const std::string s = textOf(v[0]);
    const auto b = [&s](std::size_t k) { return static_cast<unsigned char>(s[k]) & 0x3Fu; };
    const auto lead = static_cast<unsigned char>(s[0]);
    std::uint32_t code = lead;
    if (lead >= 0xF0 && s.size() >= 4)
        code = ((lead & 7u) << 18) | (b(1) << 12) | (b(2) << 6) | b(3);
    else if (lead >= 0xE0 && s.size() >= 3)
        code = ((lead & 15u) << 12) | (b(1) << 6) | b(2);
    else if (lead >= 0xC0 && s.size() >= 2)
        code = ((lead & 31u) << 6) | b(1);
    sqlite3_result_int64(c, code);
}

// lengthb and vsize: the bytes of the value's text.
void lengthb(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    sqlite3_result_int64(c, static_cast<std::int64_t>(textOf(v[0]).size()));
}

// A regular expression of Oracle's syntax with the match parameters i, c, n, m, x.
std::regex oraRegex(const std::string& pattern, const std::string& flags) {
    auto options = std::regex::ECMAScript; // with \w, \d and [[:alpha:]] as Oracle has them
    for (char f : flags) {
        if (f == 'i')
            options |= std::regex::icase;
        else if (f == 'c')
            options &= ~std::regex::icase;
        else if (f != 'n' && f != 'm' && f != 'x')
            fail(1760, "illegal argument for function");
    }
    try {
        return std::regex(pattern, options);
    } catch (const std::regex_error&) {
        fail(12726, "unmatched bracket in regular expression");
    }
}

void regexpLike(sqlite3_context* c, int n, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1]))
        return sqlite3_result_int(c, 0);
    const std::string s = textOf(v[0]);
    sqlite3_result_int(
        c, std::regex_search(s, oraRegex(textOf(v[1]), n > 2 ? textOf(v[2]) : "")) ? 1 : 0);
}

// The matches of pattern in text from the 1-based character position on.
std::vector<std::smatch> regexMatches(const std::string& text, const std::regex& re,
                                      std::int64_t position, std::size_t* start = nullptr) {
    std::vector<std::smatch> out;
    const auto chars = characters(text);
    std::size_t offset = 0;
    for (std::int64_t k = 1; k < position && static_cast<std::size_t>(k - 1) < chars.size(); ++k)
        offset += chars[static_cast<std::size_t>(k - 1)].size();
    if (start)
        *start = offset;
    if (position > static_cast<std::int64_t>(chars.size()) + 1)
        return out;
    for (auto it = std::sregex_iterator(text.begin() + static_cast<long>(offset), text.end(), re);
         it != std::sregex_iterator(); ++it)
        out.push_back(*it);
    return out;
}

// regexp_substr(text, pattern[, position[, occurrence[, flags[, group]]]])
void regexpSubstr(sqlite3_context* c, int n, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1]))
        return sqlite3_result_null(c);
    const std::string text = textOf(v[0]);
    const auto matches = regexMatches(text, oraRegex(textOf(v[1]), n > 4 ? textOf(v[4]) : ""),
                                      n > 2 ? integerOf(v[2]) : 1);
    const std::int64_t occurrence = n > 3 ? integerOf(v[3]) : 1;
    const std::int64_t group = n > 5 ? integerOf(v[5]) : 0;
    if (occurrence < 1 || static_cast<std::size_t>(occurrence) > matches.size())
        return sqlite3_result_null(c);
    const std::smatch& m = matches[static_cast<std::size_t>(occurrence - 1)];
    if (group < 0 || static_cast<std::size_t>(group) >= m.size())
        return sqlite3_result_null(c);
    resultText(c, m[static_cast<std::size_t>(group)].str());
}

// regexp_count(text, pattern[, position[, flags]])
void regexpCount(sqlite3_context* c, int n, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1]))
        return sqlite3_result_null(c);
    const std::string text = textOf(v[0]);
    sqlite3_result_int64(c,
                         static_cast<std::int64_t>(
                             regexMatches(text, oraRegex(textOf(v[1]), n > 3 ? textOf(v[3]) : ""),
                                          n > 2 ? integerOf(v[2]) : 1)
                                 .size()));
}

// regexp_replace(text, pattern[, replacement[, position[, occurrence[, flags]]]]): \1..\9 in
// the replacement stand for the groups; occurrence 0 replaces every match.
void regexpReplace(sqlite3_context* c, int n, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    const std::string text = textOf(v[0]);
    if (isNull(v[1]))
        return resultText(c, text);
    const std::regex re = oraRegex(textOf(v[1]), n > 5 ? textOf(v[5]) : "");
    const std::string replacement = n > 2 ? textOf(v[2]) : std::string();
    const std::int64_t occurrence = n > 4 ? integerOf(v[4]) : 0;
    std::size_t base = 0;
    const auto matches = regexMatches(text, re, n > 3 ? integerOf(v[3]) : 1, &base);
    std::string out;
    std::size_t done = 0;
    std::int64_t count = 0;
    for (const std::smatch& m : matches) {
        ++count;
        if (occurrence != 0 && count != occurrence)
            continue;
        const std::size_t at = base + static_cast<std::size_t>(m.position());
        out += text.substr(done, at - done);
        for (std::size_t k = 0; k < replacement.size(); ++k) {
            if (replacement[k] == '\\' && k + 1 < replacement.size() &&
                std::isdigit(static_cast<unsigned char>(replacement[k + 1]))) {
                const auto g = static_cast<std::size_t>(replacement[++k] - '0');
                if (g < m.size())
                    out += m[g].str();
            } else {
                out += replacement[k];
            }
        }
        done = at + static_cast<std::size_t>(m.length());
    }
    out += text.substr(done);
    resultText(c, out);
}

// cast(x as date): the value as the sandbox's date text.
void oraCastDate(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]))
        return sqlite3_result_null(c);
    resultText(c, fn::dateText(requireDate(v[0])));
}

// extract(unit from date): the year, month, day, hour, minute or second.
void oraExtract(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[1]))
        return sqlite3_result_null(c);
    const std::string unit = util::upperAscii(textOf(v[0]));
    const fn::DateTime d = requireDate(v[1]);
    const int value = unit == "YEAR"     ? d.year
                      : unit == "MONTH"  ? d.month
                      : unit == "DAY"    ? d.day
                      : unit == "HOUR"   ? d.hour
                      : unit == "MINUTE" ? d.minute
                      : unit == "SECOND" ? d.second
                                         : -1;
    if (value < 0)
        fail(907, "missing right parenthesis");
    sqlite3_result_int(c, value);
}

// sys_guid(): 16 random bytes as RAW, written as 32 hexadecimal digits.
void sysGuid(sqlite3_context* c, int, sqlite3_value**) {
    unsigned char bytes[16];
    sqlite3_randomness(static_cast<int>(sizeof bytes), bytes);
    resultText(c, hexOf(bytes, static_cast<int>(sizeof bytes)));
}

// UID: the user id of the session's user.
void oraUid(sqlite3_context* c, int, sqlite3_value**) {
    sqlite3* db = sqlite3_context_db_handle(c);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "select user_id from dba_users where username = ?1", -1, &st,
                           nullptr) == SQLITE_OK) {
        const std::string user = hostOf(c)->currentUser();
        sqlite3_bind_text(st, 1, user.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(st) == SQLITE_ROW) {
            const std::int64_t id = sqlite3_column_int64(st, 0);
            sqlite3_finalize(st);
            return sqlite3_result_int64(c, id);
        }
    }
    sqlite3_finalize(st);
    sqlite3_result_null(c);
}

// ---- listagg ---------------------------------------------------------------------------------

// ora_listagg(value, separator, directions, key1, key2, ...): listagg(value, separator) within
// group (order by key1, key2, ...), directions holding 'a' or 'd' for each key. NULL values are
// left out; NULL keys sort last ascending and first descending, as Oracle sorts them.
struct ListaggKey {
    int type = SQLITE_NULL;
    double number = 0;
    std::string text;
};

struct ListaggEntry {
    std::string value;
    std::vector<ListaggKey> keys;
};

struct ListaggState {
    std::vector<ListaggEntry>* entries;
    std::string separator;
    std::string directions;
};

// The statistical aggregates keep their values (median needs them all) until the group ends.
struct ValuesState {
    std::vector<double>* values;
};

void valuesStep(sqlite3_context* c, int, sqlite3_value** v) {
    auto* state = static_cast<ValuesState*>(sqlite3_aggregate_context(c, sizeof(ValuesState)));
    if (!state)
        return sqlite3_result_error_nomem(c);
    if (!state->values)
        state->values = new std::vector<double>();
    if (isNull(v[0]))
        return;
    if (isNumeric(v[0]))
        return state->values->push_back(sqlite3_value_double(v[0]));
    const std::optional<fn::Num> parsed = fn::parseNumber(textOf(v[0]));
    if (!parsed)
        return sqlite3_result_error(c, "ORA-01722: invalid number", -1);
    state->values->push_back(parsed->value());
}

enum class Statistic { Median, Variance, VarSamp, VarPop, Stddev, StddevSamp, StddevPop };

// Oracle's definitions: VARIANCE and STDDEV are 0 for one value where VAR_SAMP and STDDEV_SAMP
// are NULL; the _POP forms divide by the count; MEDIAN averages the two middle values of an even
// count. NULLs are left out; a group without values gives NULL.
template <Statistic S>
void valuesFinal(sqlite3_context* c) {
    auto* state = static_cast<ValuesState*>(sqlite3_aggregate_context(c, 0));
    if (!state || !state->values)
        return sqlite3_result_null(c);
    std::unique_ptr<std::vector<double>> values(state->values);
    const std::size_t n = values->size();
    if (n == 0)
        return sqlite3_result_null(c);
    if constexpr (S == Statistic::Median) {
        std::sort(values->begin(), values->end());
        const double m = n % 2 ? (*values)[n / 2] : ((*values)[n / 2 - 1] + (*values)[n / 2]) / 2;
        return sqlite3_result_double(c, m);
    } else {
        double mean = 0;
        for (double x : *values)
            mean += x;
        mean /= static_cast<double>(n);
        double squares = 0;
        for (double x : *values)
            squares += (x - mean) * (x - mean);
        const bool population = S == Statistic::VarPop || S == Statistic::StddevPop;
        if (n == 1 && (S == Statistic::VarSamp || S == Statistic::StddevSamp))
            return sqlite3_result_null(c);
        const double variance = population ? squares / static_cast<double>(n)
                                           : (n == 1 ? 0.0 : squares / static_cast<double>(n - 1));
        const bool root =
            S == Statistic::Stddev || S == Statistic::StddevSamp || S == Statistic::StddevPop;
        sqlite3_result_double(c, root ? std::sqrt(variance) : variance);
    }
}

void listaggStep(sqlite3_context* c, int n, sqlite3_value** v) {
    auto* state = static_cast<ListaggState*>(sqlite3_aggregate_context(c, sizeof(ListaggState)));
    if (!state)
        return sqlite3_result_error_nomem(c);
    if (!state->entries) {
        new (state) ListaggState{new std::vector<ListaggEntry>(),
                                 n > 1 && !isNull(v[1]) ? textOf(v[1]) : std::string(),
                                 n > 2 ? textOf(v[2]) : std::string()};
    }
    if (isNull(v[0]))
        return;
    ListaggEntry e;
    e.value = textOf(v[0]);
    for (int k = 3; k < n; ++k) {
        ListaggKey key;
        if (!isNull(v[k])) {
            key.type = isNumeric(v[k]) ? SQLITE_FLOAT : SQLITE_TEXT;
            if (key.type == SQLITE_FLOAT)
                key.number = sqlite3_value_double(v[k]);
            else
                key.text = textOf(v[k]);
        }
        e.keys.push_back(std::move(key));
    }
    state->entries->push_back(std::move(e));
}

int compareKeys(const ListaggKey& a, const ListaggKey& b) {
    if (a.type != b.type)
        return a.type == SQLITE_FLOAT ? -1 : (b.type == SQLITE_FLOAT ? 1 : 0);
    if (a.type == SQLITE_FLOAT)
        return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
    return a.text.compare(b.text) < 0 ? -1 : (a.text == b.text ? 0 : 1);
}

void listaggFinal(sqlite3_context* c) {
    auto* state = static_cast<ListaggState*>(sqlite3_aggregate_context(c, 0));
    if (!state || !state->entries)
        return sqlite3_result_null(c);
    std::unique_ptr<std::vector<ListaggEntry>> entries(state->entries);
    const std::string dirs = state->directions;
    std::stable_sort(entries->begin(), entries->end(),
                     [&dirs](const ListaggEntry& x, const ListaggEntry& y) {
                         for (std::size_t k = 0; k < x.keys.size(); ++k) {
                             const bool desc = k < dirs.size() && dirs[k] == 'd';
                             const bool xn = x.keys[k].type == SQLITE_NULL;
                             const bool yn = y.keys[k].type == SQLITE_NULL;
                             if (xn != yn)
                                 return desc ? xn : yn;
                             if (xn)
                                 continue;
                             const int cmp = compareKeys(x.keys[k], y.keys[k]);
                             if (cmp != 0)
                                 return desc ? cmp > 0 : cmp < 0;
                         }
                         return false;
                     });
    std::string out;
    for (std::size_t k = 0; k < entries->size(); ++k) {
        if (k > 0)
            out += state->separator;
        out += (*entries)[k].value;
    }
    state->~ListaggState();
    if (out.size() > 4000)
        return sqlite3_result_error(c, "ORA-01489: result of string concatenation is too long", -1);
    resultText(c, out);
}

// ---- registration -----------------------------------------------------------------------------

using Impl = void (*)(sqlite3_context*, int, sqlite3_value**);

// SQLite calls C; an Oracle error thrown inside becomes the statement's error text.
template <Impl F>
void guarded(sqlite3_context* c, int n, sqlite3_value** v) {
    try {
        F(c, n, v);
    } catch (const std::exception& e) {
        sqlite3_result_error(c, e.what(), -1);
    }
}

struct Registration {
    dialect::FunctionArity arity;
    void (*call)(sqlite3_context*, int, sqlite3_value**);
    bool deterministic;
};

const Registration kFunctions[] = {
    {{"ora_sysdate", 0, 0}, guarded<oraSysdate>, false},
    {{"ora_user", 0, 0}, guarded<oraUser>, false},
    {{"ora_divisor", 1, 1}, guarded<oraDivisor>, true},
    {{"ora_systimestamp", 0, 0}, guarded<oraSystimestamp>, false},
    {{"ora_rowid", 1, 1}, guarded<oraRowid>, true},
    // package functions, called as package__function (see the dialect)
    {{"dbms_rowid__rowid_create", 5, 5}, guarded<dbmsRowidCreate>, true},
    {{"dbms_rowid__rowid_object", 1, 1}, guarded<dbmsRowidPart<0, 6>>, true},
    {{"dbms_rowid__rowid_relative_fno", 1, 1}, guarded<dbmsRowidPart<6, 3>>, true},
    {{"dbms_rowid__rowid_block_number", 1, 1}, guarded<dbmsRowidPart<9, 6>>, true},
    {{"dbms_rowid__rowid_row_number", 1, 1}, guarded<dbmsRowidPart<15, 3>>, true},
    {{"dbms_utility__get_time", 0, 0}, guarded<dbmsUtilityGetTime>, false},
    {{"dbms_lob__getlength", 1, 1}, guarded<dbmsLobGetLength>, true},
    {{"dbms_lob__substr", 1, 3}, guarded<dbmsLobSubstr>, true},
    {{"to_clob", 1, 1}, guarded<sameText>, true},
    {{"to_nclob", 1, 1}, guarded<sameText>, true},
    {{"xmltype", 1, 1}, guarded<sameText>, true},
    {{"json", 1, 1}, guarded<sameText>, true},
    {{"bfilename", 2, 2}, guarded<bfilename>, true},
    {{"to_binary_double", 1, 1}, guarded<toBinaryDouble>, true},
    {{"to_binary_float", 1, 1}, guarded<toBinaryFloat>, true},
    {{"numtodsinterval", 2, 2}, guarded<numToDsInterval>, true},
    {{"numtoyminterval", 2, 2}, guarded<numToYmInterval>, true},
    {{"decode", 3, -1}, guarded<decode>, true},
    {{"nvl", 2, 2}, guarded<nvl>, true},
    {{"nvl2", 3, 3}, guarded<nvl2>, true},
    {{"rawtohex", 1, 1}, guarded<rawtohex>, true},
    {{"hextoraw", 1, 1}, guarded<rawtohex>, true},
    {{"to_char", 1, 2}, guarded<toChar>, true},
    {{"to_number", 1, 2}, guarded<toNumber>, true},
    {{"power", 2, 2}, guarded<power>, true},
    {{"sign", 1, 1}, guarded<sign>, true},
    {{"mod", 2, 2}, guarded<mod>, true},
    {{"trunc", 1, 2}, guarded<trunc>, true},
    {{"round", 1, 2}, guarded<round>, true},
    {{"instr", 2, 4}, guarded<instr>, true},
    {{"lpad", 2, 3}, guarded<lpad>, true},
    {{"rpad", 2, 3}, guarded<rpad>, true},
    {{"greatest", 1, -1}, guarded<greatest>, true},
    {{"ora_add", 2, 2}, guarded<oraAdd>, true},
    {{"ora_connect_by_check", 3, 3}, guarded<connectByCheck>, true},
    {{"ora_sub", 2, 2}, guarded<oraSub>, true},
    {{"substr", 2, 3}, guarded<substr>, true},
    {{"to_date", 1, 2}, guarded<toDate>, false},
    {{"add_months", 2, 2}, guarded<addMonths>, true},
    {{"months_between", 2, 2}, guarded<monthsBetween>, true},
    {{"last_day", 1, 1}, guarded<lastDay>, true},
    {{"next_day", 2, 2}, guarded<nextDay>, true},
    {{"chr", 1, 1}, guarded<chr>, true},
    {{"initcap", 1, 1}, guarded<initcap>, true},
    {{"bitand", 2, 2}, guarded<bitand_>, true},
    {{"sys_context", 2, 3}, guarded<sysContext>, false},
    {{"sys_guid", 0, 0}, guarded<sysGuid>, false},
    {{"ora_uid", 0, 0}, guarded<oraUid>, false},
    {{"replace", 2, 3}, guarded<replace>, true},
    {{"translate", 3, 3}, guarded<translate>, true},
    {{"ascii", 1, 1}, guarded<ascii>, true},
    {{"lengthb", 1, 1}, guarded<lengthb>, true},
    {{"vsize", 1, 1}, guarded<lengthb>, true},
    {{"regexp_like", 2, 3}, guarded<regexpLike>, true},
    {{"regexp_substr", 2, 6}, guarded<regexpSubstr>, true},
    {{"regexp_count", 2, 4}, guarded<regexpCount>, true},
    {{"regexp_replace", 2, 6}, guarded<regexpReplace>, true},
    {{"ora_cast_date", 1, 1}, guarded<oraCastDate>, true},
    {{"ora_extract", 2, 2}, guarded<oraExtract>, true},
    {{"userenv", 1, 1}, guarded<userenv>, false},
    {{"least", 1, -1}, guarded<least>, true},
};

} // namespace

namespace dialect {

const FunctionArity* oracleFunction(std::string_view lowerName) {
    for (const Registration& r : kFunctions)
        if (r.arity.name == lowerName)
            return &r.arity;
    return nullptr;
}

} // namespace dialect

void registerOracleFunctions(sqlite3* db, FunctionHost* host) {
    if (sqlite3_create_function_v2(db, "ora_listagg", -1, SQLITE_UTF8, nullptr, nullptr,
                                   listaggStep, listaggFinal, nullptr) != SQLITE_OK)
        throw oradb::EOraError("sandbox: cannot register function ora_listagg");
    using Final = void (*)(sqlite3_context*);
    const std::pair<const char*, Final> statistics[] = {
        {"median", valuesFinal<Statistic::Median>},
        {"variance", valuesFinal<Statistic::Variance>},
        {"var_samp", valuesFinal<Statistic::VarSamp>},
        {"var_pop", valuesFinal<Statistic::VarPop>},
        {"stddev", valuesFinal<Statistic::Stddev>},
        {"stddev_samp", valuesFinal<Statistic::StddevSamp>},
        {"stddev_pop", valuesFinal<Statistic::StddevPop>}};
    for (const auto& [name, final] : statistics)
        if (sqlite3_create_function_v2(db, name, 1, SQLITE_UTF8, nullptr, nullptr, valuesStep,
                                       final, nullptr) != SQLITE_OK)
            throw oradb::EOraError(std::string("sandbox: cannot register function ") + name);
    for (const Registration& r : kFunctions) {
        const int flags = SQLITE_UTF8 | (r.deterministic ? SQLITE_DETERMINISTIC : 0);
        const std::string name(r.arity.name);
        // One registration per allowed argument count, so that these override SQLite's own
        // functions of the same name; -1 where Oracle sets no upper limit.
        std::vector<int> counts;
        if (r.arity.maxArgs < 0)
            counts.push_back(-1);
        else
            for (int k = r.arity.minArgs; k <= r.arity.maxArgs; ++k)
                counts.push_back(k);
        for (int count : counts) {
            const int rc = sqlite3_create_function_v2(db, name.c_str(), count, flags, host, r.call,
                                                      nullptr, nullptr, nullptr);
            if (rc != SQLITE_OK)
                throw oradb::EOraError("sandbox: cannot register function " + name + ": " +
                                       sqlite3_errstr(rc));
        }
    }
}

} // namespace oradb::sandbox
