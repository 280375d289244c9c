#include "capture/CaptureThreads.h"

#include "capture/CaptureLog.h"
#include "oradb/OraError.h"
#include "oradb/OraQuery.h"
#include "util/AppLog.h"

namespace capture {

std::string FetchQueryText(const std::string& fetchFilter) {
    return "select tot.sid sid,tot.address address,tot.hash_value hash_value,st.piece "
           "piece,tot.user_name user_name,tot.osuser osuser,tot.program program,tot.machine "
           "machine,st.sql_text sql_text, sa.sorts sorts ,sa.parse_calls parse_calls,sa.loads "
           "loads,sa.executions executions,sa.rows_processed rows_processed,sa.first_load_time "
           "first_load_time,sysdate fetchtime from public_qby_capturesql tot,v$sqltext "
           "st,v$sqlarea sa where  " +
           fetchFilter + " and to_char(st.hash_value)=tot.hash_value" +
           " and rawtohex(st.address)=tot.address " + " and st.address= sa.address " +
           " and sa.hash_value=st.hash_value+decode(sign(st.hash_value),-1,power(2,32),0)" +
           " order by tot.sid,tot.address,tot.hash_value,st.piece";
}

// ---- TOpencursorThread ----

TOpencursorThread::TOpencursorThread(oradb::TOraSession* session, const std::string& block)
    : sql_(std::make_unique<oradb::TOraSQL>(session)) {
    sql_->SQL.Clear();
    sql_->SQL.Add(block);
}

TOpencursorThread::~TOpencursorThread() {
    StopAndWait();
}

void TOpencursorThread::Execute() {
    try {
        sql_->Execute();
    } catch (const std::exception& e) {
        if (!Terminated()) {
            ErrorText = e.what();
            util::appendAppLogSafely(std::string("open cursor error: ") + e.what());
        }
    }
    if (Completion)
        Completion();
}

void TOpencursorThread::CancelRunningCall() {
    sql_->Cancel();
}

// ---- TFetchSqltextThread ----

TFetchSqltextThread::TFetchSqltextThread(oradb::TOraSession* session, TSqlCollectorPtr collector,
                                         std::string queryText, std::string logPath)
    : collector_(std::move(collector)), queryText_(std::move(queryText)),
      logPath_(std::move(logPath)), query_(std::make_unique<oradb::TOraQuery>(session)) {}

TFetchSqltextThread::~TFetchSqltextThread() {
    StopAndWait();
}

void TFetchSqltextThread::CancelRunningCall() {
    query_->Cancel();
}

void TFetchSqltextThread::Fetch() {
    oradb::TOraQuery& q = *query_;
    q.SQL.Clear();
    q.SQL.Add(queryText_);
    q.ParamByName("fetchtime").SetAsDateTime(collector_->lastFetchTime.load());
    q.Open();
    AppendHeaderIfNew(logPath_);
    TLogAppender log(logPath_);
    // A statement's line: its fields, then its text, which the pieces after the first add to.
    std::string pendingLine, pendingSql;
    auto flush = [&](TDateTime fetchTime) {
        collector_->sqls.fetch_add(1);
        collector_->lastFetchTime.store(fetchTime);
        pendingLine += ",\"";
        pendingLine += pendingSql;
        pendingLine += '"';
        log.Append(pendingLine);
        pendingLine.clear();
        pendingSql.clear();
    };
    // The fields, looked up once: the rows are many.
    oradb::TField& piece = q.FieldByName("piece");
    oradb::TField& sqlText = q.FieldByName("sql_text");
    oradb::TField& fetchTime = q.FieldByName("fetchtime");
    oradb::TField* quoted1[4] = {&q.FieldByName("user_name"), &q.FieldByName("program"),
                                 &q.FieldByName("machine"), &q.FieldByName("osuser")};
    oradb::TField* plain[5] = {&q.FieldByName("sorts"), &q.FieldByName("parse_calls"),
                               &q.FieldByName("executions"), &q.FieldByName("loads"),
                               &q.FieldByName("rows_processed")};
    oradb::TField& firstLoadTime = q.FieldByName("first_load_time");
    TDateTime lastFetchTime = 0;
    for (; !q.Eof(); q.Next()) {
        if (Terminated())
            break;
        if (piece.AsString() != "0") {
            sqlText.AppendTo(pendingSql);
        } else {
            if (!pendingLine.empty())
                flush(fetchTime.AsDateTime());
            pendingLine.clear();
            for (oradb::TField* f : quoted1) {
                pendingLine += '"';
                f->AppendTo(pendingLine);
                pendingLine += "\",";
            }
            for (oradb::TField* f : plain) {
                f->AppendTo(pendingLine);
                pendingLine += ',';
            }
            pendingLine += '"';
            firstLoadTime.AppendTo(pendingLine);
            pendingLine += '"';
            pendingSql.clear();
            sqlText.AppendTo(pendingSql);
        }
        lastFetchTime = fetchTime.AsDateTime();
    }
    if (!pendingLine.empty() && !Terminated())
        flush(lastFetchTime);
    log.Flush();
    q.Close();
}

void TFetchSqltextThread::Execute() {
    try {
        Fetch();
    } catch (const std::exception& e) {
        if (!Terminated()) {
            ErrorText = e.what();
            util::appendAppLogSafely(std::string("Fetch sql error :") + e.what() + "\r\n");
        }
    }
    try {
        query_->Close();
    } catch (...) {
        // Closing the cursor of a failed or broken call can fail as well; the failure that ended
        // the fetch is the one to report.
    }
    if (Completion)
        Completion();
}

} // namespace capture
