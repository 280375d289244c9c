#include "detail/CurrentWaitInformation.h"

#include "detail/DetailThread.h"
#include "oradb/OraQuery.h"
#include "util/AppLog.h"

namespace detail {

bool IsBlockWaitEvent(std::string_view event) {
    for (std::string_view e : kBlockWaitEvents)
        if (e == event)
            return true;
    return false;
}

std::string WaitInformationSqlText(std::int32_t fileId, std::int32_t blockId) {
    const std::string file = std::to_string(fileId), block = std::to_string(blockId);
    return "select e.file_id,e.block_id,e.owner,e.segment_name,e.segment_type,e.tablespace_name "
           "from dba_extents e,dba_data_files f where e.file_id=f.file_id and e.file_id=" +
           file + " and e.block_id <= " + block + " and e.block_id+e.blocks>" + block;
}

std::vector<TDetailListModel::Column> WaitInformationColumns() {
    return {{QStringLiteral("Name"), 200}, {QStringLiteral("Value"), 200}};
}

void StartWaitInformationLookup(monitor::TPvConnection& monitor,
                                const TWaitInformationTarget& target) {
    if (!monitor.Connected())
        return;
    monitor.StartLookup(std::make_unique<TCurrentWaitInformationThread>(monitor, target));
}

TCurrentWaitInformationThread::TCurrentWaitInformationThread(monitor::TPvConnection& monitor,
                                                             TWaitInformationTarget target)
    : monitor_(monitor), target_(std::move(target)),
      query_(std::make_unique<oradb::TOraQuery>(monitor.Session())),
      fileId_(monitor.WaitingBlock.fileId), blockId_(monitor.WaitingBlock.blockId) {
    result_.fileId = -1;
}

TCurrentWaitInformationThread::~TCurrentWaitInformationThread() {
    StopAndWait();
}

void TCurrentWaitInformationThread::CancelRunningCall() {
    query_->Cancel();
}

void TCurrentWaitInformationThread::Execute() {
    bool enabled = false;
    Synchronize([this, &enabled] {
        enabled = monitor_.WaitingBlockState == 0;
        if (!enabled)
            return;
        if (target_.setSearchEnabled)
            target_.setSearchEnabled(false);
        if (target_.information)
            target_.information->SetRows({{"Loading...", {}}});
        if (target_.currentWaits)
            target_.currentWaits->Clear();
    });
    if (!enabled)
        return;
    try {
        result_.fileId = -1;
        query_->SQL.Clear();
        query_->SQL.Add(WaitInformationSqlText(fileId_, blockId_));
        if (Terminated())
            throw monitor::EAbandon{};
        query_->Open();
        if (query_->RecordCount() == 1) {
            result_.fileId = static_cast<std::int32_t>(query_->FieldByName("file_id").AsInteger());
            result_.blockId =
                static_cast<std::int32_t>(query_->FieldByName("block_id").AsInteger());
            result_.owner = query_->FieldByName("owner").AsString();
            result_.segmentName = query_->FieldByName("segment_name").AsString();
            result_.segmentType = query_->FieldByName("segment_type").AsString();
            result_.tablespaceName = query_->FieldByName("tablespace_name").AsString();
        }
        query_->Close();
        Synchronize([this] { ShowResult(); });
    } catch (...) {
        const TFailure failure = ClassifyFailure(std::current_exception(), Terminated());
        query_->Close();
        result_.fileId = -1;
        try {
            Synchronize([this, &failure] {
                ShowResult();
                if (!failure.silent)
                    monitor_.ReportFailure(failure.text);
            });
        } catch (...) {
            util::logCurrentException("Current wait information: showing the failure");
        }
    }
}

void TCurrentWaitInformationThread::ShowResult() {
    if (monitor_.WaitingBlockState == 0 && target_.information) {
        std::vector<TDetailListModel::Row> rows;
        if (result_.fileId == -1) {
            rows.push_back({"Not Found", {}});
        } else {
            rows = {{"Owner", {result_.owner}},
                    {"Segment type", {result_.segmentType}},
                    {"Segment name", {result_.segmentName}},
                    {"Tablespace name", {result_.tablespaceName}},
                    {"File id", {std::to_string(result_.fileId)}},
                    {"Block id", {std::to_string(result_.blockId)}}};
        }
        target_.information->SetRows(std::move(rows));
    }
    if (target_.setSearchEnabled)
        target_.setSearchEnabled(true);
}

} // namespace detail
