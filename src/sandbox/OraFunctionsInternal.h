// Private to the sandbox's SQL functions: Oracle's number and date texts. Numbers are binary
// doubles or 64-bit integers here; rounding works on their 15 significant decimal digits, the way
// Oracle's decimal NUMBER would. Dates are the sandbox's 'YYYY-MM-DD HH:MM:SS' texts.
// Errors are raised as oradb::EOraError. Pure functions: any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace oradb::sandbox::fn {

struct Num {
    bool isInt = false;
    std::int64_t i = 0;
    double d = 0;
    double value() const { return isInt ? static_cast<double>(i) : d; }
};

// Oracle's text of a number without a format: integers plainly, fractions without a leading
// zero (.5, -.25), at most 15 significant digits.
std::string numberText(double v);

// A number written as Oracle accepts it (blanks around, sign, fraction, exponent); nullopt for
// anything else.
std::optional<Num> parseNumber(std::string_view text);

// v rounded (half away from zero) or truncated at `places` decimal places (negative: left of the
// decimal point).
double roundDecimal(double v, int places, bool truncate);

// to_char(number, format) for the format elements 9 0 , . G D and FM.
std::string formatNumber(double v, std::string_view format);

struct DateTime {
    int year = 1;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// 'YYYY-MM-DD HH:MM:SS' (also 'YYYY-MM-DD' and a 'T' separator); nullopt for other text.
std::optional<DateTime> parseDate(std::string_view text);
std::string dateText(const DateTime& d);

// to_char(date, format) for the elements YYYY RRRR YY RR Q MM MON MONTH DDD DD D DAY DY J HH24
// HH12 HH MI SS SSSSS AM PM A.M. P.M. FM, quoted text and punctuation. ORA-01821 for others.
std::string formatDate(const DateTime& d, std::string_view format);

// trunc(date, format) and round(date, format) for the day, month, year, hour and minute units;
// trunc also by quarter (Q) and week (IW from Monday, D from Sunday).
DateTime truncDate(const DateTime& d, std::string_view format);
DateTime roundDate(const DateTime& d, std::string_view format);

// Seconds since 1970-01-01 00:00:00, and back.
std::int64_t secondsOf(const DateTime& d);
DateTime dateOfSeconds(std::int64_t seconds);

// add_months: a month's last day goes to the other month's last day, a day the other month
// lacks to its last day.
DateTime addMonths(const DateTime& d, std::int64_t months);

// months_between(a, b): whole months when the days agree or both are last days, else with the
// fraction of a 31-day month.
double monthsBetween(const DateTime& a, const DateTime& b);

// to_date(text, format) for the elements YYYY RRRR YY RR MM MON MONTH DD DDD DAY DY J HH24 HH12
// HH MI SS AM PM FM and punctuation. Missing parts default to the first day of the current month
// of `now` at midnight. Oracle's ORA-018xx errors for text that does not fit.
DateTime parseDateFormat(std::string_view text, std::string_view format, const DateTime& now);

} // namespace oradb::sandbox::fn
