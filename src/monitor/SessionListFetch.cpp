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
    // SID and serial# (SessionKey) -> "sofar/totalwork/time_remaining/opname/target" of the
    // latest operation.
    std::unordered_map<std::uint64_t, std::string> latest;
    try {
        longOperations_.SQL.Clear();
        longOperations_.SQL.Add(std::string(kLongOperationsSql));
        longOperations_.Open();
        for (; !longOperations_.Eof(); longOperations_.Next()) {
            std::string text;
            for (int i = 2; i < 7; ++i)
                text += (i > 2 ? "/" : "") + longOperations_.Fields(i).AsString();
            latest[SessionKey(longOperations_.Fields(0).AsString(),
                              longOperations_.Fields(1).AsString())] = std::move(text);
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
        const auto it = latest.find(RateKey(s));
        if (it == latest.end())
            continue;
        TBasicFieldArray progress;
        progress[bfProgress] = it->second;
        SetLongOperation(progress);
        // The record's texts with the operation's, written at once.
        std::array<std::string_view, bfCount> texts;
        for (std::size_t i = 0; i < texts.size(); ++i)
            texts[i] = s.basic.fields[i];
        for (const int field :
             {bfProgress, bfLongOperation, bfLongTarget, bfLongDone, bfLongRemaining})
            texts[static_cast<std::size_t>(field)] = progress[static_cast<std::size_t>(field)];
        TBasicFields fields;
        fields.Assign(texts);
        s.basic.fields = std::move(fields);
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
        // A row's texts are written back to back here, then copied once into its record.
        std::string joined;
        std::array<std::size_t, bfCount> ends{};
        for (; !query_.Eof(); query_.Next()) {
            joined.clear();
            for (std::size_t i = 0; i < ends.size(); ++i) {
                if (const oradb::TField* field = fields[i])
                    field->AppendTo(joined);
                ends[i] = joined.size();
            }
            sessions.emplace_back().basic.fields.Assign(joined, ends);
            if (Terminated())
                throw std::runtime_error("ftbasic was terminated");
        }
        if (FieldRead(bfProgress, Columns))
            ReadLongOperations(sessions);
        MarkSessions(sessions);
        const TDateTime now = util::now();
        if (Baseline)
            Baseline->Advance(sessions, Statistic, now);
        OrderByStatistic(sessions, ByRate);
        Synchronize([&] {
            monitor_.Notify(ncSessionsReplacing);
            monitor_.Sessions.swap(sessions);
            monitor_.SessionsByRate = ByRate;
            if (monitor_.LocateSelectedSession() == -1 && !monitor_.Sessions.empty()) {
                // The selected session is gone: the first session becomes the selected one,
                // but not a session that took over the gone one's SID.
                std::size_t first = 0;
                while (first + 1 < monitor_.Sessions.size() &&
                       monitor_.Sessions[first].Key() == monitor_.SelectedSid)
                    ++first;
                monitor_.SelectSession(
                    std::string(monitor_.Sessions[first].Key()),
                    std::string(monitor_.Sessions[first].basic.fields[bfSerial]));
            } else if (monitor_.SelectedIndex >= 0) {
                const TRSession& s =
                    monitor_.Sessions[static_cast<std::size_t>(monitor_.SelectedIndex)];
                monitor_.SelectSession(std::string(s.Key()), std::string(s.basic.fields[bfSerial]));
            }
            monitor_.LastListRefresh = now;
            ++monitor_.ListGeneration;
            monitor_.Notify(ncSessionsReplaced);
        });
        // The previous read's records are freed here, not on the window's thread.
        std::vector<TRSession>().swap(sessions);
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
    switch (code) {
    case ncRebuildListColumns:
        RebuildColumns();
        break;
    case ncSessionsReplacing:
        list_.BeginSessions();
        break;
    case ncSessionsReplaced:
        ShowSessions();
        break;
    case ncListFetched:
        ShowRefresh();
        break;
    default:
        break;
    }
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
    // The records read so far show at once under the new columns.
    if (!monitor_.Sessions.empty())
        ShowSessions();
}

void TPvSesslistObserver::ShowSessions() {
    list_.BeginSessions();
    // The statistic column switched between rates and totals since the read: the records take
    // its order again.
    if (monitor_.SessionsByRate != monitor_.ShowSortRate) {
        OrderByStatistic(monitor_.Sessions, monitor_.ShowSortRate);
        monitor_.SessionsByRate = monitor_.ShowSortRate;
        monitor_.LocateSelectedSession();
    }
    TSessionListLayout layout;
    layout.fields = shownFields(monitor_.ShownColumns());
    for (int i = monitor_.AuditActionList.Count() - 1; i >= 0; --i)
        layout.commandNames[monitor_.AuditActionList.Name(i)] =
            monitor_.AuditActionList.Value(monitor_.AuditActionList.Name(i));
    layout.showRate = monitor_.ShowSortRate;
    layout.ownSid = monitor_.OwnSid;
    list_.SetSessions(&monitor_.Sessions, std::move(layout));
}

void TPvSesslistObserver::ShowRefresh() {
    try {
        if (TMonitorHost* host = monitor_.Host())
            host->SetStatusPanel(1,
                                 "Refreshed at: " + util::formatDateTime(monitor_.LastListRefresh));
        int selected = -1;
        const std::string selectedSerial = monitor_.SelectedSerial();
        for (int row = 0; row < list_.rowCount() && selected < 0; ++row)
            if (const TRSession* s = list_.Session(row))
                if (s->Key() == monitor_.SelectedSid &&
                    (selectedSerial.empty() || s->basic.fields[bfSerial] == selectedSerial))
                    selected = row;
        list_.SetSelectedRow(selected);
        if (TMonitorHost* host = monitor_.Host()) {
            const int count = list_.rowCount();
            host->SetStatusPanel(2, filter_ ? filter_->CountText()
                                            : std::to_string(count) +
                                                  (count == 1 ? " session" : " sessions"));
        }
    } catch (...) {
        util::appendAppLogSafely("Error:refresh sessionlist error");
    }
}

} // namespace monitor
