// The session list model: one row per session as the session list shows it, filled by the
// session list observer on the UI thread. Qt Core only; the images and colours are added by the
// view's proxy.
#pragma once

#include "monitor/ListRowsModel.h"

#include <QString>
#include <string>
#include <vector>

namespace monitor {

// A row of a session list: the caption, the sub-items and an image index (-1: none), with what
// sorting and filtering need beyond the shown texts.
// The row images: a killed session, one that waits for a lock, one that others wait for.
inline constexpr int kImageKilled = 9;
inline constexpr int kImageLockWait = 14;
inline constexpr int kImageBlocker = 15;

struct TSessionListRow {
    std::string caption;
    std::vector<std::string> subItems;
    int image = -1;
    std::string serial{};     // the session's serial#: with the SID, which session the row is
    double statistic = 0;     // the statistic column's value (total or rate); NaN when blank
    std::string searchText{}; // the fields the filter looks in, one per line (UTF-8)
    bool active = false;      // status ACTIVE
    bool user = true;         // a user session (not BACKGROUND)
    bool changed = false;     // its statistic changed since the previous refresh
    bool own = false;         // the monitor's own session
};

// The rows of the session list: a caption (the SID), the sub-items and an image per row.
class TSessionListModel final : public TListRowsModel<TSessionListRow> {
    Q_OBJECT
public:
    // The role under which a row's image index is given (-1: none, else one of the kImage...).
    static constexpr int ImageIndexRole = Qt::UserRole + 1;
    // True under this role for a row whose statistic changed since the previous refresh.
    static constexpr int ChangedRole = Qt::UserRole + 2;
    // The value a sort compares (a number, or the text); see TColumnOrder.
    static constexpr int SortKeyRole = Qt::UserRole + 3;
    // The row's serial#, on every column.
    static constexpr int SerialRole = Qt::UserRole + 4;
    // True under this role, on every column, for the row of the monitor's own session.
    static constexpr int OwnRole = Qt::UserRole + 5;

    explicit TSessionListModel(QObject* parent = nullptr) : TListRowsModel(parent) {}

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Numbers (the statistic and the numeric columns after the SID) are right-aligned, headings
    // included.
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void SetColumns(std::vector<Column> columns);
    void SetRows(std::vector<Row> rows);
    // Counts the changes of rows and columns: what was derived from the rows under one count
    // holds until the next.
    quint64 Generation() const { return generation_; }
    // The row selected by the last rendering (the selected session's), or -1.
    int SelectedRow() const { return selectedRow_; }
    void SetSelectedRow(int row);

Q_SIGNALS:
    // The view selects this row and scrolls it into view.
    void selectionRequested(int row);

private:
    int selectedRow_ = -1;
    quint64 generation_ = 0;
};

} // namespace monitor
