// The session list model: one row per session as the session list shows it. The session list
// reads the monitor's session records themselves (nothing copied); the lock and cursor lists of
// the detail pages give rows of texts. UI thread only; Qt Core only: the images and colours are
// added by the view's proxy.
#pragma once

#include "monitor/ListRowsModel.h"
#include "monitor/SessionRecords.h"

#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
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

// How the session list shows the records: what each column after the SID holds.
struct TSessionListLayout {
    // Per column after the SID: the field shown, or -1 for the statistic.
    std::vector<int> fields;
    // The command column's texts: audit action names by number.
    std::unordered_map<std::string, std::string> commandNames;
    bool showRate = false; // the statistic column shows the change per second
    std::string ownSid;    // the monitor's own session
};

// The rows of a session list: a caption (the SID), the sub-items and an image per row.
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
    // Rows of texts (the lock and cursor lists).
    void SetRows(std::vector<Row> rows);
    // The session list: the records themselves are the rows. The records must not change
    // between BeginSessions and SetSessions, nor after SetSessions until the next
    // BeginSessions.
    void BeginSessions();
    void SetSessions(const std::vector<TRSession>* sessions, TSessionListLayout layout);
    // True when the rows come in the statistic column's order, highest first, so that a sort by
    // that column has nothing to do.
    void SetStatisticOrdered(bool ordered) { statisticOrdered_ = ordered; }
    bool StatisticOrdered() const { return statisticOrdered_; }
    // The statistic column, or -1.
    int StatisticColumn() const;
    // The record a row shows, or null (rows of texts, a row out of range).
    const TRSession* Session(int row) const;

    // What a row shows, whichever the rows are.
    std::string Caption(int row) const;
    std::string Serial(int row) const;
    QString Text(int row, int column) const;
    // What Text gives, as the record holds it (UTF-8, nothing copied), for a row of the session
    // list and a column other than the statistic; nullopt for rows of texts and other columns.
    std::optional<std::string_view> RecordText(int row, int column) const;
    int Image(int row) const;
    double Statistic(int row) const; // NaN when blank
    bool Active(int row) const;
    bool User(int row) const;
    bool Changed(int row) const;
    bool Own(int row) const;
    // The fields the filter looks in, one per line (UTF-8).
    std::string SearchText(int row) const;
    // The longest of the rows' captions (the first of them).
    std::string LongestCaption() const;
    // The row of the session with this SID and serial#, or -1.
    int RowOfSession(std::string_view sid, std::string_view serial) const;
    // A copy of what a row shows.
    Row RowAt(int row) const;
    // A copy of every row (tests; a long session list is read row by row instead).
    std::vector<Row> RowsCopy() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
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
    // The session list has no rows of texts: a row is read with the functions above.
    using TListRowsModel::Rows;
    const Row* RowOfTexts(int row) const;

    const std::vector<TRSession>* sessions_ = nullptr; // null: rows of texts
    std::size_t sessionCount_ = 0;
    TSessionListLayout layout_;
    bool resetting_ = false;
    bool statisticOrdered_ = false;
    int selectedRow_ = -1;
    quint64 generation_ = 0;
};

} // namespace monitor
