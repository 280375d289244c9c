// The program's one date-time formatter and parser, and the date-time arithmetic that the
// records, logs and exports share. Date-times are days since 30 December 1899 with the time of
// day as the fraction (local time). Text uses the locale's short date and long time formats
// (the system locale unless setDateTimeLocale chose another). Any thread may call these.
#pragma once

#include <QLocale>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace util {

using TDateTime = double;

struct DateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Builds a date-time; the parts must form a valid date and time.
TDateTime encodeDateTime(const DateTimeParts& p);
DateTimeParts decodeDateTime(TDateTime t);
// The workstation's current local date and time.
TDateTime now();

// Day number in which 1 January 0001 is day 1 (30 December 1899 is 693594).
std::int64_t dayNumber(int year, int month, int day);
// The date-time at the start of a day number.
TDateTime fromDayNumber(std::int64_t day);
bool isValidDate(int year, int month, int day);

// "YYYY-MM-DD HH:MM:SS", the form the sandbox stores and binds dates in.
std::string toIsoText(TDateTime t);
std::optional<TDateTime> fromIsoText(std::string_view text);

// Text in the locale's short date, a blank and its long time format, e.g. "12/8/2026 3:04:05 PM".
std::string formatDateTime(TDateTime t);
// The same text written by QLocale from its format at every call (slower; formatDateTime
// prepares the format once per thread and gives the same text).
std::string formatDateTimeByLocale(TDateTime t);
// Parses what formatDateTime writes; nothing when the text is not such a date-time.
std::optional<TDateTime> parseDateTime(std::string_view text);
// The locale whose formats formatDateTime and parseDateTime use (tests fix one).
void setDateTimeLocale(const QLocale& locale);

} // namespace util
