#include "monitor/SessionListFetch.h"

#include "monitor/SessionRates.h"
#include "oradb/OraError.h"
#include "oradb/OraQuery.h"
#include "util/AppLog.h"
#include "util/DateTimeText.h"

#include <QLocale>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

namespace monitor {

// ---- TBasicThread ----

TBasicThread::TBasicThread(TPvConnection& monitor, oradb::TOraQuery& query)
    : monitor_(monitor), query_(query), longOperations_(query.Session()) {
    // The query serves one refresh after another: a cancel aimed at the one before is spent.
    query_.ResetCancel();
    OnTerminate = [this] { monitor_.RunningFlag(wkList) = false; };
}

TBasicThread::~TBasicThread() {
    StopAndWait();
}

void TBasicThread::CancelRunningCall() {
    query_.Cancel();
    longOperations_.Cancel();
}

void TBasicThread::ReadLongOperations(std::vector<TRSession>& sessions) {
    // SID and serial# -> "sofar/totalwork/time_remaining/opname/target" of the latest operation.
    std::unordered_map<std::string, std::string> latest;
    try {
        longOperations_.SQL.Clear();
        longOperations_.SQL.Add(std::string(kLongOperationsSql));
        longOperations_.Open();
        for (; !longOperations_.Eof(); longOperations_.Next()) {
            std::string text;
            for (int i = 2; i < 7; ++i)
                text += (i > 2 ? "/" : "") + longOperations_.Fields(i).AsString();
            latest[longOperations_.Fields(0).AsString() + "," +
                   longOperations_.Fields(1).AsString()] = std::move(text);
            if (Terminated())
                throw EAbandon{};
        }
        longOperations_.Close();
    } catch (const oradb::EOraCancelled&) {
        throw;
    } catch (const std::exception& e) {
        // The list stands without the progress (a user who may not read the view, say).
        longOperations_.Close();
        util::appendAppLogSafely(std::string("Session list: long operations not read: ") +
                                 e.what());
        return;
    }
    if (latest.empty())
        return;
    for (TRSession& s : sessions) {
        const auto it = latest.find(s.basic.fields[bfSid] + "," + s.basic.fields[bfSerial]);
        if (it == latest.end())
            continue;
        s.basic.fields[bfProgress] = it->second;
        SetLongOperation(s.basic.fields);
    }
}

void TBasicThread::Execute() {
    auto& running = monitor_.RunningFlag(wkList);
    running = true;
    bool silent = false;
    try {
        if (Terminated())
            throw EAbandon{};
        query_.Open();
        if (Terminated())
            throw EAbandon{};
        // The rows become session records here, on the worker; the UI thread only takes them.
        std::vector<TRSession> sessions;
        sessions.reserve(static_cast<std::size_t>(query_.RecordCount()));
        // A field whose column is not chosen is not read: its text stays empty.
        std::array<oradb::TField*, bfCount> fields{};
        for (int i = 0; i < bfSortField; ++i)
            if (i != bfProgress && FieldRead(i, Columns))
                fields[static_cast<std::size_t>(i)] =
                    &query_.FieldByName(kSessionListFields[static_cast<std::size_t>(i)].name);
        fields[bfSortField] = &query_.FieldByName("value");
        const TDateTime stale = util::now() - 10.0;
        for (; !query_.Eof(); query_.Next()) {
            TRSession& s = sessions.emplace_back();
            s.details.fetchTime = s.locks.fetchTime = s.sql.fetchTime = s.statistics.fetchTime =
                s.waits.fetchTime = stale;
            for (int i = 0; i < bfCount; ++i)
                if (const oradb::TField* field = fields[static_cast<std::size_t>(i)])
                    s.basic.fields[static_cast<std::size_t>(i)] = field->AsString();
            s.key = s.basic.fields[bfSid];
            if (Terminated())
                throw std::runtime_error("ftbasic was terminated");
        }
        if (FieldRead(bfProgress, Columns))
            ReadLongOperations(sessions);
        const TDateTime now = util::now();
        if (Baseline)
            Baseline->Advance(sessions, Statistic, now);
        Synchronize([&] {
            monitor_.Sessions = std::move(sessions);
            if (monitor_.LocateSelectedSession() == -1 && !monitor_.Sessions.empty()) {
                // The selected session is gone: the first session becomes the selected one,
                // but not a session that took over the gone one's SID.
                std::size_t first = 0;
                while (first + 1 < monitor_.Sessions.size() &&
                       monitor_.Sessions[first].key == monitor_.SelectedSid)
                    ++first;
                monitor_.SelectSession(monitor_.Sessions[first].key,
                                       monitor_.Sessions[first].basic.fields[bfSerial]);
            } else if (monitor_.SelectedIndex >= 0) {
                const TRSession& s =
                    monitor_.Sessions[static_cast<std::size_t>(monitor_.SelectedIndex)];
                monitor_.SelectSession(s.key, s.basic.fields[bfSerial]);
            }
            monitor_.LastListRefresh = now;
            ++monitor_.ListGeneration;
        });
        query_.Close();
        running = false;
        Synchronize([this] { monitor_.Notify(ncListFetched); });
        ErrorText.clear();
        return;
    } catch (const EAbandon&) {
        silent = true;
    } catch (const oradb::EOraCancelled&) {
        silent = Terminated();
        ErrorText = silent ? std::string() : std::string("ORA-01013: user requested cancel");
    } catch (const std::exception& e) {
        ErrorText = e.what();
        // A fetch cut short by a terminate request (the user disconnected or closed the window)
        // is not a failure to show the user; the application log keeps its text.
        if (Terminated()) {
            silent = true;
            util::appendAppLogSafely("Session list fetch stopped: " + ErrorText);
        }
    }
    query_.Close();
    running = false;
    try {
        Synchronize([this] { monitor_.Notify(ncListFetched); });
        if (!silent)
            Synchronize([this] { monitor_.WorkerFailed(ErrorText); });
    } catch (...) {
        util::logCurrentException("Session list: telling the window");
    }
}

// ---- TPvSesslistObserver ----

QString StatisticCaption(const TPvConnection& monitor) {
    const QString name = QString::fromStdString(monitor.SortStatisticName);
    return monitor.ShowSortRate ? name + QStringLiteral("/s") : name;
}

void TPvSesslistObserver::Update(TPvConnection& monitor, int code) {
    (void)monitor;
    if (code == ncRebuildListColumns)
        RebuildColumns();
    else if (code == ncListFetched)
        RenderRows();
}

namespace {

// The fields of the shown columns after the SID, in their order: Serial# (when chosen) and the
// username, then -1 for the statistic column, the other fixed columns, then the other chosen
// optional columns in their table's order.
std::vector<int> shownFields(TColumnSet shown) {
    std::vector<int> fields;
    if ((shown & ColumnBit(ocSerial)) != 0)
        fields.push_back(bfSerial);
    fields.push_back(bfUsername);
    fields.push_back(-1);
    for (int i = bfUsername + 1; i < bfSortField; ++i)
        if (kSessionListFields[static_cast<std::size_t>(i)].shown)
            fields.push_back(i);
    for (int id = 0; id < ocCount; ++id)
        if (id != ocSerial && (shown & ColumnBit(id)) != 0)
            fields.push_back(kOptionalColumns[static_cast<std::size_t>(id)].field);
    return fields;
}

const TOptionalColumn* optionalColumnOf(int field) {
    for (const TOptionalColumn& c : kOptionalColumns)
        if (c.field == field)
            return &c;
    return nullptr;
}

} // namespace

void TPvSesslistObserver::RebuildColumns() {
    std::vector<TSessionListModel::Column> columns;
    columns.push_back(
        {QStringLiteral("Sid"), kSessionListFields[bfSid].width, TColumnOrder::Integer});
    for (const int field : shownFields(monitor_.ShownColumns())) {
        if (field < 0) {
            columns.push_back({StatisticCaption(monitor_), 70, TColumnOrder::Statistic});
            continue;
        }
        const auto& f = kSessionListFields[static_cast<std::size_t>(field)];
        if (const TOptionalColumn* c = optionalColumnOf(field)) {
            columns.push_back(
                {QString::fromLatin1(c->caption.data(), static_cast<qsizetype>(c->caption.size())),
                 f.width, c->number ? TColumnOrder::Integer : TColumnOrder::Text});
            continue;
        }
        const TColumnOrder order =
            field == bfLogonTime ? TColumnOrder::DateTime : TColumnOrder::Text;
        columns.push_back({QString::fromUtf8(f.name.data(), static_cast<qsizetype>(f.name.size())),
                           f.width, order});
    }
    list_.SetColumns(std::move(columns));
}

void TPvSesslistObserver::RenderRows() {
    try {
        if (TMonitorHost* host = monitor_.Host())
            host->SetStatusPanel(1,
                                 "Refreshed at: " + util::formatDateTime(monitor_.LastListRefresh));
        // Audit action names by number, looked up once per rendering.
        std::unordered_map<std::string, std::string> actions;
        for (int i = monitor_.AuditActionList.Count() - 1; i >= 0; --i)
            actions[monitor_.AuditActionList.Name(i)] =
                monitor_.AuditActionList.Value(monitor_.AuditActionList.Name(i));

        // The sessions that others wait for.
        std::unordered_set<std::string> blockers;
        for (const TRSession& s : monitor_.Sessions)
            if (!s.basic.fields[bfBlockingSession].empty())
                blockers.insert(s.basic.fields[bfBlockingSession]);
        const QLocale locale;
        const std::string selectedSerial = monitor_.SelectedSerial();
        const std::vector<int> fieldsShown = shownFields(monitor_.ShownColumns());

        std::vector<TSessionListModel::Row> rows;
        rows.reserve(monitor_.Sessions.size());
        int selected = -1;
        bool stoppedEarly = false;
        for (const TRSession& s : monitor_.Sessions) {
            if (monitor_.Running(wkList)) {
                stoppedEarly = true;
                break;
            }
            const TBasicFieldArray& f = s.basic.fields;
            TSessionListModel::Row row;
            row.caption = f[bfSid];
            row.image = f[bfStatus] == "KILLED"         ? kImageKilled
                        : !f[bfLockwait].empty()        ? kImageLockWait
                        : blockers.count(f[bfSid]) != 0 ? kImageBlocker
                                                        : -1;
            row.serial = f[bfSerial];
            row.active = f[bfStatus] == "ACTIVE";
            row.user = f[bfType] != "BACKGROUND";
            row.changed = s.changed;
            row.own = !monitor_.OwnSid.empty() && f[bfSid] == monitor_.OwnSid;
            row.searchText = TSessionFilterModel::SearchText(
                {&f[bfSid], &f[bfUsername], &f[bfSchemaName], &f[bfOsUser], &f[bfMachine],
                 &f[bfProgram], &f[bfModule], &f[bfStatus], &f[bfSqlId]});
            std::string statistic = f[bfSortField];
            if (monitor_.ShowSortRate) {
                row.statistic = s.sortRate;
                statistic = std::isnan(s.sortRate)
                                ? std::string()
                                : locale.toString(s.sortRate, 'f', 1).toStdString();
            } else {
                row.statistic = StatisticValue(statistic);
            }
            row.subItems.reserve(fieldsShown.size());
            for (const int i : fieldsShown) {
                if (i < 0)
                    row.subItems.push_back(statistic);
                else if (i == bfCommand) {
                    const auto it = actions.find(f[bfCommand]);
                    row.subItems.push_back(it == actions.end() ? std::string() : it->second);
                } else {
                    row.subItems.push_back(f[static_cast<std::size_t>(i)]);
                }
            }
            if (row.caption == monitor_.SelectedSid &&
                (selectedSerial.empty() || row.serial == selectedSerial))
                selected = static_cast<int>(rows.size());
            rows.push_back(std::move(row));
        }
        const int count = static_cast<int>(rows.size());
        list_.SetRows(std::move(rows));
        list_.SetSelectedRow(selected);
        if (!stoppedEarly)
            if (TMonitorHost* host = monitor_.Host())
                host->SetStatusPanel(2, filter_ ? filter_->CountText()
                                                : std::to_string(count) +
                                                      (count == 1 ? " session" : " sessions"));
    } catch (...) {
        util::appendAppLogSafely("Error:refresh sessionlist error");
    }
}

} // namespace monitor
