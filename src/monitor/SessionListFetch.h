// The session list: the list worker TBasicThread, which fetches the sessions of the instance
// ordered by the sort statistic and hands them to the monitor as a new session array, and the
// observer TPvSesslistObserver, which renders that array into the session list model.
#pragma once

#include "monitor/ListRowsModel.h"
#include "monitor/Monitor.h"

#include <QAbstractTableModel>
#include <vector>

namespace oradb {
class TOraQuery;
}

namespace monitor {

class TBasicThread final : public TWorkerThread {
public:
    TBasicThread(TPvConnection& monitor, oradb::TOraQuery& query);
    ~TBasicThread() override;
    // The text of the last failure (empty after a success or a silent abandon).
    std::string ErrorText;

protected:
    void Execute() override;
    void CancelRunningCall() override;

private:
    TPvConnection& monitor_;
    oradb::TOraQuery& query_;
};

// A row of a session list: the caption, the sub-items and an image index (-1: none).
struct TSessionListRow {
    std::string caption;
    std::vector<std::string> subItems;
    int image = -1;
};

// The rows of lvsessionlist: a caption (the SID), the sub-items and an image per row.
class TSessionListModel final : public TListRowsModel<TSessionListRow> {
    Q_OBJECT
public:
    // The role under which a row's image index is given (-1: none; 9 killed, 14 lock wait).
    static constexpr int ImageIndexRole = Qt::UserRole + 1;

    explicit TSessionListModel(QObject* parent = nullptr) : TListRowsModel(parent) {}

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    void SetColumns(std::vector<Column> columns);
    void SetRows(std::vector<Row> rows);
    // The row selected by the last rendering (the selected session's), or -1.
    int SelectedRow() const { return selectedRow_; }
    void SetSelectedRow(int row);

Q_SIGNALS:
    // The view selects this row and scrolls it into view.
    void selectionRequested(int row);

private:
    int selectedRow_ = -1;
};

class TPvSesslistObserver final : public IPvObserver {
public:
    TPvSesslistObserver(TPvConnection& monitor, TSessionListModel& list)
        : monitor_(monitor), list_(list) {}
    void Update(TPvConnection& monitor, int code) override;

private:
    void RebuildColumns();
    void RenderRows();
    TPvConnection& monitor_;
    TSessionListModel& list_;
};

} // namespace monitor
