#include "monitor/DatabaseInfo.h"

#include "monitor/SessionControl.h"
#include "monitor/WaitFigures.h"
#include "oradb/OraQuery.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <stdexcept>

namespace monitor {

namespace {

const std::string kIndent(11, ' ');

// Runs the query and hands each row to `row`; the query is closed on every path.
void forEachRow(TPvConnection& monitor, const std::string& sql,
                const std::function<void(oradb::TOraQuery&)>& row) {
    auto q = OpenLoadQuery(monitor, sql);
    try {
        while (!q->Eof()) {
            row(*q);
            q->Next();
        }
    } catch (...) {
        q->Close();
        throw;
    }
    q->Close();
}

// "%-30s" and "%-30s ": the name left-justified, never cut.
std::string padRight(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string padLeft(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

QLocale userLocale() {
    return QLocale();
}

} // namespace

std::unique_ptr<oradb::TOraQuery> OpenLoadQuery(TPvConnection& monitor, const std::string& sql) {
    if (!monitor.Session())
        throw std::runtime_error("Not connected");
    auto q = std::make_unique<oradb::TOraQuery>(monitor.Session());
    q->SQL.Clear();
    q->SQL.Add(sql);
    monitor.OpenWhileResponsive(*q);
    return q;
}

// ---- the report ----

TReport DatabaseInfoReport(TPvConnection& monitor) {
    TReport report;
    auto heading = [&](const std::string& text) { report.push_back({text, true}); };
    auto append = [&](const std::string& text) {
        if (!report.empty() && !report.back().heading)
            report.back().text += text;
        else
            report.push_back({text, false});
    };
    // One section: its heading, then its rows; a failure appends its error text where the
    // section stopped, and the next section still runs.
    auto section = [&](const std::string& title, const std::string& error,
                       const std::function<void()>& body) {
        heading(report.empty() ? title : "\r\n" + title);
        try {
            body();
        } catch (...) {
            append(error);
        }
    };
    // The first row's columns as name and value lines.
    auto columnsOfFirstRow = [&](const std::string& sql, const char* nameFormatTail) {
        auto q = OpenLoadQuery(monitor, sql);
        try {
            if (!q->Eof())
                for (const std::string& name : q->FieldNames())
                    append("\r\n" + kIndent + padRight(name, 30) + nameFormatTail +
                           q->FieldByName(name).AsString());
        } catch (...) {
            q->Close();
            throw;
        }
        q->Close();
    };

    section("VERSION", "Get v$version error", [&] {
        forEachRow(monitor, "select banner from v$version", [&](oradb::TOraQuery& q) {
            append("\r\n" + kIndent + q.FieldByName("banner").AsString());
        });
    });
    section("DATABASE", "Get v$database error",
            [&] { columnsOfFirstRow("select * from v$database", " "); });
    section("INSTANCE", "Get v$instance error",
            [&] { columnsOfFirstRow("select * from v$instance", ""); });
    section("SGA", "Get v$sga error", [&] {
        forEachRow(monitor, "select name,value from v$SGA", [&](oradb::TOraQuery& q) {
            const std::string name = q.FieldByName("name").AsString();
            const double value = q.FieldByName("value").AsFloat();
            append("\r\n" + kIndent + padRight(name, 30) + padLeft(FormatThousands(value), 15) +
                   " bytes");
        });
    });
    section("LICENSE", "Get v$license error",
            [&] { columnsOfFirstRow("select * from v$license", ""); });
    return report;
}

std::string ReportText(const TReport& report) {
    std::string text;
    for (const TReportPiece& piece : report)
        text += piece.text;
    return text;
}

// ---- the lists ----

std::vector<TTextListModel::Column> NlsParameterColumns() {
    return {{QStringLiteral("Parameter"), 200}, {QStringLiteral("Value"), 200}};
}

std::vector<TTextListModel::Column> SystemParameterColumns() {
    return {{QStringLiteral("Name"), 200},
            {QStringLiteral("Value"), 100},
            {QStringLiteral("Description"), 250}};
}

std::vector<TTextListModel::Column> SystemEventColumns() {
    return {{QStringLiteral("EVENT"), 150},
            {QStringLiteral("TOTAL_WAITS"), 100},
            {QStringLiteral("TOTAL_TIMEOUTS"), 120},
            {QStringLiteral("TIME_WAITED"), 100},
            {QStringLiteral("AVERAGE_WAIT"), 120}};
}

void LoadNlsParameters(TPvConnection& monitor, TTextListModel& list) {
    list.Clear();
    try {
        forEachRow(monitor, "select * from v$nls_parameters", [&](oradb::TOraQuery& q) {
            list.AddRow(
                {q.FieldByName("parameter").AsString(), {q.FieldByName("value").AsString()}});
        });
    } catch (...) {
        list.AddRow({"Get v$nls_parameter error", {}});
    }
}

void LoadSystemParameters(TPvConnection& monitor, TTextListModel& list) {
    list.Clear();
    try {
        std::size_t count = 0;
        forEachRow(monitor, "select * from v$system_parameter order by name",
                   [&](oradb::TOraQuery& q) {
                       TSystemParameterArray record;
                       static const char* const columns[] = {"num",
                                                             "name",
                                                             "type",
                                                             "value",
                                                             "isdefault",
                                                             "isses_modifiable",
                                                             "issys_modifiable",
                                                             "ismodified",
                                                             "isadjusted",
                                                             "description"};
                       for (std::size_t i = 0; i < record.size(); ++i)
                           record[i] = q.FieldByName(columns[i]).AsString();
                       list.AddRow({record[spName], {record[spValue], record[spDescription]}});
                       // The array follows the rows read so far, from its first record on.
                       monitor.SystemParameters.resize(++count);
                       monitor.SystemParameters[count - 1] = record;
                   });
    } catch (...) {
        list.AddRow({"Get v$system_parameter error", {}});
    }
}

void LoadSystemEvents(TPvConnection& monitor, TTextListModel& list) {
    list.Clear();
    try {
        forEachRow(monitor,
                   "select event,total_waits,total_timeouts,time_waited/100 time_waited,"
                   "average_wait/100 average_wait from v$system_event order by time_waited desc",
                   [&](oradb::TOraQuery& q) {
                       TTextListModel::Row row;
                       row.caption = q.FieldByName("Event").AsString();
                       if (!monitor.ShowIdleEvents && IsIdleEvent(row.caption))
                           return;
                       row.subItems = {FormatFixed(q.FieldByName("total_waits").AsFloat(), 0),
                                       FormatFixed(q.FieldByName("total_timeouts").AsFloat(), 0),
                                       FormatWaitTime(q.FieldByName("time_waited").AsFloat()),
                                       FormatWaitTime(q.FieldByName("average_wait").AsFloat())};
                       list.AddRow(std::move(row));
                   });
    } catch (...) {
        list.AddRow({"Get v$system_event error", {}});
    }
}

// ---- numbers ----

std::string FormatFixed(double value, int decimals) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    const QString point = userLocale().decimalPoint();
    if (point != QStringLiteral(".")) {
        const auto dot = text.find('.');
        if (dot != std::string::npos)
            text.replace(dot, 1, point.toStdString());
    }
    return text;
}

std::string FormatThousands(double value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.0f", std::fabs(value));
    const std::string digits = buffer;
    const std::string separator = userLocale().groupSeparator().toStdString();
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += separator;
        text += digits[i];
    }
    // -0.4 rounds to 0, which has no sign.
    return value < 0 && digits != "0" ? "-" + text : text;
}

std::optional<double> ParseLocaleNumber(const std::string& text) {
    std::string plain = text;
    const std::string point = userLocale().decimalPoint().toStdString();
    if (point != ".") {
        const auto at = plain.find(point);
        if (at != std::string::npos)
            plain.replace(at, point.size(), ".");
    }
    if (plain.empty() || std::isspace(static_cast<unsigned char>(plain[0])))
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(plain.c_str(), &end);
    if (end != plain.c_str() + plain.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// ---- sorting ----

std::vector<int> SystemEventOrder(const TTextListModel& list, int column, bool flag) {
    const int count = list.rowCount();
    std::vector<int> order(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        order[static_cast<std::size_t>(i)] = i;
    if (column == 0) {
        std::vector<std::string> texts;
        for (int i = 0; i < count; ++i)
            texts.push_back(list.Cell(i, 0));
        // The event names sort the other way round to the numbers for the same flag.
        return SortedOrder(texts, TCompareRule::Text, !flag);
    }
    std::vector<double> values(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::string cell = list.Cell(i, column);
        const auto value = ParseWaitTime(cell);
        if (!value)
            throw std::runtime_error("'" + cell + "' is not a valid floating point value");
        values[static_cast<std::size_t>(i)] = *value;
    }
    // Equal values keep their order, so that the comparison stays a strict weak ordering.
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const double x = values[static_cast<std::size_t>(a)];
        const double y = values[static_cast<std::size_t>(b)];
        return flag ? x < y : x > y;
    });
    return order;
}

// ---- the parameter editor ----

const TSystemParameterArray* ParameterRecordOf(const TPvConnection& monitor,
                                               const TTextListModel& list, int row) {
    if (row < 0 || row >= list.rowCount() ||
        static_cast<std::size_t>(row) >= monitor.SystemParameters.size())
        return nullptr;
    // The error row holds its caption only.
    if (!list.HasCell(row, 1))
        return nullptr;
    return &monitor.SystemParameters[static_cast<std::size_t>(row)];
}

TParameterEditorState ParameterEditorState(const TSystemParameterArray* record) {
    TParameterEditorState state;
    if (!record)
        return state;
    const bool system = (*record)[spIsSysModifiable] != "FALSE";
    const bool session = (*record)[spIsSesModifiable] == "TRUE";
    state.modifyEnabled = system || session;
    state.checkBoxVisible = system && session;
    state.valueVisible = state.modifyEnabled;
    return state;
}

std::string TrimControl(const std::string& text) {
    std::size_t from = 0, to = text.size();
    while (from < to && static_cast<unsigned char>(text[from]) <= ' ')
        ++from;
    while (to > from && static_cast<unsigned char>(text[to - 1]) <= ' ')
        --to;
    return text.substr(from, to - from);
}

std::optional<TParameterChange> PlanParameterChange(const TSystemParameterArray& record,
                                                    const std::string& typed, bool checkBoxVisible,
                                                    bool checked) {
    const std::string value = TrimControl(typed);
    if (value.empty())
        return std::nullopt;
    TParameterChange change;
    change.sessionScope = record[spIsSesModifiable] == "TRUE" && (!checkBoxVisible || checked);
    const bool deferred = record[spIsSysModifiable] == "DEFERRED";
    std::string literal = value;
    if (record[spType] == "2") {
        // A quote inside the value is doubled, so it cannot end the literal early.
        literal = "'";
        for (char c : value)
            literal += c == '\'' ? std::string("''") : std::string(1, c);
        literal += "'";
    }
    change.statement = (change.sessionScope ? "alter session set " : "alter system set ") +
                       record[spName] + "=" + literal;
    if (deferred && !change.sessionScope)
        change.statement += " deferred";
    change.listValue = typed;
    if (record[spType] == "1")
        change.listValue = QString::fromStdString(typed).toUpper().toStdString();
    change.message = change.sessionScope ? "New Value only apply to this session!"
                     : deferred          ? "New Value only apply to future sessions"
                                         : "New Value apply to all existing and future sessions";
    const std::string& current = record[spValue];
    change.unchanged = !change.sessionScope &&
                       (record[spType] == "1"
                            ? QString::fromStdString(value).compare(QString::fromStdString(current),
                                                                    Qt::CaseInsensitive) == 0
                            : value == current);
    if (change.unchanged) {
        change.message = record[spName] + " is already " + current + ": nothing was changed.";
        return change;
    }
    const std::string scope =
        change.sessionScope ? "this session only (alter session)"
        : deferred ? "the whole instance, for sessions that start from now on (alter system "
                     "... deferred)"
                   : "the whole instance: all existing and future sessions (alter system)";
    change.question = "Change " + record[spName] + " from " +
                      (current.empty() ? std::string("(empty)") : current) + " to " + value +
                      "?\n\nStatement:\n" + change.statement + "\n\nScope: " + scope;
    return change;
}

void StoreParameterValue(TPvConnection& monitor, int row, const TParameterChange& change) {
    if (!change.sessionScope && row >= 0 &&
        static_cast<std::size_t>(row) < monitor.SystemParameters.size())
        monitor.SystemParameters[static_cast<std::size_t>(row)][spValue] = change.listValue;
}

void ExecuteParameterChange(TPvConnection& monitor, const std::string& statement) {
    if (!monitor.Session())
        throw std::runtime_error("Not connected");
    oradb::TOraQuery q(monitor.Session());
    q.SQL.Clear();
    q.SQL.Add(statement);
    try {
        q.ExecSQL();
    } catch (...) {
        q.Close();
        throw;
    }
    q.Close();
}

} // namespace monitor
