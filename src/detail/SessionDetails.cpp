#include "detail/SessionDetails.h"

#include "detail/DetailThread.h"
#include "oradb/OraQuery.h"
#include "util/AppLog.h"

namespace detail {

using monitor::wkDetails;

std::string DetailsSqlText(const std::string& sid) {
    return "select * from v$session where sid=" + sid;
}

void RegisterDetailsThread(monitor::TPvConnection& monitor) {
    RegisterQueryThread<TDetailsThread>(
        monitor, wkDetails, [](monitor::TPvConnection& m) -> std::optional<std::string> {
            if (!m.SelectedSession())
                return std::nullopt; // no session selected: the thread is never started
            m.DetailsSql = DetailsSqlText(m.SelectedSid);
            return m.DetailsSql;
        });
}

// ---- TDetailsThread ----

TDetailsThread::TDetailsThread(monitor::TPvConnection& monitor, oradb::TOraQuery& query)
    : TDetailThread(monitor, wkDetails, query) {}

TDetailsThread::~TDetailsThread() {
    StopAndWait();
}

void TDetailsThread::Execute() {
    auto& running = monitor_.RunningFlag(wkDetails);
    running = true;
    try {
        Synchronize([this] {
            if (monitor::TRSession* s = monitor_.SelectedSession()) {
                s->Details().names.clear();
                s->Details().values.clear();
            }
        });
        if (Terminated())
            throw monitor::EAbandon{};
        query_.Open();
        if (Terminated())
            throw monitor::EAbandon{};
        Synchronize([this] { StoreRow(); });
        query_.Close();
        running = false;
        Synchronize([this] { monitor_.Notify(monitor::ncDetailsStored); });
        return;
    } catch (...) {
        EndFailed(
            std::current_exception(), [&] { running = false; },
            [this] { monitor_.Notify(monitor::ncDetailsStored); });
    }
}

void TDetailsThread::StoreRow() {
    monitor::TRSession* s = monitor_.SelectedSession();
    if (!s || query_.Eof())
        return;
    // Only the first row is read; a raw column shows each byte as two hexadecimal digits.
    for (int i = 0; i < query_.FieldCount() && !Terminated(); ++i) {
        oradb::TField& f = query_.Fields(i);
        const bool raw = f.DataType() == oradb::TFieldType::ftBytes ||
                         f.DataType() == oradb::TFieldType::ftVarBytes;
        s->Details().names.push_back(f.FieldName());
        s->Details().values.push_back(raw && !f.IsNull() ? oradb::HexText(f.AsBytes())
                                                         : f.AsString());
    }
}

// ---- TSessDetailsObserver ----

TSessDetailsObserver::TSessDetailsObserver(monitor::TPvConnection& monitor, TDetailListModel& list)
    : monitor_(monitor), list_(list) {
    list_.SetColumns(ListColumns());
}

std::vector<TDetailListModel::Column> TSessDetailsObserver::ListColumns() {
    return {{QStringLiteral("Name"), 200}, {QStringLiteral("Value"), 150}};
}

void TSessDetailsObserver::SetActive(bool active) {
    active_ = active;
    monitor_.SetViewShown(wkDetails, active);
}

void TSessDetailsObserver::Update(monitor::TPvConnection& monitor, int code) {
    (void)monitor;
    if (code != monitor::ncDetailsStored || !active_ || !monitor_.SelectedSession())
        return;
    Render();
}

void TSessDetailsObserver::Render() {
    bool& rendering = monitor_.RenderingFlag(wkDetails);
    rendering = true;
    try {
        const monitor::TRDetails details = monitor_.SelectedSession()->Details();
        const monitor::TBasicFieldArray basic = monitor_.SelectedSession()->basic.fields.ToArray();
        std::vector<TDetailListModel::Row> rows;
        rows.reserve(details.names.size() + 4);
        // A long operation in progress (read with the list) comes first.
        if (!details.names.empty() && !basic[monitor::bfProgress].empty()) {
            rows.push_back({"Long operation", {basic[monitor::bfLongOperation]}});
            rows.push_back({"Target", {basic[monitor::bfLongTarget]}});
            rows.push_back({"Done", {basic[monitor::bfLongDone]}});
            rows.push_back({"Time remaining", {basic[monitor::bfLongRemaining]}});
        }
        for (std::size_t i = 0; i < details.names.size() && i < details.values.size(); ++i)
            rows.push_back({details.names[i], {details.values[i]}});
        list_.SetRows(std::move(rows));
    } catch (...) {
        util::appendAppLogSafely("Error: Refresh Details Error");
    }
    rendering = false;
}

} // namespace detail
