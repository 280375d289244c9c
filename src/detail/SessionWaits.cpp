#include "detail/SessionWaits.h"

#include "detail/DetailThread.h"
#include "monitor/WaitFigures.h"
#include "oradb/OraQuery.h"
#include "util/AppLog.h"
#include "util/DateTimeText.h"

namespace detail {

using monitor::wkWaits;

std::string EventsSqlText(const std::string& sid) {
    std::string select;
    for (std::size_t i = 0; i < kEventColumns.size(); ++i)
        select += std::string(i ? "," : "") + std::string(kEventColumns[i]);
    return "select " + select + " from v$session_event" + " where sid=" + sid +
           " order by time_waited desc,event";
}

std::string CurrentWaitSqlText(const std::string& sid) {
    return "select * from v$session_wait where sid=" + sid;
}

void RegisterWaitsThread(monitor::TPvConnection& monitor) {
    RegisterQueryThread<TWaitsThread>(monitor, wkWaits,
                                      [](monitor::TPvConnection& m) -> std::optional<std::string> {
                                          m.EventsSql = EventsSqlText(m.SelectedSid);
                                          m.CurrentWaitSql = CurrentWaitSqlText(m.SelectedSid);
                                          return m.EventsSql;
                                      });
}

// ---- TWaitsThread ----

TWaitsThread::TWaitsThread(monitor::TPvConnection& monitor, oradb::TOraQuery& query)
    : TDetailThread(monitor, wkWaits, query) {}

TWaitsThread::~TWaitsThread() {
    StopAndWait();
}

void TWaitsThread::Execute() {
    auto& running = monitor_.RunningFlag(wkWaits);
    try {
        Synchronize([this] {
            if (monitor::TRSession* s = monitor_.SelectedSession()) {
                s->Waits().events.clear();
                s->Waits().currentWait[monitor::cwSid] = "0";
            }
        });
        running = true;
        monitor_.WaitsEventsLoading = true;
        Synchronize([this] { monitor_.Notify(monitor::ncEventsLoading); });
        if (Terminated())
            throw monitor::EAbandon{};
        query_.Open();
        if (Terminated())
            throw monitor::EAbandon{};
        Synchronize([this] { StoreEvents(); });
        query_.Close();
        monitor_.WaitsEventsLoading = false;
        Synchronize([this] { monitor_.Notify(monitor::ncEventsStored); });
        monitor_.WaitsCurrentLoading = true;
        Synchronize([this] { monitor_.Notify(monitor::ncCurrentWaitLoading); });
        if (Terminated())
            throw monitor::EAbandon{};
        // The SQL texts live in the monitor, which the UI thread owns: read under a hand-over.
        std::string currentWaitSql;
        Synchronize([this, &currentWaitSql] { currentWaitSql = monitor_.CurrentWaitSql; });
        // A terminate request that came during the hand-over: no statement after its cancel.
        if (Terminated())
            throw monitor::EAbandon{};
        query_.SQL.Clear();
        query_.SQL.Add(currentWaitSql);
        query_.Open();
        if (Terminated())
            throw monitor::EAbandon{};
        Synchronize([this] { StoreCurrentWait(); });
        query_.Close();
        monitor_.WaitsCurrentLoading = false;
        Synchronize([this] { monitor_.Notify(monitor::ncCurrentWaitStored); });
        running = false;
        return;
    } catch (...) {
        EndFailed(
            std::current_exception(),
            [&] {
                running = false;
                monitor_.WaitsEventsLoading = false;
                monitor_.WaitsCurrentLoading = false;
            },
            [this] {
                monitor_.Notify(monitor::ncEventsStored);
                monitor_.Notify(monitor::ncCurrentWaitStored);
            });
    }
}

void TWaitsThread::StoreEvents() {
    monitor::TRSession* s = monitor_.SelectedSession();
    if (!s)
        return;
    std::array<oradb::TField*, 7> fields{};
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i] = &query_.FieldByName(kEventColumns[i]);
    for (; !query_.Eof() && !Terminated(); query_.Next()) {
        monitor::TWaitsFieldType row;
        for (std::size_t i = 0; i < fields.size(); ++i)
            // Times come in hundredths of a second and are shown with their unit.
            row[i] = i >= 4 ? monitor::FormatWaitTime(fields[i]->AsFloat() / 100.0)
                            : fields[i]->AsString();
        s->Waits().events.push_back(std::move(row));
    }
}

void TWaitsThread::StoreCurrentWait() {
    monitor::TRSession* s = monitor_.SelectedSession();
    if (!s)
        return;
    auto& w = s->Waits().currentWait;
    if (query_.RecordCount() == 1) {
        w[monitor::cwSid] = query_.FieldByName("sid").AsString();
        w[monitor::cwSeq] = query_.FieldByName("seq#").AsString();
        w[monitor::cwEvent] = query_.FieldByName("event").AsString();
        w[monitor::cwWaitTime] = query_.FieldByName("wait_time").AsString();
        w[monitor::cwSecondsInWait] = query_.FieldByName("seconds_in_wait").AsString();
        w[monitor::cwState] = query_.FieldByName("state").AsString();
        w[monitor::cwP1] = query_.FieldByName("p1").AsString();
        w[monitor::cwP2] = query_.FieldByName("p2").AsString();
        w[monitor::cwP3] = query_.FieldByName("p3").AsString();
    } else {
        w[monitor::cwSid] = "0";
    }
    Stamp(s->Waits());
}

// ---- TSessWaitsObserver ----

TSessWaitsObserver::TSessWaitsObserver(monitor::TPvConnection& monitor, TDetailListModel& events,
                                       TDetailListModel& currentWaits)
    : monitor_(monitor), events_(events), currentWaits_(currentWaits) {
    std::vector<TDetailListModel::Column> columns;
    for (std::size_t i = 0; i < kEventColumns.size(); ++i)
        columns.push_back({QString::fromLatin1(kEventColumns[i].data(),
                                               static_cast<qsizetype>(kEventColumns[i].size())),
                           kEventColumnWidths[i]});
    events_.SetRows({});
    events_.SetColumns(std::move(columns));
}

std::vector<TDetailListModel::Column> TSessWaitsObserver::CurrentWaitColumns() {
    return {{QStringLiteral("SID"), -1},       {QStringLiteral("EVENT"), 200},
            {QStringLiteral("WAIT_TIME"), 80}, {QStringLiteral("SECONDS_IN_WAIT"), 70},
            {QStringLiteral("STATE"), 130},    {QStringLiteral("P1"), 70},
            {QStringLiteral("P2"), -1}};
}

void TSessWaitsObserver::SetActive(bool active) {
    active_ = active;
    monitor_.SetViewShown(wkWaits, active);
}

void TSessWaitsObserver::Update(monitor::TPvConnection& monitor, int code) {
    (void)monitor;
    if (!active_ || !monitor_.SelectedSession())
        return;
    switch (code) {
    case monitor::ncEventsLoading:
        events_.SetRows({{"Loading...", {}}});
        currentWaits_.Clear();
        break;
    case monitor::ncEventsStored:
        RenderEvents();
        break;
    case monitor::ncCurrentWaitLoading:
        currentWaits_.SetRows({{"Loading...", {}}});
        break;
    case monitor::ncCurrentWaitStored:
        RenderCurrentWait();
        break;
    default:
        break;
    }
}

void TSessWaitsObserver::RenderEvents() {
    bool& rendering = monitor_.RenderingFlag(wkWaits);
    rendering = true;
    try {
        const std::vector<monitor::TWaitsFieldType> events =
            monitor_.SelectedSession()->Waits().events;
        std::vector<TDetailListModel::Row> rows;
        rows.reserve(events.size());
        for (const auto& e : events) {
            if (!monitor_.ShowIdleEvents && monitor::IsIdleEvent(e[1]))
                continue;
            rows.push_back({e[0], {e[1], e[2], e[3], e[4], e[5], e[6]}});
        }
        events_.SetRows(std::move(rows));
    } catch (...) {
        util::appendAppLogSafely("Error: Refresh Waits Error");
    }
    rendering = false;
}

void TSessWaitsObserver::RenderCurrentWait() {
    bool& rendering = monitor_.RenderingFlag(wkWaits);
    rendering = true;
    try {
        const auto w = monitor_.SelectedSession()->Waits().currentWait;
        QString p1 = QStringLiteral("P1"), p2 = QStringLiteral("P2");
        TDetailListModel::Row row;
        if (w[monitor::cwSid] != "0") {
            for (std::string_view net : kSqlNetEvents)
                if (w[monitor::cwEvent] == net) {
                    p1 = QStringLiteral("Driver id");
                    p2 = QStringLiteral("#byte");
                }
            row.caption = w[monitor::cwSid];
            row.subItems = {
                w[monitor::cwEvent], w[monitor::cwWaitTime], w[monitor::cwSecondsInWait],
                w[monitor::cwState], w[monitor::cwP1],       w[monitor::cwP2]};
        }
        currentWaits_.SetColumnCaption(5, p1);
        currentWaits_.SetColumnCaption(6, p2);
        currentWaits_.SetRows({row});
    } catch (...) {
        util::appendAppLogSafely("Error: Refresh Waits Error");
    }
    rendering = false;
}

} // namespace detail
