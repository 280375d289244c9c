#include "detail/SessionSql.h"

#include "oradb/OraError.h"
#include "oradb/OraQuery.h"
#include "util/AppLog.h"
#include "util/DateTimeText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace detail {

using monitor::TPvConnection;
using monitor::TRSession;
using monitor::wkSql;

namespace {

std::string joined(const std::vector<std::string>& pieces) {
    std::string text;
    for (const std::string& p : pieces)
        text += p;
    return text;
}

// Reading stops like a failed read when the thread has been asked to terminate.
struct ETerminated : std::runtime_error {
    ETerminated() : std::runtime_error("ftsql was terminated") {}
};

constexpr const char* kEol = "\r\n";

} // namespace

std::string BuildCursorsSql(const std::string& sid) {
    return std::string(" select oc.sid,st.hash_value,st.sql_text from v$sqltext st,v$open_cursor "
                       "oc,v$session s where s.sid=") +
           sid + " and oc.saddr=s.saddr" + " and st.address=oc.address" +
           " and st.hash_value=oc.hash_value" + " order by st.address,st.hash_value,st.piece";
}

std::string BuildCurrentSql(const std::string& sid, const std::string& serial) {
    return "select st.sql_text from v$sqltext st,v$session sn where st.address=sn.sql_address "
           "and st.hash_value=sn.sql_hash_value and sn.sid=" +
           sid + " and sn.serial#=" + serial + " order by st.piece";
}

std::string FailureClassName(const std::exception& e) {
    return dynamic_cast<const oradb::EOraError*>(&e) ? "EOraError" : "Exception";
}

// ---- TSqlThread ----

TSqlThread::TSqlThread(TPvConnection& monitor)
    : TDetailThread(monitor, wkSql, *monitor.Query(wkSql)), sid_(monitor.SelectedSid) {
    const TRSession* s = monitor.SelectedSession();
    currentSql_ =
        BuildCurrentSql(sid_, s ? std::string(s->basic.fields[monitor::bfSerial]) : std::string());
    monitor.SqlTextSql = BuildCursorsSql(sid_);
    query_.Close();
    query_.SQL.Clear();
    query_.SQL.Add(monitor.SqlTextSql);
    // Set before the start, so that a second request in the meantime is dropped.
    monitor.RunningFlag(wkSql) = true;
}

TSqlThread::~TSqlThread() {
    StopAndWait();
}

TRSession* TSqlThread::target() {
    return FindSession(monitor_, sid_);
}

void TSqlThread::Execute() {
    monitor_.RunningFlag(wkSql) = true;
    cursorsStage();
    currentStage();
}

void TSqlThread::cursorsStage() {
    auto& loading = monitor_.SqlCursorsLoading;
    try {
        Synchronize([this] {
            if (TRSession* s = target()) {
                s->Sql().cursors.clear();
                s->Sql().current.clear();
            }
        });
        loading = true;
        Synchronize([this] { monitor_.Notify(monitor::ncCursorsLoading); });
        if (Terminated())
            throw monitor::EAbandon{};
        query_.Open();
        if (Terminated())
            throw monitor::EAbandon{};
        Synchronize([this] {
            // Rows of one cursor are consecutive; a new hash value starts the next cursor.
            std::vector<std::vector<std::string>> scratch;
            TRSession* s = target();
            auto& cursors = s ? s->Sql().cursors : scratch;
            try {
                oradb::TField& hash = query_.FieldByName("hash_value");
                oradb::TField& text = query_.FieldByName("sql_text");
                std::int64_t previous = 0;
                for (bool first = true; !query_.Eof(); query_.Next(), first = false) {
                    const std::int64_t value = hash.AsInteger();
                    if (first || value != previous)
                        cursors.emplace_back();
                    cursors.back().push_back(text.AsString());
                    previous = value;
                    if (Terminated())
                        throw ETerminated();
                }
            } catch (const std::exception& e) {
                util::appendAppLogSafely("Error while get all sql:" + FailureClassName(e) + "," +
                                         e.what());
            }
        });
        query_.Close();
        loading = false;
        Synchronize([this] { monitor_.Notify(monitor::ncCursorsStored); });
    } catch (...) {
        EndFailed(
            std::current_exception(), [&loading] { loading = false; },
            [this] { monitor_.Notify(monitor::ncCursorsFailed); });
    }
}

void TSqlThread::currentStage() {
    auto& loading = monitor_.SqlCurrentLoading;
    auto& running = monitor_.RunningFlag(wkSql);
    try {
        if (Terminated())
            throw monitor::EAbandon{};
        query_.SQL.Clear();
        query_.SQL.Add(currentSql_);
        loading = true;
        Synchronize([this] { monitor_.Notify(monitor::ncCurrentSqlLoading); });
        query_.Open();
        if (Terminated())
            throw monitor::EAbandon{};
        Synchronize([this] {
            std::vector<std::string> current;
            try {
                oradb::TField& text = query_.FieldByName("sql_text");
                for (; !query_.Eof(); query_.Next()) {
                    current.push_back(text.AsString());
                    if (Terminated())
                        throw ETerminated();
                }
            } catch (const std::exception& e) {
                util::appendAppLogSafely("Sid:" + sid_ + "get Current Sql error : " +
                                         FailureClassName(e) + " " + e.what());
            }
            if (TRSession* s = target()) {
                s->Sql().current = std::move(current);
                // A read cut short by a terminate request leaves the record stale, so that the
                // next request reads the statement again instead of serving half of it.
                if (!Terminated())
                    Stamp(s->Sql());
            }
        });
        query_.Close();
        loading = false;
        Synchronize([this] { monitor_.Notify(monitor::ncCurrentSqlStored); });
        running = false;
    } catch (...) {
        EndFailed(
            std::current_exception(),
            [&] {
                running = false;
                loading = false;
            },
            [this] { monitor_.Notify(monitor::ncCurrentSqlFailed); });
    }
}

// ---- TSessSqlObserver ----

TSessSqlObserver::TSessSqlObserver(TPvConnection& monitor, monitor::TSessionListModel& cursorList,
                                   TSqlTextModel& statementText)
    : monitor_(monitor), cursorList_(cursorList), statementText_(statementText) {
    cursorList_.SetColumns({{QStringLiteral("Sid"), 170}, {QStringLiteral("SQL"), 170}});
}

void TSessSqlObserver::RegisterThread(TPvConnection& monitor) {
    monitor.SetThreadFactory(wkSql,
                             [](TPvConnection& m) -> std::unique_ptr<monitor::TWorkerThread> {
                                 return std::make_unique<TSqlThread>(m);
                             });
}

void TSessSqlObserver::SetActive(bool active) {
    active_ = active;
    monitor_.SetViewShown(wkSql, active);
}

bool TSessSqlObserver::selected() const {
    return monitor_.SelectedIndex != -1 && monitor_.SelectedSession();
}

void TSessSqlObserver::Update(TPvConnection& monitor, int code) {
    (void)monitor;
    if (!Active() || !selected())
        return;
    switch (code) {
    case monitor::ncCursorsLoading:
        cursorList_.SetRows({{"Loading...", {}, -1}});
        statementText_.Clear();
        break;
    case monitor::ncCursorsStored:
        renderCursors();
        break;
    case monitor::ncCursorsFailed:
        cursorList_.SetRows({{"Abort", {}, -1}});
        statementText_.Clear();
        break;
    case monitor::ncCurrentSqlLoading:
        statementText_.Clear();
        statementText_.AddText("Loading...");
        break;
    case monitor::ncCurrentSqlStored:
        renderCurrent();
        break;
    case monitor::ncCurrentSqlFailed:
        statementText_.Clear();
        statementText_.AddText("Abort");
        break;
    default:
        break;
    }
}

void TSessSqlObserver::renderCursors() {
    bool& rendering = monitor_.RenderingFlag(wkSql);
    rendering = true;
    try {
        const monitor::TRSql sql = monitor_.SelectedSession()->Sql();
        std::vector<monitor::TSessionListModel::Row> rows;
        rows.reserve(sql.cursors.size());
        for (const auto& cursor : sql.cursors)
            rows.push_back(
                {monitor_.SelectedSid, {cursor.empty() ? std::string() : cursor[0]}, -1});
        cursorList_.SetRows(std::move(rows));
        rendering = false;
    } catch (...) {
        rendering = false;
        util::appendAppLogSafely("Error:refresh All sql error");
    }
}

void TSessSqlObserver::renderCurrent() {
    bool& rendering = monitor_.RenderingFlag(wkSql);
    rendering = true;
    try {
        const monitor::TRSql sql = monitor_.SelectedSession()->Sql();
        const std::string text = joined(sql.current);
        if (text.empty()) {
            statementText_.Clear();
        } else {
            const std::vector<TSqlToken> tokens = TokenizeAndMark(text);
            statementText_.Clear();
            statementText_.AddText(std::string("[Current Sql Statement]") + kEol);
            statementText_.WriteTokens(tokens);
        }
        rendering = false;
    } catch (const std::exception& e) {
        rendering = false;
        util::appendAppLogSafely("Error:refresh Current sql error" + FailureClassName(e) + ":" +
                                 e.what());
    }
}

void TSessSqlObserver::SwitchStatement(int index) {
    if (!selected() || monitor_.SqlCursorsLoading || monitor_.SqlCurrentLoading)
        return;
    try {
        const auto& cursors = monitor_.SelectedSession()->Sql().cursors;
        if (index < 0 || index >= static_cast<int>(cursors.size()))
            throw std::out_of_range("cursor index out of range");
        const std::string text = joined(cursors[static_cast<std::size_t>(index)]);
        if (monitor_.SqlCursorsLoading) {
            util::appendAppLogSafely("Warning:Not Switch sql due to Sql Loading");
            return;
        }
        if (!text.empty()) {
            const std::vector<TSqlToken> tokens = TokenizeAndMark(text);
            statementText_.Clear();
            statementText_.WriteTokens(tokens);
        }
    } catch (...) {
        util::appendAppLogSafely("Error:switch sql error");
    }
}

bool TSessSqlObserver::SaveStatements(const std::string& fileName,
                                      const std::vector<int>& selectedRows, std::string* why) {
    errno = 0;
    std::ofstream out(fileName, std::ios::out | std::ios::trunc | std::ios::binary);
    auto failed = [why] {
        if (why)
            *why = errno != 0 ? std::strerror(errno) : "the file could not be written";
        return false;
    };
    if (!out)
        return failed();
    auto stamp = [] { return util::formatDateTime(util::now()); };
    auto reloading = [&] {
        out << stamp() << ": Reload SQL while saving SQL Statement to file." << kEol;
        out << stamp() << ": Switch to manual mode and save SQL Statement again." << kEol;
    };
    auto loading = [this] { return monitor_.SqlCursorsLoading || monitor_.SqlCurrentLoading; };
    // Without a selected session there is no header to write and no cursor to take.
    if (const TRSession* s = selected() ? monitor_.SelectedSession() : nullptr) {
        const auto& f = s->basic.fields;
        out << "Rem " << stamp() << ": Sid " << f[monitor::bfSid] << ",Serial "
            << f[monitor::bfSerial] << ",Oracle User " << f[monitor::bfUsername] << ",logon time "
            << f[monitor::bfLogonTime] << kEol;
        out << "Rem " << stamp() << ": Machine " << f[monitor::bfMachine] << ",Client program "
            << f[monitor::bfProgram] << kEol;
    }
    std::vector<int> rows = selectedRows;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (const int row : rows) {
        out << " " << kEol;
        if (!selected())
            break;
        if (loading()) {
            reloading();
            break;
        }
        bool stop = false;
        try {
            const auto& cursors = monitor_.SelectedSession()->Sql().cursors;
            const auto& pieces = cursors.at(static_cast<std::size_t>(row));
            for (const std::string& piece : pieces) {
                if (monitor_.SqlCursorsLoading) {
                    reloading();
                    stop = true;
                    break;
                }
                out << piece << kEol;
            }
        } catch (...) {
            reloading();
            stop = true;
        }
        if (stop)
            break;
    }
    out.close();
    return out.fail() ? failed() : true;
}

} // namespace detail
