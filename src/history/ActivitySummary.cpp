#include "history/ActivitySummary.h"

#include <sqlite3.h>
#include <stdexcept>

namespace history {

namespace {

// Runs a top-list statement (range and limit bound as ?1, ?2, ?3); the last column is the count.
std::vector<TTopEntry> readTop(sqlite3* db, const std::string& sql, std::int64_t from,
                               std::int64_t to, int limit, std::int64_t total) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    sqlite3_bind_int64(stmt, 1, from);
    sqlite3_bind_int64(stmt, 2, to);
    sqlite3_bind_int(stmt, 3, limit);
    std::vector<TTopEntry> entries;
    int rc;
    const int keys = sqlite3_column_count(stmt) - 1;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        TTopEntry e;
        for (int i = 0; i < keys; ++i) {
            const auto* text = sqlite3_column_text(stmt, i);
            e.keys.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
        }
        e.samples = sqlite3_column_int64(stmt, keys);
        e.percent =
            total > 0 ? 100.0 * static_cast<double>(e.samples) / static_cast<double>(total) : 0.0;
        entries.push_back(std::move(e));
    }
    const std::string error = rc == SQLITE_DONE ? std::string() : sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
    if (!error.empty())
        throw std::runtime_error(error);
    return entries;
}

std::int64_t count(sqlite3* db, const char* sql, std::int64_t from, std::int64_t to) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    sqlite3_bind_int64(stmt, 1, from);
    sqlite3_bind_int64(stmt, 2, to);
    const int rc = sqlite3_step(stmt);
    const std::int64_t n = rc == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : 0;
    const std::string error = rc == SQLITE_ROW ? std::string() : sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
    if (!error.empty())
        throw std::runtime_error(error);
    return n;
}

} // namespace

std::vector<std::string> TopColumns(TTopList list) {
    switch (list) {
    case TTopList::Sessions:
        return {"SID", "SERIAL#", "USER", "PROGRAM", "MACHINE", "SAMPLES", "PERCENT"};
    case TTopList::Sql:
        return {"SQL_ID", "SAMPLES", "PERCENT"};
    case TTopList::Events:
        return {"EVENT", "WAIT_CLASS", "SAMPLES", "PERCENT"};
    }
    return {};
}

TActivitySummary SummarizeActivity(sqlite3* db, std::int64_t from, std::int64_t to, int limit) {
    TActivitySummary s;
    s.from = from;
    s.to = to;
    s.instants = count(db, "select count(*) from ticks where t >= ?1 and t < ?2", from, to);
    s.samples = count(db, "select count(*) from samples where t >= ?1 and t < ?2", from, to);
    s.averageActive =
        s.instants > 0 ? static_cast<double>(s.samples) / static_cast<double>(s.instants) : 0.0;
    s.sessions = readTop(
        db,
        "select s.sid, s.serial, u.text, p.text, m.text, count(*) n from samples s"
        " left join names u on u.id = s.usr left join names p on p.id = s.program"
        " left join names m on m.id = s.machine where s.t >= ?1 and s.t < ?2"
        " group by s.sid, s.serial, s.usr, s.program, s.machine order by n desc, s.sid limit ?3",
        from, to, limit, s.samples);
    s.sql = readTop(db,
                    "select q.text, count(*) n from samples s join names q on q.id = s.sql"
                    " where s.t >= ?1 and s.t < ?2 group by q.text order by n desc, q.text"
                    " limit ?3",
                    from, to, limit, s.samples);
    s.events = readTop(
        db,
        "select case when s.cpu = 1 then 'ON CPU' else coalesce(e.text, '(unknown)') end ev,"
        " case when s.cpu = 1 then 'CPU' else coalesce(w.text, 'Other') end wc, count(*) n"
        " from samples s left join names e on e.id = s.event left join names w on w.id ="
        " s.wclass where s.t >= ?1 and s.t < ?2 group by ev, wc order by n desc, ev limit ?3",
        from, to, limit, s.samples);
    return s;
}

} // namespace history
