// The session list as the user narrows and orders it: a sort and filter proxy over the session
// list model that keeps the sessions whose SID, user, schema, OS user, machine, program, module,
// status or SQL id contain the typed text (letter case ignored), optionally only the active ones
// and only the user sessions, and sorts by a column under the column's own order (numbers as
// numbers, dates as dates). Local only: nothing is read from the instance. Qt Core; user-interface
// thread only.
#pragma once

#include "monitor/SessionListModel.h"

#include <QSortFilterProxyModel>
#include <QString>
#include <initializer_list>
#include <string>
#include <vector>

namespace monitor {

class TSessionFilterModel final : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit TSessionFilterModel(TSessionListModel& source, QObject* parent = nullptr);

    void SetText(const QString& text);
    QString Text() const { return text_; }
    void SetActiveOnly(bool on);
    bool ActiveOnly() const { return activeOnly_; }
    void SetUserOnly(bool on);
    bool UserOnly() const { return userOnly_; }
    // True while the text or a toggle narrows the list.
    bool Filtering() const { return !needle_.isEmpty() || activeOnly_ || userOnly_; }
    // "12 sessions", or "3 of 12 sessions" while filtering.
    std::string CountText() const;

    // The session list model's row of a row of this model, or -1.
    int SourceRow(int row) const;
    // This model's row of a session list row, or -1 when the row is filtered out.
    int ProxyRow(int sourceRow) const;

    // Sorts by a column. The statistic column, highest first, is the order the session list's
    // rows come in: that sort leaves them so instead of sorting them again at every refresh.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    // The sort asked for (sortColumn() is -1 while the rows' own order is that sort).
    int RequestedSortColumn() const { return requestedColumn_; }
    Qt::SortOrder RequestedSortOrder() const { return requestedOrder_; }

Q_SIGNALS:
    // The filter changed (text or toggles).
    void filterChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    void Apply();
    // The rows' search texts in lower case, made when a text is first searched for under the
    // source's current rows.
    const std::vector<std::string>& LoweredTexts() const;
    // The sort keys of one column under the source's current rows, so that a sort compares
    // ready values instead of converting both sides at every comparison.
    void PrepareSortKeys(int column) const;
    void ApplySort();
    TSessionListModel& source_;
    int requestedColumn_ = -1;
    Qt::SortOrder requestedOrder_ = Qt::AscendingOrder;
    QString text_, needle_;
    bool activeOnly_ = false;
    bool userOnly_ = false;
    std::string needleUtf8_;
    mutable std::vector<std::string> lowered_; // rows of texts only; records have their own
    mutable quint64 loweredGeneration_ = 0;
    mutable bool loweredMade_ = false;
    struct SortKeys {
        int column = -1;
        quint64 generation = 0;
        // Each row's place in the column's order, rows of equal keys sharing one: a sort
        // compares two numbers instead of two keys.
        std::vector<int> ranks;
    };
    mutable SortKeys keys_;
};

} // namespace monitor
