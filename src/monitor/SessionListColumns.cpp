#include "monitor/SessionListColumns.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace monitor {

namespace {

// The select expression of a field read only for its optional column.
std::string optionalExpression(int field, bool before10g) {
    switch (field) {
    case bfSpid:
        return "p.spid";
    case bfEvent:
        return before10g ? "w.event" : "s.event";
    case bfSecondsInWait:
        return before10g ? "w.seconds_in_wait" : "s.seconds_in_wait";
    case bfBlockGets:
    case bfConsistentGets:
    case bfPhysicalReads:
    case bfBlockChanges:
        return "io." + std::string(kSessionListFields[static_cast<std::size_t>(field)].name);
    default:
        return "s." + std::string(kSessionListFields[static_cast<std::size_t>(field)].name);
    }
}

} // namespace

TColumnSet DefaultColumns() {
    TColumnSet set = 0;
    for (int id = 0; id < ocCount; ++id)
        if (kOptionalColumns[static_cast<std::size_t>(id)].byDefault)
            set |= ColumnBit(id);
    return set;
}

bool ColumnAvailable(int id, int majorVersion) {
    if (id < 0 || id >= ocCount)
        return false;
    return majorVersion == 0 ||
           majorVersion >= kOptionalColumns[static_cast<std::size_t>(id)].sinceVersion;
}

TColumnSet AvailableColumns(TColumnSet chosen, int majorVersion) {
    TColumnSet set = 0;
    for (int id = 0; id < ocCount; ++id)
        if ((chosen & ColumnBit(id)) != 0 && ColumnAvailable(id, majorVersion))
            set |= ColumnBit(id);
    return set;
}

QString ColumnSetText(TColumnSet set) {
    QStringList names;
    for (int id = 0; id < ocCount; ++id)
        if ((set & ColumnBit(id)) != 0) {
            const std::string_view c = kOptionalColumns[static_cast<std::size_t>(id)].caption;
            names << QString::fromLatin1(c.data(), static_cast<qsizetype>(c.size()));
        }
    return names.join(QLatin1Char(','));
}

TColumnSet ColumnSetFromText(const QString& text) {
    TColumnSet set = 0;
    for (const QString& name : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        for (int id = 0; id < ocCount; ++id) {
            const std::string_view c = kOptionalColumns[static_cast<std::size_t>(id)].caption;
            if (name.trimmed().compare(
                    QString::fromLatin1(c.data(), static_cast<qsizetype>(c.size())),
                    Qt::CaseInsensitive) == 0)
                set |= ColumnBit(id);
        }
    return set;
}

bool FieldRead(int field, TColumnSet shown) {
    if (field <= bfBlockingSession || field == bfSortField)
        return field >= 0;
    for (int id = 0; id < ocCount; ++id)
        if (kOptionalColumns[static_cast<std::size_t>(id)].field == field)
            return (shown & ColumnBit(id)) != 0;
    return false;
}

std::string PercentDone(const std::string& sofar, const std::string& totalwork) {
    bool doneOk = false, totalOk = false;
    const double done = QString::fromStdString(sofar).toDouble(&doneOk);
    const double total = QString::fromStdString(totalwork).toDouble(&totalOk);
    if (!doneOk || !totalOk || total <= 0 || done < 0)
        return {};
    // Rounded down: 99.9% is not yet 100%.
    return std::to_string(
               static_cast<long long>(std::floor(100.0 * std::min(done, total) / total))) +
           "%";
}

std::string RemainingText(const std::string& secondsRemaining) {
    bool ok = false;
    const double value = QString::fromStdString(secondsRemaining).toDouble(&ok);
    if (!ok || value < 0 || value > 1e12)
        return {};
    const long long seconds = std::llround(value);
    const long long h = seconds / 3600, m = seconds / 60 % 60, sec = seconds % 60;
    const auto two = [](long long v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    return h > 0 ? std::to_string(h) + ":" + two(m) + ":" + two(sec)
                 : std::to_string(m) + ":" + two(sec);
}

std::string ProgressText(const std::string& sofar, const std::string& totalwork,
                         const std::string& secondsRemaining) {
    const std::string percent = PercentDone(sofar, totalwork);
    const std::string remaining = RemainingText(secondsRemaining);
    if (percent.empty() || remaining.empty())
        return percent;
    return percent + " (" + remaining + " left)";
}

void SetLongOperation(TBasicFieldArray& fields) {
    const std::string text = std::move(fields[bfProgress]);
    fields[bfProgress].clear();
    if (text.empty())
        return;
    // The three figures, then the operation's name, then the target (which may hold slashes).
    std::array<std::string, 5> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::size_t slash = i + 1 < parts.size() ? text.find('/', start) : std::string::npos;
        parts[i] =
            text.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    fields[bfProgress] = ProgressText(parts[0], parts[1], parts[2]);
    if (fields[bfProgress].empty())
        return;
    fields[bfLongOperation] = parts[3];
    fields[bfLongTarget] = parts[4];
    fields[bfLongDone] = PercentDone(parts[0], parts[1]);
    fields[bfLongRemaining] = RemainingText(parts[2]);
}

std::string SessionListSql(const std::string& statisticNumber, TColumnSet shown, int majorVersion,
                           bool showBackground, bool showKilled, std::string* select) {
    const bool before10g = majorVersion > 0 && majorVersion < 10;
    shown = AvailableColumns(shown, majorVersion);
    std::string list = "select ";
    for (int i = 0; i <= bfBlockingSession; ++i) {
        const std::string name(kSessionListFields[static_cast<std::size_t>(i)].name);
        if (i)
            list += ",";
        // Oracle 9i's v$session has neither column.
        list +=
            before10g && (i == bfSqlId || i == bfBlockingSession) ? "null " + name : "s." + name;
    }
    bool process = false, io = false, wait = false;
    for (int i = bfBlockingSession + 1; i < bfSortField; ++i) {
        // Progress comes from a statement of its own.
        if (i == bfProgress || !FieldRead(i, shown))
            continue;
        list += "," + optionalExpression(i, before10g);
        process = process || i == bfSpid;
        io = io || (i >= bfBlockGets && i <= bfBlockChanges);
        wait = wait || (before10g && (i == bfEvent || i == bfSecondsInWait));
    }
    list += ",st.value from v$session s,v$sesstat st";
    if (process)
        list += ",v$process p";
    if (io)
        list += ",v$sess_io io";
    if (wait)
        list += ",v$session_wait w";
    list += " where s.sid=st.sid and st.statistic#=" + statisticNumber;
    // Outer joins: a session without a process row (or I/O or wait row) is still listed.
    if (process)
        list += " and s.paddr=p.addr(+)";
    if (io)
        list += " and s.sid=io.sid(+)";
    if (wait)
        list += " and s.sid=w.sid(+)";
    if (select)
        *select = list;
    std::string condition = " and  1=1";
    if (!showBackground)
        condition += " and s.type <>'BACKGROUND'";
    if (!showKilled)
        condition += " and s.status <>'KILLED'";
    condition += " order by st.value desc";
    return list + condition;
}

} // namespace monitor
