#include "detail/SessionStatistics.h"

#include "detail/DetailThread.h"
#include "oradb/OraNumber.h"
#include "oradb/OraQuery.h"
#include "util/AppLog.h"
#include "util/DateTimeText.h"

#include <stdexcept>

namespace detail {

using monitor::wkStatistics;

std::string StatisticsSqlText(const std::string& sid) {
    return " select st.sid,st.value,sn.name,sn.class,sn.statistic# statistic from v$sesstat "
           "st,v$statname sn where sn.statistic#=st.statistic# and st.sid=" +
           sid + " order by value desc";
}

void RegisterStatisticsThread(monitor::TPvConnection& monitor) {
    RegisterQueryThread<TStatisticsThread>(
        monitor, wkStatistics, [](monitor::TPvConnection& m) -> std::optional<std::string> {
            m.StatisticsSql = StatisticsSqlText(m.SelectedSid);
            return m.StatisticsSql;
        });
}

bool StatisticClassPasses(const std::string& classText, int selected) {
    if (selected == 0 || classText == std::to_string(selected))
        return true;
    const auto n = oradb::parseInteger(classText);
    if (!n)
        return false;
    for (int bit = 1; bit <= 128; bit *= 2)
        if (*n == bit)
            return false;
    // Split into the class bits from the highest; it counts only when nothing remains.
    std::int64_t rest = *n;
    bool taken = false;
    for (int p = 128; p >= 1; p /= 2)
        if (rest >= p) {
            rest -= p;
            taken = taken || p == selected;
        }
    return rest == 0 && taken;
}

int StatisticClassCode(const std::string& name) {
    for (const auto& c : monitor::kStatisticClasses)
        if (c.name == name)
            return c.code;
    return 0;
}

// ---- TStatisticsThread ----

TStatisticsThread::TStatisticsThread(monitor::TPvConnection& monitor, oradb::TOraQuery& query)
    : TDetailThread(monitor, wkStatistics, query) {}

TStatisticsThread::~TStatisticsThread() {
    StopAndWait();
}

void TStatisticsThread::Execute() {
    auto& running = monitor_.RunningFlag(wkStatistics);
    try {
        Synchronize([this] {
            if (monitor::TRSession* s = monitor_.SelectedSession())
                s->Statistics().rows.clear();
        });
        running = true;
        Synchronize([this] { monitor_.Notify(monitor::ncStatisticsLoading); });
        if (Terminated())
            throw monitor::EAbandon{};
        query_.Open();
        if (Terminated())
            throw monitor::EAbandon{};
        Synchronize([this] { StoreRows(); });
        query_.Close();
        running = false;
        Synchronize([this] { monitor_.Notify(monitor::ncStatisticsStored); });
        return;
    } catch (...) {
        EndFailed(
            std::current_exception(), [&] { running = false; },
            [this] { monitor_.Notify(monitor::ncStatisticsStored); });
    }
}

void TStatisticsThread::StoreRows() {
    monitor::TRSession* s = monitor_.SelectedSession();
    if (!s)
        return;
    oradb::TField& name = query_.FieldByName("name");
    oradb::TField& value = query_.FieldByName("value");
    oradb::TField& cls = query_.FieldByName("class");
    oradb::TField& number = query_.FieldByName("statistic");
    for (; !query_.Eof(); query_.Next()) {
        s->Statistics().rows.push_back(
            {name.AsString(), value.AsString(), cls.AsString(), number.AsString()});
        // A fetch stopped in its rows leaves the record unstamped, so it is read again.
        if (Terminated())
            throw std::runtime_error("data not execute");
    }
    Stamp(s->Statistics());
}

// ---- TSessStatisticsObserver ----

TSessStatisticsObserver::TSessStatisticsObserver(monitor::TPvConnection& monitor,
                                                 TDetailListModel& list)
    : monitor_(monitor), list_(list) {
    list_.SetColumns(ListColumns());
}

std::vector<TDetailListModel::Column> TSessStatisticsObserver::ListColumns() {
    return {{QStringLiteral("Sid"), -1},
            {QStringLiteral("Name"), 200},
            {QStringLiteral("Value"), 100},
            {QStringLiteral("Class"), -1},
            {QStringLiteral("Statistic"), -1}};
}

void TSessStatisticsObserver::SetActive(bool active) {
    active_ = active;
    monitor_.SetViewShown(wkStatistics, active);
}

void TSessStatisticsObserver::Update(monitor::TPvConnection& monitor, int code) {
    (void)monitor;
    if (!active_ || !monitor_.SelectedSession())
        return;
    if (code == monitor::ncStatisticsLoading)
        list_.SetRows({{"Loading...", {}}});
    else if (code == monitor::ncStatisticsStored)
        Render();
}

void TSessStatisticsObserver::Render() {
    bool& rendering = monitor_.RenderingFlag(wkStatistics);
    rendering = true;
    try {
        const monitor::TRStatistics statistics = monitor_.SelectedSession()->Statistics();
        const int selected = monitor_.StatisticClassMask();
        std::vector<TDetailListModel::Row> rows;
        for (const auto& r : statistics.rows) {
            // A fetch storing rows now renders again when it ends; this rendering stops here.
            // The rendering flag is cleared all the same: left set, it would drop every later
            // request if that fetch's notification came while the page is not shown.
            if (monitor_.Running(wkStatistics))
                break;
            if (StatisticClassPasses(r[2], selected))
                rows.push_back({monitor_.SelectedSid, {r[0], r[1], r[2], r[3]}});
        }
        if (statistics.rows.empty())
            rows.push_back({monitor_.SelectedSid, {"not found"}});
        list_.SetRows(std::move(rows));
    } catch (...) {
        util::appendAppLogSafely("Error: Refresh Statistics Error");
    }
    rendering = false;
}

} // namespace detail
