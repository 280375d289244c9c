// The session list as the user narrows and orders it: a proxy over the session list model that
// keeps the sessions whose SID, user, schema, OS user, machine, program, module, status or SQL id
// contain the typed text (letter case ignored), optionally only the active ones and only the user
// sessions, and sorts by a column under the column's own order (numbers as numbers, dates as
// dates). Local only: nothing is read from the instance. The proxy keeps the shown rows as a list
// of the model's rows: a sort places the rows by their keys' ranks and a filter goes through them
// once, so that neither compares rows pair by pair. Qt Core; user-interface thread only.
#pragma once

#include "monitor/SessionListModel.h"

#include <QAbstractProxyModel>
#include <QString>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace monitor {

class TSessionFilterModel final : public QAbstractProxyModel {
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
    // Rows of equal keys keep the model's order, both ways. The selection and the other
    // persistent indexes follow their rows.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    // The column the rows are sorted by: -1 while the rows' own order is the sort asked for.
    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return requestedOrder_; }
    // The sort asked for (sortColumn() is -1 while the rows' own order is that sort).
    int RequestedSortColumn() const { return requestedColumn_; }
    Qt::SortOrder RequestedSortOrder() const { return requestedOrder_; }

    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    // The filter changed (text or toggles).
    void filterChanged();

private:
    bool Accepts(int sourceRow) const;
    // The rows in the sort's order (order_) and those of them the filter keeps (shown_, rowOf_),
    // under the source's current rows.
    void MakeOrder();
    void MakeShown();
    // Runs `change` between the layout signals, the persistent indexes following their rows
    // (those of rows no longer shown become invalid).
    template <class Change>
    void Relayout(QAbstractItemModel::LayoutChangeHint hint, Change change);
    void Apply();
    void ApplySort();
    // The rows' search texts in lower case, made when a text is first searched for under the
    // source's current rows.
    const std::vector<std::string>& LoweredTexts() const;
    // The rank of each row's key in the column's order, under the source's current rows.
    void PrepareSortKeys(int column) const;
    TSessionListModel& source_;
    int requestedColumn_ = -1;
    Qt::SortOrder requestedOrder_ = Qt::AscendingOrder;
    int sortColumn_ = -1;
    QString text_, needle_;
    bool activeOnly_ = false;
    bool userOnly_ = false;
    std::string needleUtf8_;
    std::vector<int> order_; // the source's rows in the sort's order
    std::vector<int> shown_; // this model's rows: the source rows kept, in the sort's order
    std::vector<int> rowOf_; // per source row, its row here or -1
    // Source persistent indexes of this model's persistent ones across a source layout change.
    QList<QPersistentModelIndex> sourceLayoutIndexes_;
    QModelIndexList layoutIndexes_;
    mutable std::vector<std::string> lowered_; // rows of texts only; records have their own
    mutable quint64 loweredGeneration_ = 0;
    mutable bool loweredMade_ = false;
    struct SortKeys {
        int column = -1;
        quint64 generation = 0;
        // Each row's place in the column's order, rows of equal keys sharing one; ranks run
        // from 0 to count - 1 without gaps.
        std::vector<int> ranks;
        int count = 0;
    };
    mutable SortKeys keys_;
    // The sorts' work space, kept from one sort to the next (and its ranks with keys_): fresh
    // memory of that size costs more to touch than the sort itself.
    struct SortScratch {
        std::vector<std::pair<std::uint64_t, std::uint32_t>> items, other;
        std::vector<std::uint32_t> digits;
        std::vector<int> ids, counts;
    };
    mutable SortScratch scratch_;
};

} // namespace monitor
