// Oracle's texts of numbers and dates for the sandbox's SQL functions.
#include "oradb/OraError.h"
#include "oradb/OraNumber.h"
#include "sandbox/OraFunctionsInternal.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace oradb::sandbox::fn {

namespace {

// The 15 significant digits of |v| (v != 0, finite) and the position of the decimal point
// relative to them: v = 0.DIGITS * 10^point.
std::string decimalDigits(double v, int& point) {
    // to_chars, unlike printf, ignores the process locale (Qt sets it from the environment).
    char buf[64];
    const auto end =
        std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 14).ptr;
    std::string digits(1, buf[0]);
    digits.append(buf + 2, 14);
    const char* e = std::find(buf, end, 'e') + 1;
    if (*e == '+')
        ++e;
    int exponent = 0;
    std::from_chars(e, end, exponent);
    point = exponent + 1;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    return digits;
}

bool ieq(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::int64_t daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

DateTime civilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    DateTime d;
    d.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    d.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    d.year = static_cast<int>(yoe + era * 400 + (d.month <= 2));
    return d;
}

int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
}

const char* const kMonths[] = {"JANUARY",   "FEBRUARY", "MARCH",    "APRIL",
                               "MAY",       "JUNE",     "JULY",     "AUGUST",
                               "SEPTEMBER", "OCTOBER",  "NOVEMBER", "DECEMBER"};
const char* const kDays[] = {"SUNDAY",   "MONDAY", "TUESDAY", "WEDNESDAY",
                             "THURSDAY", "FRIDAY", "SATURDAY"};

// Oracle spells month and day names in the case of the format element: "MON" JUN, "Mon" Jun,
// "mon" jun.
std::string styled(std::string word, std::string_view element) {
    const bool firstLower = std::islower(static_cast<unsigned char>(element[0]));
    const bool secondLower =
        element.size() > 1 && std::islower(static_cast<unsigned char>(element[1]));
    for (std::size_t i = 0; i < word.size(); ++i) {
        const auto c = static_cast<unsigned char>(word[i]);
        if (firstLower || (i > 0 && secondLower))
            word[i] = static_cast<char>(std::tolower(c));
    }
    return word;
}

std::string padded(long value, int width, bool fillMode) {
    char buf[32];
    if (fillMode)
        std::snprintf(buf, sizeof buf, "%ld", value);
    else
        std::snprintf(buf, sizeof buf, "%0*ld", width, value);
    return buf;
}

[[noreturn]] void badDateFormat() {
    throw oradb::EOraError(1821, "date format not recognized");
}

// The format element that starts at format[i], the first of `elements` that fits (longer ones
// come first); ORA-01821 when none does.
template <std::size_t N>
std::string_view elementAt(std::string_view format, std::size_t i,
                           const std::string_view (&elements)[N]) {
    for (std::string_view e : elements)
        if (i + e.size() <= format.size() && ieq(format.substr(i, e.size()), e))
            return e;
    badDateFormat();
}

} // namespace

std::string numberText(double v) {
    if (std::isnan(v))
        return "NaN";
    if (std::isinf(v))
        return v > 0 ? "Inf" : "-Inf";
    return oradb::oracleNumberText(v);
}

std::optional<Num> parseNumber(std::string_view text) {
    const auto b = text.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos)
        return std::nullopt;
    const auto e = text.find_last_not_of(" \t\r\n");
    const std::string s(text.substr(b, e - b + 1));
    std::size_t i = 0;
    if (s[i] == '+' || s[i] == '-')
        ++i;
    std::size_t digits = 0;
    bool fraction = false;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        fraction = true;
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    bool exponent = false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        exponent = true;
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        const std::size_t start = i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i;
        if (i == start)
            return std::nullopt;
    }
    if (i != s.size())
        return std::nullopt;
    Num n;
    const char* first = s.data() + (s[0] == '+' ? 1 : 0); // from_chars takes no plus sign
    const char* last = s.data() + s.size();
    if (!fraction && !exponent && std::from_chars(first, last, n.i).ec == std::errc()) {
        n.isInt = true;
        return n;
    }
    std::from_chars(first, last, n.d);
    return n;
}

double roundDecimal(double v, int places, bool truncate) {
    if (v == 0 || !std::isfinite(v))
        return v;
    int point = 0;
    std::string digits = "0" + decimalDigits(v, point); // a leading 0 takes a carry
    ++point;
    const long keep = static_cast<long>(point) + places;
    if (keep >= static_cast<long>(digits.size()))
        return v;
    if (keep <= 0)
        return 0;
    const bool up = !truncate && digits[static_cast<std::size_t>(keep)] >= '5';
    digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        long k = keep - 1;
        while (digits[static_cast<std::size_t>(k)] == '9')
            digits[static_cast<std::size_t>(k--)] = '0';
        ++digits[static_cast<std::size_t>(k)];
    }
    const std::string text = digits + "e" + std::to_string(point - keep);
    double r = 0;
    std::from_chars(text.data(), text.data() + text.size(), r);
    return v < 0 ? -r : r;
}

std::string formatNumber(double v, std::string_view formatModel) {
    // G and D are the group and decimal characters, which the sandbox keeps as ',' and '.'.
    std::string model(formatModel);
    for (char& c : model) {
        if (c == 'G' || c == 'g')
            c = ',';
        else if (c == 'D' || c == 'd')
            c = '.';
    }
    std::string_view format = model;
    bool fillMode = false;
    if (format.size() >= 2 && ieq(format.substr(0, 2), "FM")) {
        fillMode = true;
        format.remove_prefix(2);
    }
    const auto dot = format.find('.');
    if (format.empty() || format.find_first_not_of("90,.") != std::string_view::npos ||
        (dot != std::string_view::npos && format.find('.', dot + 1) != std::string_view::npos))
        throw oradb::EOraError(1481, "invalid number format model");
    const std::string_view intFormat = format.substr(0, dot);
    const std::size_t fracDigits = dot == std::string_view::npos ? 0 : format.size() - dot - 1;
    if (dot != std::string_view::npos && format.find(',', dot) != std::string_view::npos)
        throw oradb::EOraError(1481, "invalid number format model");

    const double r = roundDecimal(std::fabs(v), static_cast<int>(fracDigits), false);
    char buf[512];
    const auto written = std::to_chars(buf, buf + sizeof buf, r, std::chars_format::fixed,
                                       static_cast<int>(fracDigits));
    if (written.ec != std::errc())
        return std::string(format.size() + 1, '#');
    std::string text(buf, written.ptr);
    const auto point = text.find('.');
    std::string intDigits = text.substr(0, point);
    const std::string frac = point == std::string::npos ? "" : text.substr(point + 1);
    const auto firstZero = intFormat.find('0');
    if (intDigits == "0" && r != 0 && firstZero == std::string_view::npos)
        intDigits.clear(); // .5 rather than 0.5
    std::size_t slots = 0;
    for (char c : intFormat)
        slots += c != ',';
    if (intDigits.size() > slots)
        return std::string(format.size() + 1, '#');

    std::string ip(intFormat.size(), ' ');
    long d = static_cast<long>(intDigits.size()) - 1;
    for (long k = static_cast<long>(intFormat.size()) - 1; k >= 0; --k) {
        const bool zeroZone =
            firstZero != std::string_view::npos && static_cast<std::size_t>(k) >= firstZero;
        if (intFormat[static_cast<std::size_t>(k)] != ',') {
            if (d >= 0)
                ip[static_cast<std::size_t>(k)] = intDigits[static_cast<std::size_t>(d--)];
            else if (zeroZone)
                ip[static_cast<std::size_t>(k)] = '0';
        } else if (d >= 0 || zeroZone) {
            ip[static_cast<std::size_t>(k)] = ',';
        }
    }
    std::string out = " " + ip;
    if (v < 0 && r != 0) {
        const auto first = out.find_first_not_of(' ');
        out[(first == std::string::npos ? out.size() : first) - 1] = '-';
    }
    if (dot != std::string_view::npos)
        out += "." + frac;
    if (fillMode)
        out.erase(0, out.find_first_not_of(' '));
    return out;
}

std::optional<DateTime> parseDate(std::string_view text) {
    auto num = [&text](std::size_t at, std::size_t len) -> int {
        int v = 0;
        for (std::size_t i = at; i < at + len; ++i) {
            if (!std::isdigit(static_cast<unsigned char>(text[i])))
                return -1;
            v = v * 10 + (text[i] - '0');
        }
        return v;
    };
    if (text.size() < 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    DateTime d;
    d.year = num(0, 4);
    d.month = num(5, 2);
    d.day = num(8, 2);
    if (text.size() > 10) {
        if (text.size() < 19 || (text[10] != ' ' && text[10] != 'T') || text[13] != ':' ||
            text[16] != ':')
            return std::nullopt;
        d.hour = num(11, 2);
        d.minute = num(14, 2);
        d.second = num(17, 2);
        if (text.size() > 19 && (text[19] != '.' || num(20, text.size() - 20) < 0))
            return std::nullopt;
    }
    if (d.year < 1 || d.month < 1 || d.month > 12 || d.day < 1 ||
        d.day > daysInMonth(d.year, d.month) || d.hour < 0 || d.hour > 23 || d.minute < 0 ||
        d.minute > 59 || d.second < 0 || d.second > 59)
        return std::nullopt;
    return d;
}

std::string dateText(const DateTime& d) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour,
                  d.minute, d.second);
    return buf;
}

std::string formatDate(const DateTime& d, std::string_view format) {
    static const std::string_view elements[] = {
        "A.M.", "P.M.", "YYYY", "RRRR", "HH24", "HH12", "MONTH", "FM", "YY", "RR",
        "MON",  "MM",   "DDD",  "DAY",  "DD",   "DY",   "D",     "HH", "MI", "SSSSS",
        "SS",   "AM",   "PM",   "Q",    "J",    "IW",   "WW",    "W"};
    const std::int64_t days = daysFromCivil(d.year, d.month, d.day);
    const int weekday = static_cast<int>(((days % 7) + 7 + 4) % 7); // 0 = Sunday
    const int hour12 = d.hour % 12 == 0 ? 12 : d.hour % 12;
    std::string out;
    bool fm = false;
    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        if (std::string_view("-/,.;: ").find(c) != std::string_view::npos) {
            out += c;
            ++i;
            continue;
        }
        if (c == '"') {
            const auto close = format.find('"', i + 1);
            if (close == std::string_view::npos)
                badDateFormat();
            out += format.substr(i + 1, close - i - 1);
            i = close + 1;
            continue;
        }
        const std::string_view element = elementAt(format, i, elements);
        const std::string_view written = format.substr(i, element.size());
        i += element.size();
        if (element == "FM") {
            fm = !fm;
        } else if (element == "YYYY" || element == "RRRR") {
            out += padded(d.year, 4, fm);
        } else if (element == "YY" || element == "RR") {
            out += padded(d.year % 100, 2, fm);
        } else if (element == "Q") {
            out += std::to_string((d.month - 1) / 3 + 1);
        } else if (element == "MM") {
            out += padded(d.month, 2, fm);
        } else if (element == "MONTH") {
            std::string name = kMonths[d.month - 1];
            if (!fm)
                name.resize(9, ' ');
            out += styled(name, written);
        } else if (element == "MON") {
            out += styled(std::string(kMonths[d.month - 1]).substr(0, 3), written);
        } else if (element == "DDD") {
            out += padded(static_cast<long>(days - daysFromCivil(d.year, 1, 1) + 1), 3, fm);
        } else if (element == "DD") {
            out += padded(d.day, 2, fm);
        } else if (element == "D") {
            out += std::to_string(weekday + 1);
        } else if (element == "DAY") {
            std::string name = kDays[weekday];
            if (!fm)
                name.resize(9, ' ');
            out += styled(name, written);
        } else if (element == "DY") {
            out += styled(std::string(kDays[weekday]).substr(0, 3), written);
        } else if (element == "IW") {
            // the ISO week: the one that holds the Thursday of the date's Monday-to-Sunday week
            const std::int64_t thursday = days + 3 - (weekday + 6) % 7;
            const DateTime t = civilFromDays(thursday);
            out +=
                padded(static_cast<long>((thursday - daysFromCivil(t.year, 1, 1)) / 7 + 1), 2, fm);
        } else if (element == "WW") {
            out += padded(static_cast<long>((days - daysFromCivil(d.year, 1, 1)) / 7 + 1), 2, fm);
        } else if (element == "W") {
            out += std::to_string((d.day - 1) / 7 + 1);
        } else if (element == "J") {
            out += std::to_string(days + 2440588); // Julian day of 1970-01-01
        } else if (element == "HH24") {
            out += padded(d.hour, 2, fm);
        } else if (element == "HH" || element == "HH12") {
            out += padded(hour12, 2, fm);
        } else if (element == "MI") {
            out += padded(d.minute, 2, fm);
        } else if (element == "SSSSS") { // seconds past midnight
            out += padded(d.hour * 3600 + d.minute * 60 + d.second, 5, fm);
        } else if (element == "SS") {
            out += padded(d.second, 2, fm);
        } else { // AM PM A.M. P.M.
            const bool dotted = element.size() == 4;
            const std::string marker =
                d.hour < 12 ? (dotted ? "A.M." : "AM") : (dotted ? "P.M." : "PM");
            out += styled(marker, written);
        }
    }
    return out;
}

DateTime truncDate(const DateTime& d, std::string_view format) {
    DateTime r = d;
    if (format.empty() || ieq(format, "DD") || ieq(format, "DDD") || ieq(format, "J")) {
        r.hour = r.minute = r.second = 0;
    } else if (ieq(format, "MM") || ieq(format, "MON") || ieq(format, "MONTH")) {
        r = DateTime{d.year, d.month, 1, 0, 0, 0};
    } else if (ieq(format, "YYYY") || ieq(format, "YY") || ieq(format, "YEAR") ||
               ieq(format, "RRRR") || ieq(format, "RR") || ieq(format, "Y")) {
        r = DateTime{d.year, 1, 1, 0, 0, 0};
    } else if (ieq(format, "HH") || ieq(format, "HH24") || ieq(format, "HH12")) {
        r.minute = r.second = 0;
    } else if (ieq(format, "MI")) {
        r.second = 0;
    } else if (ieq(format, "Q")) {
        r = DateTime{d.year, (d.month - 1) / 3 * 3 + 1, 1, 0, 0, 0};
    } else if (ieq(format, "IW") || ieq(format, "D") || ieq(format, "DY") || ieq(format, "DAY")) {
        // the week's first day: Monday for the ISO week, Sunday (the AMERICA territory) else
        const std::int64_t days = daysFromCivil(d.year, d.month, d.day);
        const int weekday = static_cast<int>(((days % 7) + 7 + 4) % 7); // 0 = Sunday
        const int back = ieq(format, "IW") ? (weekday + 6) % 7 : weekday;
        r = civilFromDays(days - back);
    } else {
        badDateFormat();
    }
    return r;
}

DateTime roundDate(const DateTime& d, std::string_view format) {
    // Oracle rounds a month up from the 16th day, a year from July, an hour from minute 30.
    if (ieq(format, "MM") || ieq(format, "MON") || ieq(format, "MONTH"))
        return truncDate(d.day >= 16 ? addMonths(d, 1) : d, "MM");
    if (ieq(format, "YYYY") || ieq(format, "YY") || ieq(format, "YEAR") || ieq(format, "RRRR") ||
        ieq(format, "RR") || ieq(format, "Y"))
        return truncDate(d.month >= 7 ? addMonths(d, 12 - d.month + 1) : d, "YYYY");
    if (ieq(format, "HH") || ieq(format, "HH24") || ieq(format, "HH12"))
        return dateOfSeconds(secondsOf(truncDate(d, "HH")) + (d.minute >= 30 ? 3600 : 0));
    if (ieq(format, "MI"))
        return dateOfSeconds(secondsOf(truncDate(d, "MI")) + (d.second >= 30 ? 60 : 0));
    if (!format.empty() && !ieq(format, "DD") && !ieq(format, "DDD") && !ieq(format, "J"))
        badDateFormat();
    const DateTime day = truncDate(d, "DD");
    if (d.hour < 12)
        return day;
    DateTime next = civilFromDays(daysFromCivil(day.year, day.month, day.day) + 1);
    return next;
}

std::int64_t secondsOf(const DateTime& d) {
    return daysFromCivil(d.year, d.month, d.day) * 86400 + d.hour * 3600 + d.minute * 60 + d.second;
}

DateTime dateOfSeconds(std::int64_t seconds) {
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    DateTime d = civilFromDays(days);
    d.hour = static_cast<int>(rest / 3600);
    d.minute = static_cast<int>(rest / 60 % 60);
    d.second = static_cast<int>(rest % 60);
    return d;
}

DateTime addMonths(const DateTime& d, std::int64_t months) {
    const std::int64_t total = d.year * 12LL + (d.month - 1) + months;
    DateTime r = d;
    r.year = static_cast<int>(total / 12);
    r.month = static_cast<int>(total % 12 + 1);
    if (r.year < 1 || r.year > 9999)
        throw oradb::EOraError(1841, "(full) year must be between -4713 and +9999, and not be 0");
    // The last day of a month goes to the last day of the other month.
    if (d.day == daysInMonth(d.year, d.month) || r.day > daysInMonth(r.year, r.month))
        r.day = daysInMonth(r.year, r.month);
    return r;
}

double monthsBetween(const DateTime& a, const DateTime& b) {
    const double months = (a.year - b.year) * 12.0 + (a.month - b.month);
    const bool aLast = a.day == daysInMonth(a.year, a.month);
    const bool bLast = b.day == daysInMonth(b.year, b.month);
    if (a.day == b.day || (aLast && bLast))
        return months;
    // Otherwise the fraction counts 31-day months, time of day included.
    const double aDay = a.day + (a.hour * 3600 + a.minute * 60 + a.second) / 86400.0;
    const double bDay = b.day + (b.hour * 3600 + b.minute * 60 + b.second) / 86400.0;
    return months + (aDay - bDay) / 31.0;
}

DateTime parseDateFormat(std::string_view text, std::string_view format, const DateTime& now) {
    static const std::string_view elements[] = {
        "YYYY", "RRRR", "HH24", "HH12", "MONTH", "FM", "YY", "RR", "MON",  "MM",   "DDD",
        "DAY",  "DD",   "DY",   "HH",   "MI",    "SS", "AM", "PM", "A.M.", "P.M.", "J"};
    DateTime d{now.year, now.month, 1, 0, 0, 0}; // Oracle's defaults: this month, first day
    bool pm = false;
    bool twelve = false;
    std::size_t i = 0;
    std::size_t at = 0;
    auto fail = [] {
        throw oradb::EOraError(1858, "a non-numeric character was found where a numeric was "
                                     "expected");
    };
    auto number = [&](std::size_t maxDigits) -> int {
        while (at < text.size() && text[at] == ' ')
            ++at;
        std::size_t n = 0;
        int v = 0;
        while (at < text.size() && n < maxDigits &&
               std::isdigit(static_cast<unsigned char>(text[at]))) {
            v = v * 10 + (text[at++] - '0');
            ++n;
        }
        if (n == 0)
            fail();
        return v;
    };
    auto name = [&](const char* const* names, int count, bool abbreviated) -> int {
        while (at < text.size() && text[at] == ' ')
            ++at;
        for (int k = 0; k < count; ++k) {
            const std::string_view full = names[k];
            for (std::string_view n : {full, full.substr(0, 3)}) {
                if ((abbreviated && n.size() != 3) || at + n.size() > text.size())
                    continue;
                if (ieq(text.substr(at, n.size()), n)) {
                    at += n.size();
                    return k;
                }
            }
        }
        throw oradb::EOraError(1843, "not a valid month");
    };
    while (i < format.size()) {
        const char c = format[i];
        if (std::string_view("-/,.;: ").find(c) != std::string_view::npos) {
            ++i;
            if (at < text.size() && !std::isalnum(static_cast<unsigned char>(text[at])))
                ++at;
            continue;
        }
        const std::string_view element = elementAt(format, i, elements);
        i += element.size();
        if (element == "FM") {
        } else if (element == "YYYY" || element == "RRRR") {
            d.year = number(4);
        } else if (element == "YY") {
            d.year = now.year / 100 * 100 + number(2);
        } else if (element == "RR") {
            // 00-49 fall in the current century when it is in its first half, 50-99 in the one
            // before.
            const int yy = number(2);
            const int century = now.year / 100 * 100;
            d.year = (yy < 50) == (now.year % 100 < 50) ? century + yy
                     : yy < 50                          ? century + 100 + yy
                                                        : century - 100 + yy;
        } else if (element == "MM") {
            d.month = number(2);
        } else if (element == "MON" || element == "MONTH") {
            d.month = name(kMonths, 12, false) + 1;
        } else if (element == "DD") {
            d.day = number(2);
        } else if (element == "DAY" || element == "DY") {
            name(kDays, 7, false);
        } else if (element == "HH24") {
            d.hour = number(2);
        } else if (element == "HH" || element == "HH12") {
            d.hour = number(2);
            twelve = true;
        } else if (element == "MI") {
            d.minute = number(2);
        } else if (element == "SS") {
            d.second = number(2);
        } else if (element == "J") {
            const DateTime j = civilFromDays(number(7) - 2440588);
            d.year = j.year;
            d.month = j.month;
            d.day = j.day;
        } else if (element == "DDD") {
            const int n = number(3);
            const DateTime j = civilFromDays(daysFromCivil(d.year, 1, 1) + n - 1);
            d.month = j.month;
            d.day = j.day;
        } else { // AM PM A.M. P.M.
            while (at < text.size() && text[at] == ' ')
                ++at;
            pm = at < text.size() && (text[at] == 'P' || text[at] == 'p');
            while (at < text.size() &&
                   std::string_view("AaPpMm.").find(text[at]) != std::string_view::npos)
                ++at;
        }
    }
    while (at < text.size() && text[at] == ' ')
        ++at;
    if (at < text.size())
        throw oradb::EOraError(1830, "date format picture ends before converting entire input "
                                     "string");
    if (twelve) {
        if (d.hour < 1 || d.hour > 12)
            throw oradb::EOraError(1849, "hour must be between 1 and 12");
        d.hour = d.hour % 12 + (pm ? 12 : 0);
    }
    if (d.month < 1 || d.month > 12)
        throw oradb::EOraError(1843, "not a valid month");
    if (d.day < 1 || d.day > daysInMonth(d.year, d.month))
        throw oradb::EOraError(1847, "day of month must be between 1 and last day of month");
    if (d.hour > 23)
        throw oradb::EOraError(1850, "hour must be between 0 and 23");
    if (d.minute > 59)
        throw oradb::EOraError(1851, "minutes must be between 0 and 59");
    if (d.second > 59)
        throw oradb::EOraError(1852, "seconds must be between 0 and 59");
    if (d.year < 1 || d.year > 9999)
        throw oradb::EOraError(1841, "(full) year must be between -4713 and +9999, and not be 0");
    return d;
}

} // namespace oradb::sandbox::fn
