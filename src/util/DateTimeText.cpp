#include "util/DateTimeText.h"

#include <QDateTime>
#include <QRegularExpression>
#include <array>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

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

// Counts the changes of the formats, so that a thread's prepared writer knows it is stale.
std::atomic<std::uint64_t> formatsGeneration{1};

Formats currentFormats() {
    std::lock_guard lock(formatsMutex);
    return formats();
}

// A time format of hours, minutes, seconds, an AM/PM marker and literal text, prepared once:
// QLocale parses the format again at every call, which a list of ten thousand logon times feels.
struct TimePiece {
    enum Kind { Text, Hour, Minute, Second, AmPm } kind = Text;
    bool twoDigits = false;
    bool twelveHour = false; // Hour: 1 to 12
    std::string text;        // Text: itself; AmPm: unused
    bool upper = true;       // AmPm: upper or lower case
};

// The pieces of `format`, or nothing when it holds anything else (then QLocale writes it).
std::optional<std::vector<TimePiece>> prepareTimeFormat(const QString& format) {
    std::vector<TimePiece> pieces;
    bool hasAmPm = false;
    auto text = [&](const QString& t) {
        if (pieces.empty() || pieces.back().kind != TimePiece::Text)
            pieces.push_back({});
        pieces.back().text += t.toStdString();
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        if (c == QLatin1Char('\'')) {
            // Quoted text; two quotes are one quote.
            if (run >= 2) {
                text(QStringLiteral("'"));
                i += 2;
                continue;
            }
            const qsizetype end = format.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0)
                return std::nullopt;
            text(format.mid(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        if (!c.isLetter()) {
            text(QString(c));
            ++i;
            continue;
        }
        if (run > 2)
            return std::nullopt;
        TimePiece piece;
        piece.twoDigits = run == 2;
        switch (c.unicode()) {
        case 'h':
            piece.kind = TimePiece::Hour;
            piece.twelveHour = true; // unless the format has no AM/PM marker (below)
            break;
        case 'H':
            piece.kind = TimePiece::Hour;
            break;
        case 'm':
            piece.kind = TimePiece::Minute;
            break;
        case 's':
            piece.kind = TimePiece::Second;
            break;
        case 'A':
        case 'a':
            // "AP"/"A" upper case, "ap"/"a" lower case; mixed forms are left to QLocale.
            if (run == 2)
                return std::nullopt;
            if (i + 1 < format.size() &&
                (format[i + 1] == QLatin1Char('P') || format[i + 1] == QLatin1Char('p'))) {
                if ((format[i + 1] == QLatin1Char('P')) != (c == QLatin1Char('A')))
                    return std::nullopt;
                ++run;
            }
            piece.kind = TimePiece::AmPm;
            piece.upper = c == QLatin1Char('A');
            hasAmPm = true;
            break;
        default:
            return std::nullopt;
        }
        pieces.push_back(piece);
        i += run;
    }
    for (TimePiece& p : pieces)
        if (p.kind == TimePiece::Hour && p.twelveHour)
            p.twelveHour = hasAmPm;
    return pieces;
}

// What a thread keeps to write date-times fast: the formats it was prepared for, the time
// format's pieces, the AM/PM texts, and the date texts of the last days written.
struct PreparedWriter {
    std::uint64_t generation = 0;
    Formats formats;
    std::optional<std::vector<TimePiece>> time;
    std::string amUpper, amLower, pmUpper, pmLower; // as QLocale writes them for AP and ap
    static constexpr int kDays = 8;
    std::array<std::pair<std::int64_t, std::string>, kDays> days{};
    int nextDay = 0;
};

PreparedWriter& preparedWriter() {
    thread_local PreparedWriter w;
    const std::uint64_t generation = formatsGeneration.load();
    if (w.generation != generation) {
        w.formats = currentFormats();
        w.generation = generation;
        // Digits other than 0-9 are the locale's to write.
        w.time = w.formats.locale.zeroDigit() == QLatin1String("0")
                     ? prepareTimeFormat(w.formats.timeFormat)
                     : std::nullopt;
        w.amUpper = w.formats.locale.amText().toUpper().toStdString();
        w.amLower = w.formats.locale.amText().toLower().toStdString();
        w.pmUpper = w.formats.locale.pmText().toUpper().toStdString();
        w.pmLower = w.formats.locale.pmText().toLower().toStdString();
        w.days.fill({-1, std::string()});
        w.nextDay = 0;
    }
    return w;
}

void appendNumber(std::string& out, int value, bool twoDigits) {
    if (twoDigits && value < 10)
        out += '0';
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
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
    ++formatsGeneration;
}

std::string formatDateTimeByLocale(TDateTime t) {
    const Formats f = currentFormats();
    const DateTimeParts p = decodeDateTime(t);
    const QString text = f.locale.toString(QDate(p.year, p.month, p.day), f.dateFormat) +
                         QLatin1Char(' ') +
                         f.locale.toString(QTime(p.hour, p.minute, p.second), f.timeFormat);
    return text.toStdString();
}

std::string formatDateTime(TDateTime t) {
    PreparedWriter& w = preparedWriter();
    const Formats& f = w.formats;
    const DateTimeParts p = decodeDateTime(t);
    // The date: one of the last days written, or written by QLocale and kept.
    const std::int64_t dayKey = (std::int64_t{p.year} * 100 + p.month) * 100 + p.day;
    std::string out;
    for (const auto& [key, text] : w.days)
        if (key == dayKey) {
            out = text;
            break;
        }
    if (out.empty()) {
        out = f.locale.toString(QDate(p.year, p.month, p.day), f.dateFormat).toStdString();
        w.days[static_cast<std::size_t>(w.nextDay)] = {dayKey, out};
        w.nextDay = (w.nextDay + 1) % PreparedWriter::kDays;
    }
    out += ' ';
    if (!w.time) {
        out += f.locale.toString(QTime(p.hour, p.minute, p.second), f.timeFormat).toStdString();
        return out;
    }
    for (const TimePiece& piece : *w.time) {
        switch (piece.kind) {
        case TimePiece::Text:
            out += piece.text;
            break;
        case TimePiece::Hour:
            appendNumber(out, piece.twelveHour ? (p.hour % 12 == 0 ? 12 : p.hour % 12) : p.hour,
                         piece.twoDigits);
            break;
        case TimePiece::Minute:
            appendNumber(out, p.minute, piece.twoDigits);
            break;
        case TimePiece::Second:
            appendNumber(out, p.second, piece.twoDigits);
            break;
        case TimePiece::AmPm:
            out += p.hour < 12 ? (piece.upper ? w.amUpper : w.amLower)
                               : (piece.upper ? w.pmUpper : w.pmLower);
            break;
        }
    }
    return out;
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
