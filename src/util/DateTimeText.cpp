#include "util/DateTimeText.h"

#include <QDateTime>
#include <QRegularExpression>
#include <chrono>
#include <cmath>
#include <ctime>
#include <mutex>

namespace util {

namespace {

// Days from 1 January 0001 (day 1) to 30 December 1899 (date-time 0).
constexpr std::int64_t kDateTimeEpochDay = 693594;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t yy = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

// Days since 1970-01-01 of date-time 0 (30 December 1899).
const std::int64_t kUnixEpochOffset = daysFromCivil(1899, 12, 30);

struct Formats {
    QLocale locale;
    QString dateFormat;
    QString timeFormat;
};

// The long time format without the time zone, the short date format with a four-digit year.
Formats makeFormats(const QLocale& locale) {
    QString date = locale.dateFormat(QLocale::ShortFormat);
    if (!date.contains(QLatin1String("yyyy")))
        date.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    QString time = locale.timeFormat(QLocale::LongFormat);
    time.remove(QRegularExpression(QStringLiteral("\\s*\\(?t+\\)?")));
    return {locale, date, time.trimmed()};
}

std::mutex formatsMutex;
Formats& formats() {
    static Formats f = makeFormats(QLocale::system());
    return f;
}

Formats currentFormats() {
    std::lock_guard lock(formatsMutex);
    return formats();
}

} // namespace

bool isValidDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= days[month - 1] + (month == 2 && leap ? 1 : 0);
}

std::int64_t dayNumber(int year, int month, int day) {
    return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
           kUnixEpochOffset + kDateTimeEpochDay;
}

TDateTime fromDayNumber(std::int64_t day) {
    return static_cast<double>(day - kDateTimeEpochDay);
}

TDateTime encodeDateTime(const DateTimeParts& p) {
    const double days = static_cast<double>(
        daysFromCivil(p.year, static_cast<unsigned>(p.month), static_cast<unsigned>(p.day)) -
        kUnixEpochOffset);
    const double ms = ((p.hour * 60.0 + p.minute) * 60.0 + p.second) * 1000.0 + p.millisecond;
    return days + ms / 86400000.0;
}

DateTimeParts decodeDateTime(TDateTime t) {
    // Work in whole milliseconds so that 23:59:59.9995 does not render as 24:00:00.
    const auto totalMs = static_cast<std::int64_t>(std::llround(t * 86400000.0));
    std::int64_t day = totalMs / 86400000;
    std::int64_t ms = totalMs % 86400000;
    if (ms < 0) {
        ms += 86400000;
        --day;
    }
    DateTimeParts p;
    civilFromDays(day + kUnixEpochOffset, p.year, p.month, p.day);
    p.hour = static_cast<int>(ms / 3600000);
    p.minute = static_cast<int>(ms / 60000 % 60);
    p.second = static_cast<int>(ms / 1000 % 60);
    p.millisecond = static_cast<int>(ms % 1000);
    return p;
}

TDateTime now() {
    const auto nowPoint = std::chrono::system_clock::now();
    const std::time_t secs = std::chrono::system_clock::to_time_t(nowPoint);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(nowPoint.time_since_epoch()).count() %
        1000;
    std::tm local{};
    localtime_r(&secs, &local);
    return encodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                           local.tm_min, local.tm_sec, static_cast<int>(ms)});
}

std::string toIsoText(TDateTime t) {
    const DateTimeParts p = decodeDateTime(t);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour,
                  p.minute, p.second);
    return buf;
}

namespace {

// "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS" exactly, read digit by digit: the common case, which
// statements return by the thousand. False for any other text.
bool readPlainIso(std::string_view text, DateTimeParts& p, int& fields) {
    static constexpr std::string_view pattern = "dddd-dd-dd dd:dd:dd";
    if (text.size() != 10 && text.size() != 19)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (pattern[i] == 'd' ? !digit : text[i] != pattern[i])
            return false;
    }
    auto number = [&text](std::size_t at, std::size_t width) {
        int n = 0;
        for (std::size_t i = at; i < at + width; ++i)
            n = n * 10 + (text[i] - '0');
        return n;
    };
    p.year = number(0, 4);
    p.month = number(5, 2);
    p.day = number(8, 2);
    fields = 3;
    if (text.size() == 19) {
        p.hour = number(11, 2);
        p.minute = number(14, 2);
        p.second = number(17, 2);
        fields = 6;
    }
    return true;
}

} // namespace

std::optional<TDateTime> fromIsoText(std::string_view text) {
    DateTimeParts p;
    int n = 0;
    if (readPlainIso(text, p, n)) {
        if (!isValidDate(p.year, p.month, p.day) || p.hour > 23 || p.minute > 59 || p.second > 59)
            return std::nullopt;
        if (n == 3)
            p.hour = p.minute = p.second = 0;
        return encodeDateTime(p);
    }
    char tail = 0;
    const std::string s(text);
    n = std::sscanf(s.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &p.year, &p.month, &p.day, &p.hour,
                    &p.minute, &p.second, &tail);
    if ((n != 6 && n != 3) || !isValidDate(p.year, p.month, p.day) || p.hour > 23 ||
        p.minute > 59 || p.second > 59 || p.hour < 0 || p.minute < 0 || p.second < 0)
        return std::nullopt;
    if (n == 3)
        p.hour = p.minute = p.second = 0;
    return encodeDateTime(p);
}

void setDateTimeLocale(const QLocale& locale) {
    std::lock_guard lock(formatsMutex);
    formats() = makeFormats(locale);
}

std::string formatDateTime(TDateTime t) {
    const Formats f = currentFormats();
    const DateTimeParts p = decodeDateTime(t);
    const QDate date(p.year, p.month, p.day);
    const QTime time(p.hour, p.minute, p.second);
    const QString text = f.locale.toString(date, f.dateFormat) + QLatin1Char(' ') +
                         f.locale.toString(time, f.timeFormat);
    return text.toStdString();
}

std::optional<TDateTime> parseDateTime(std::string_view text) {
    const Formats f = currentFormats();
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QDateTime dt = f.locale.toDateTime(s, f.dateFormat + QLatin1Char(' ') + f.timeFormat);
    if (!dt.isValid())
        return std::nullopt;
    return encodeDateTime({dt.date().year(), dt.date().month(), dt.date().day(), dt.time().hour(),
                           dt.time().minute(), dt.time().second(), 0});
}

} // namespace util
