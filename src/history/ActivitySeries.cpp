#include "history/ActivitySeries.h"

#include "history/ActivitySample.h"
#include "util/TextHelpers.h"

#include <QDateTime>
#include <algorithm>
#include <sqlite3.h>
#include <stdexcept>
#include <string>

namespace history {

namespace {

class Query {
public:
    Query(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
    }
    ~Query() { sqlite3_finalize(stmt_); }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;
    void bind(int at, std::int64_t v) { sqlite3_bind_int64(stmt_, at, v); }
    bool next() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(db_));
        return false;
    }
    std::int64_t integer(int column) const { return sqlite3_column_int64(stmt_, column); }
    std::string text(int column) const {
        const auto* t = sqlite3_column_text(stmt_, column);
        return t ? reinterpret_cast<const char*>(t) : "";
    }
    bool null(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

using util::csvField;

} // namespace

int WaitClassIndex(const std::string& waitClass) {
    const auto& classes = ChartWaitClasses();
    const auto it = std::find(classes.begin(), classes.end(), waitClass);
    return it == classes.end() ? kWaitClassCount - 1 : static_cast<int>(it - classes.begin());
}

double TActivitySeries::Peak() const {
    double peak = 0;
    for (const auto& b : buckets) {
        double sum = 0;
        for (double v : b)
            sum += v;
        peak = std::max(peak, sum);
    }
    return peak;
}

TActivitySeries ReadActivitySeries(sqlite3* db, std::int64_t from, std::int64_t to,
                                   int maxBuckets) {
    TActivitySeries s;
    s.from = from;
    s.to = std::max(to, from + 1);
    const std::int64_t span = s.to - s.from;
    const std::int64_t most = std::max(maxBuckets, 1);
    s.bucketSeconds = std::max<std::int64_t>(1, (span + most - 1) / most);
    const auto count = static_cast<std::size_t>((span + s.bucketSeconds - 1) / s.bucketSeconds);
    s.buckets.assign(count, {});
    s.sampled.assign(count, false);
    std::vector<std::int64_t> instants(count, 0);
    {
        Query q(db,
                "select (t - ?1) / ?3, count(*) from ticks where t >= ?1 and t < ?2 group by 1");
        q.bind(1, s.from);
        q.bind(2, s.to);
        q.bind(3, s.bucketSeconds);
        while (q.next()) {
            const auto at = static_cast<std::size_t>(q.integer(0));
            if (at < count) {
                instants[at] = q.integer(1);
                s.sampled[at] = true;
            }
        }
    }
    Query q(db, "select (s.t - ?1) / ?3, case when s.cpu = 1 then 'CPU' else w.text end, count(*)"
                " from samples s left join names w on w.id = s.wclass where s.t >= ?1 and"
                " s.t < ?2 group by 1, 2");
    q.bind(1, s.from);
    q.bind(2, s.to);
    q.bind(3, s.bucketSeconds);
    while (q.next()) {
        const auto at = static_cast<std::size_t>(q.integer(0));
        if (at >= count || instants[at] == 0)
            continue;
        s.buckets[at][static_cast<std::size_t>(WaitClassIndex(q.text(1)))] +=
            static_cast<double>(q.integer(2)) / static_cast<double>(instants[at]);
    }
    return s;
}

std::int64_t WriteSamplesCsv(sqlite3* db, std::int64_t from, std::int64_t to, std::ostream& out) {
    out << "TIME,SID,SERIAL#,USER,PROGRAM,MACHINE,SQL_ID,EVENT,WAIT_CLASS,STATE,"
           "BLOCKING_SESSION\r\n";
    Query q(db, "select s.t, s.sid, s.serial, u.text, p.text, m.text, q.text, e.text, w.text,"
                " s.cpu, s.blocker from samples s left join names u on u.id = s.usr left join"
                " names p on p.id = s.program left join names m on m.id = s.machine left join"
                " names q on q.id = s.sql left join names e on e.id = s.event left join names w"
                " on w.id = s.wclass where s.t >= ?1 and s.t < ?2 order by s.t, s.sid");
    q.bind(1, from);
    q.bind(2, to);
    std::int64_t rows = 0;
    while (q.next()) {
        const bool cpu = q.integer(9) == 1;
        out << QDateTime::fromSecsSinceEpoch(q.integer(0))
                   .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                   .toStdString()
            << ',' << q.integer(1) << ',' << q.integer(2);
        for (int c = 3; c <= 7; ++c)
            out << ',' << csvField(q.text(c));
        out << ',' << csvField(cpu ? "CPU" : q.text(8)) << ',' << (cpu ? "ON CPU" : "WAITING")
            << ',';
        if (!q.null(10))
            out << q.integer(10);
        out << "\r\n";
        ++rows;
    }
    return rows;
}

} // namespace history
