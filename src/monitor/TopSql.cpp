#include "monitor/TopSql.h"

#include "monitor/DatabaseInfo.h"
#include "oradb/OraQuery.h"

#include <stdexcept>

namespace monitor {

namespace {

const char* orderColumn(TTopSqlOrder order) {
    switch (order) {
    case TTopSqlOrder::ElapsedTime:
        return "elapsed_time";
    case TTopSqlOrder::CpuTime:
        return "cpu_time";
    case TTopSqlOrder::BufferGets:
        return "buffer_gets";
    case TTopSqlOrder::DiskReads:
        return "disk_reads";
    case TTopSqlOrder::Executions:
        return "executions";
    }
    return "elapsed_time";
}

// A text on one line: line breaks and tabs become blanks, runs of blanks one blank.
std::string oneLine(const std::string& text) {
    std::string out;
    bool blank = false;
    for (char c : text) {
        const bool space = c == ' ' || c == '\n' || c == '\r' || c == '\t';
        if (space) {
            blank = !out.empty();
            continue;
        }
        if (blank)
            out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

} // namespace

const char* TopSqlOrderName(TTopSqlOrder order) {
    switch (order) {
    case TTopSqlOrder::ElapsedTime:
        return "Elapsed time";
    case TTopSqlOrder::CpuTime:
        return "CPU time";
    case TTopSqlOrder::BufferGets:
        return "Buffer gets";
    case TTopSqlOrder::DiskReads:
        return "Disk reads";
    case TTopSqlOrder::Executions:
        return "Executions";
    }
    return "";
}

std::string TopSqlStatement(TTopSqlOrder order, int limit) {
    return "select * from (select sql_id,executions,elapsed_time,cpu_time,buffer_gets,"
           "disk_reads,rows_processed,parsing_schema_name,sql_text from v$sqlarea order by " +
           std::string(orderColumn(order)) +
           " desc) where rownum<=" + std::to_string(limit > 0 ? limit : kTopSqlDefaultLimit);
}

std::vector<TTextListModel::Column> TopSqlColumns() {
    return {{QStringLiteral("SQL Id"), 118},     {QStringLiteral("Executions"), 80},
            {QStringLiteral("Elapsed (s)"), 82}, {QStringLiteral("Elapsed/Exec (ms)"), 126},
            {QStringLiteral("CPU (s)"), 70},     {QStringLiteral("CPU/Exec (ms)"), 104},
            {QStringLiteral("Buffer Gets"), 92}, {QStringLiteral("Gets/Exec"), 80},
            {QStringLiteral("Disk Reads"), 82},  {QStringLiteral("Reads/Exec"), 80},
            {QStringLiteral("Rows"), 76},        {QStringLiteral("Rows/Exec"), 76},
            {QStringLiteral("Schema"), 80},      {QStringLiteral("SQL Text"), 400}};
}

std::vector<int> TopSqlNumberColumns() {
    return {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
}

TTextListModel::Row TopSqlRow(const std::string& sqlId, double executions, double elapsedMicro,
                              double cpuMicro, double bufferGets, double diskReads,
                              double rowsProcessed, const std::string& schema,
                              const std::string& text) {
    auto perExecution = [executions](double total, double scale, int decimals) {
        return executions > 0 ? FormatFixed(total / executions / scale, decimals) : std::string();
    };
    TTextListModel::Row row;
    row.caption = sqlId;
    row.subItems = {FormatThousands(executions),
                    FormatFixed(elapsedMicro / 1e6, 2),
                    perExecution(elapsedMicro, 1e3, 2),
                    FormatFixed(cpuMicro / 1e6, 2),
                    perExecution(cpuMicro, 1e3, 2),
                    FormatThousands(bufferGets),
                    perExecution(bufferGets, 1, 1),
                    FormatThousands(diskReads),
                    perExecution(diskReads, 1, 1),
                    FormatThousands(rowsProcessed),
                    perExecution(rowsProcessed, 1, 1),
                    schema,
                    oneLine(text)};
    return row;
}

void LoadTopSql(TPvConnection& monitor, TTextListModel& list, TTopSqlOrder order, int limit) {
    list.Clear();
    try {
        auto q = OpenLoadQuery(monitor, TopSqlStatement(order, limit));
        for (; !q->Eof(); q->Next())
            list.AddRow(TopSqlRow(
                q->FieldByName("sql_id").AsString(), q->FieldByName("executions").AsFloat(),
                q->FieldByName("elapsed_time").AsFloat(), q->FieldByName("cpu_time").AsFloat(),
                q->FieldByName("buffer_gets").AsFloat(), q->FieldByName("disk_reads").AsFloat(),
                q->FieldByName("rows_processed").AsFloat(),
                q->FieldByName("parsing_schema_name").AsString(),
                q->FieldByName("sql_text").AsString()));
        q->Close();
    } catch (const std::exception& e) {
        list.Clear();
        list.AddRow({"Get v$sqlarea error: " + std::string(e.what()), {}});
    }
}

bool IsSqlId(const std::string& text) {
    if (text.size() != 13)
        return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')))
            return false;
    return true;
}

std::string LoadSqlFullText(TPvConnection& monitor, const std::string& sqlId) {
    if (!IsSqlId(sqlId))
        throw std::invalid_argument("'" + sqlId + "' is not a SQL id");
    auto q = OpenLoadQuery(monitor, "select sql_text from v$sqltext where sql_id='" + sqlId +
                                        "' order by piece");
    std::string text;
    for (; !q->Eof(); q->Next())
        text += q->FieldByName("sql_text").AsString();
    q->Close();
    return text;
}

std::vector<TTextListModel::Column> SqlSessionColumns() {
    return {{QStringLiteral("SID"), 50},      {QStringLiteral("Serial#"), 62},
            {QStringLiteral("User"), 90},     {QStringLiteral("Machine"), 120},
            {QStringLiteral("Program"), 150}, {QStringLiteral("Status"), 80}};
}

std::string SqlSessionsStatement(const std::string& sqlId) {
    if (!IsSqlId(sqlId))
        throw std::invalid_argument("'" + sqlId + "' is not a SQL id");
    return "select sid,serial#,username,machine,program,status from v$session where sql_id='" +
           sqlId + "' order by sid";
}

void LoadSqlSessions(TPvConnection& monitor, TTextListModel& list, const std::string& sqlId) {
    list.Clear();
    try {
        auto q = OpenLoadQuery(monitor, SqlSessionsStatement(sqlId));
        for (; !q->Eof(); q->Next())
            list.AddRow(
                {q->FieldByName("sid").AsString(),
                 {q->FieldByName("serial#").AsString(), q->FieldByName("username").AsString(),
                  q->FieldByName("machine").AsString(), q->FieldByName("program").AsString(),
                  q->FieldByName("status").AsString()}});
        q->Close();
    } catch (const std::exception& e) {
        list.Clear();
        list.AddRow({"Get v$session error: " + std::string(e.what()), {}});
    }
}

} // namespace monitor
