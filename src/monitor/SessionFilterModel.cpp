#include "monitor/SessionFilterModel.h"

#include <QHash>
#include <cmath>
#include <limits>
#include <numeric>

namespace monitor {

TSessionFilterModel::TSessionFilterModel(TSessionListModel& source, QObject* parent)
    : QSortFilterProxyModel(parent), source_(source) {
    setSourceModel(&source);
    setSortRole(TSessionListModel::SortKeyRole);
    setDynamicSortFilter(true);
    // What was made for the rows before goes with them.
    connect(&source, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        std::vector<std::string>().swap(lowered_);
        loweredMade_ = false;
        keys_ = SortKeys{};
    });
    // New columns may put the statistic elsewhere.
    connect(&source, &QAbstractItemModel::modelReset, this, [this] {
        if (requestedColumn_ >= 0)
            ApplySort();
    });
}

void TSessionFilterModel::SetText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    needle_ = text.trimmed().toLower();
    needleUtf8_ = needle_.toStdString();
    Apply();
}

void TSessionFilterModel::SetActiveOnly(bool on) {
    if (on == activeOnly_)
        return;
    activeOnly_ = on;
    Apply();
}

void TSessionFilterModel::SetUserOnly(bool on) {
    if (on == userOnly_)
        return;
    userOnly_ = on;
    Apply();
}

void TSessionFilterModel::Apply() {
    // The rows are filtered again as a whole: Qt's row-by-row account of what a new filter
    // removed and inserted takes a long time over tens of thousands of rows.
    invalidate();
    Q_EMIT filterChanged();
}

std::string TSessionFilterModel::CountText() const {
    const int all = source_.rowCount();
    const std::string noun = all == 1 ? " session" : " sessions";
    if (!Filtering())
        return std::to_string(all) + noun;
    return std::to_string(rowCount()) + " of " + std::to_string(all) + noun;
}

int TSessionFilterModel::SourceRow(int row) const {
    const QModelIndex index = mapToSource(this->index(row, 0));
    return index.isValid() ? index.row() : -1;
}

int TSessionFilterModel::ProxyRow(int sourceRow) const {
    const QModelIndex index = mapFromSource(source_.index(sourceRow, 0));
    return index.isValid() ? index.row() : -1;
}

void TSessionFilterModel::sort(int column, Qt::SortOrder order) {
    requestedColumn_ = column;
    requestedOrder_ = order;
    ApplySort();
}

void TSessionFilterModel::ApplySort() {
    const bool rowsOrder = source_.StatisticOrdered() && requestedColumn_ >= 0 &&
                           requestedColumn_ == source_.StatisticColumn() &&
                           requestedOrder_ == Qt::DescendingOrder;
    QSortFilterProxyModel::sort(rowsOrder ? -1 : requestedColumn_, requestedOrder_);
}

const std::vector<std::string>& TSessionFilterModel::LoweredTexts() const {
    if (!loweredMade_ || loweredGeneration_ != source_.Generation()) {
        const int rows = source_.rowCount();
        lowered_.clear();
        lowered_.reserve(static_cast<std::size_t>(rows));
        for (int row = 0; row < rows; ++row)
            lowered_.push_back(
                source_.Session(row)
                    ? std::string()
                    : QString::fromStdString(source_.SearchText(row)).toLower().toStdString());
        loweredGeneration_ = source_.Generation();
        loweredMade_ = true;
    }
    return lowered_;
}

void TSessionFilterModel::PrepareSortKeys(int column) const {
    if (keys_.column == column && keys_.generation == source_.Generation() &&
        keys_.ranks.size() == static_cast<std::size_t>(source_.rowCount()))
        return;
    const auto rows = static_cast<std::size_t>(source_.rowCount());
    keys_.column = column;
    keys_.generation = source_.Generation();
    // Numbers come first, in their order; then the case-folded texts, each distinct text
    // sorted once (a column such as the machine holds few of them over many rows).
    std::vector<std::pair<double, std::size_t>> numbers;
    std::vector<int> textOf(rows, -1);
    QHash<QString, int> textIds;
    std::vector<QString> distinct;
    for (std::size_t r = 0; r < rows; ++r) {
        const QVariant key = source_.index(static_cast<int>(r), column).data(sortRole());
        if (key.typeId() == QMetaType::Double) {
            const double number = key.toDouble();
            numbers.emplace_back(
                std::isnan(number) ? -std::numeric_limits<double>::infinity() : number, r);
            continue;
        }
        QString text = key.toString().toCaseFolded();
        const auto found = textIds.constFind(text);
        if (found != textIds.constEnd()) {
            textOf[r] = *found;
            continue;
        }
        textOf[r] = static_cast<int>(distinct.size());
        textIds.insert(text, textOf[r]);
        distinct.push_back(std::move(text));
    }
    keys_.ranks.assign(rows, 0);
    int rank = 0;
    std::sort(numbers.begin(), numbers.end());
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0 && numbers[i - 1].first < numbers[i].first)
            ++rank;
        keys_.ranks[numbers[i].second] = rank;
    }
    std::vector<int> order(distinct.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return distinct[static_cast<std::size_t>(a)] < distinct[static_cast<std::size_t>(b)];
    });
    std::vector<int> textRank(distinct.size());
    for (const int id : order)
        textRank[static_cast<std::size_t>(id)] = ++rank;
    for (std::size_t r = 0; r < rows; ++r)
        if (textOf[r] >= 0)
            keys_.ranks[r] = textRank[static_cast<std::size_t>(textOf[r])];
}

bool TSessionFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (sourceParent.isValid() || sourceRow < 0 || sourceRow >= source_.rowCount())
        return false;
    if (activeOnly_ && !source_.Active(sourceRow))
        return false;
    if (userOnly_ && !source_.User(sourceRow))
        return false;
    if (needle_.isEmpty())
        return true;
    // Lower-case UTF-8 texts: a text holds the needle's bytes where it holds its characters.
    if (const TRSession* s = source_.Session(sourceRow))
        return s->searchText.find(needleUtf8_) != std::string::npos;
    const std::vector<std::string>& lowered = LoweredTexts();
    return static_cast<std::size_t>(sourceRow) < lowered.size() &&
           lowered[static_cast<std::size_t>(sourceRow)].find(needleUtf8_) != std::string::npos;
}

bool TSessionFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    if (left.model() != &source_ || right.model() != &source_ || left.column() != right.column())
        return QSortFilterProxyModel::lessThan(left, right);
    PrepareSortKeys(left.column());
    const auto a = static_cast<std::size_t>(left.row()), b = static_cast<std::size_t>(right.row());
    if (a >= keys_.ranks.size() || b >= keys_.ranks.size())
        return false;
    return keys_.ranks[a] < keys_.ranks[b];
}

} // namespace monitor
