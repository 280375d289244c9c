#include "monitor/SessionFilterModel.h"

#include "util/DateTimeText.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace monitor {

TSessionFilterModel::TSessionFilterModel(TSessionListModel& source, QObject* parent)
    : QAbstractProxyModel(parent), source_(source) {
    setSourceModel(&source);
    // New rows or columns: what was made for the rows before goes with them, and the rows are
    // sorted and filtered again (new columns may put the statistic elsewhere).
    const auto beginReset = [this] {
        beginResetModel();
        std::vector<std::string>().swap(lowered_);
        loweredMade_ = false;
        keys_.column = -1;
    };
    const auto endReset = [this] {
        MakeOrder();
        MakeShown();
        endResetModel();
    };
    connect(&source, &QAbstractItemModel::modelAboutToBeReset, this, beginReset);
    connect(&source, &QAbstractItemModel::modelReset, this, endReset);
    for (const auto about :
         {&QAbstractItemModel::rowsAboutToBeInserted, &QAbstractItemModel::rowsAboutToBeRemoved,
          &QAbstractItemModel::columnsAboutToBeInserted,
          &QAbstractItemModel::columnsAboutToBeRemoved})
        connect(&source, about, this, beginReset);
    for (const auto done :
         {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved,
          &QAbstractItemModel::columnsInserted, &QAbstractItemModel::columnsRemoved})
        connect(&source, done, this, endReset);
    // Rows reordered in the source: sorted and filtered again, the persistent indexes kept
    // through the source's own.
    connect(&source, &QAbstractItemModel::layoutAboutToBeChanged, this, [this] {
        Q_EMIT layoutAboutToBeChanged();
        layoutIndexes_ = persistentIndexList();
        sourceLayoutIndexes_.clear();
        for (const QModelIndex& index : std::as_const(layoutIndexes_))
            sourceLayoutIndexes_.append(mapToSource(index));
    });
    connect(&source, &QAbstractItemModel::layoutChanged, this, [this] {
        keys_.column = -1;
        loweredMade_ = false;
        MakeOrder();
        MakeShown();
        QModelIndexList after;
        for (const QPersistentModelIndex& index : std::as_const(sourceLayoutIndexes_))
            after.append(mapFromSource(index));
        changePersistentIndexList(layoutIndexes_, after);
        layoutIndexes_.clear();
        sourceLayoutIndexes_.clear();
        Q_EMIT layoutChanged();
    });
    connect(&source, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight,
                   const QList<int>& roles) {
                if (!shown_.empty())
                    Q_EMIT dataChanged(
                        index(0, topLeft.column()),
                        index(static_cast<int>(shown_.size()) - 1, bottomRight.column()), roles);
            });
    connect(&source, &QAbstractItemModel::headerDataChanged, this,
            &QAbstractItemModel::headerDataChanged);
    MakeOrder();
    MakeShown();
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
    // The rows are filtered again as a whole: a row-by-row account of what a new filter
    // removed and inserted takes a long time over tens of thousands of rows.
    Relayout(QAbstractItemModel::NoLayoutChangeHint, [this] { MakeShown(); });
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
    return row >= 0 && static_cast<std::size_t>(row) < shown_.size()
               ? shown_[static_cast<std::size_t>(row)]
               : -1;
}

int TSessionFilterModel::ProxyRow(int sourceRow) const {
    return sourceRow >= 0 && static_cast<std::size_t>(sourceRow) < rowOf_.size()
               ? rowOf_[static_cast<std::size_t>(sourceRow)]
               : -1;
}

QModelIndex TSessionFilterModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || static_cast<std::size_t>(row) >= shown_.size() ||
        column < 0 || column >= source_.columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex TSessionFilterModel::parent(const QModelIndex&) const {
    return {};
}

QModelIndex TSessionFilterModel::sibling(int row, int column, const QModelIndex&) const {
    return index(row, column);
}

int TSessionFilterModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int TSessionFilterModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : source_.columnCount();
}

bool TSessionFilterModel::hasChildren(const QModelIndex& parent) const {
    return !parent.isValid() && !shown_.empty();
}

QModelIndex TSessionFilterModel::mapToSource(const QModelIndex& proxyIndex) const {
    if (!proxyIndex.isValid() || proxyIndex.model() != this)
        return {};
    const int row = SourceRow(proxyIndex.row());
    return row < 0 ? QModelIndex() : source_.index(row, proxyIndex.column());
}

QModelIndex TSessionFilterModel::mapFromSource(const QModelIndex& sourceIndex) const {
    if (!sourceIndex.isValid() || sourceIndex.model() != &source_)
        return {};
    const int row = ProxyRow(sourceIndex.row());
    return row < 0 ? QModelIndex() : index(row, sourceIndex.column());
}

QVariant TSessionFilterModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        const int row = SourceRow(section);
        return row < 0 ? QVariant() : source_.headerData(row, orientation, role);
    }
    return source_.headerData(section, orientation, role);
}

template <class Change>
void TSessionFilterModel::Relayout(QAbstractItemModel::LayoutChangeHint hint, Change change) {
    Q_EMIT layoutAboutToBeChanged({}, hint);
    // After the signal: the proxies and views above make theirs while it is sent.
    const QModelIndexList before = persistentIndexList();
    std::vector<int> sourceRows;
    sourceRows.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before)
        sourceRows.push_back(SourceRow(index.row()));
    change();
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int row = ProxyRow(sourceRows[static_cast<std::size_t>(i)]);
        after.append(row < 0 ? QModelIndex() : index(row, before[i].column()));
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, hint);
}

void TSessionFilterModel::sort(int column, Qt::SortOrder order) {
    requestedColumn_ = column;
    requestedOrder_ = order;
    ApplySort();
}

void TSessionFilterModel::ApplySort() {
    Relayout(QAbstractItemModel::VerticalSortHint, [this] {
        MakeOrder();
        MakeShown();
    });
}

void TSessionFilterModel::MakeOrder() {
    const bool rowsOrder = source_.StatisticOrdered() && requestedColumn_ >= 0 &&
                           requestedColumn_ == source_.StatisticColumn() &&
                           requestedOrder_ == Qt::DescendingOrder;
    sortColumn_ = rowsOrder || requestedColumn_ >= source_.columnCount() ? -1 : requestedColumn_;
    const auto rows = static_cast<std::size_t>(source_.rowCount());
    order_.resize(rows);
    if (sortColumn_ < 0) {
        std::iota(order_.begin(), order_.end(), 0);
        return;
    }
    // A counting sort by rank: each rank's rows in the source's order, the ranks ascending or
    // descending.
    PrepareSortKeys(sortColumn_);
    const std::vector<int>& ranks = keys_.ranks;
    std::vector<int>& start = scratch_.counts;
    start.assign(static_cast<std::size_t>(keys_.count) + 1, 0);
    for (const int rank : ranks)
        ++start[static_cast<std::size_t>(
                    requestedOrder_ == Qt::AscendingOrder ? rank : keys_.count - 1 - rank) +
                1];
    for (std::size_t i = 1; i < start.size(); ++i)
        start[i] += start[i - 1];
    for (std::size_t r = 0; r < rows; ++r) {
        const int rank =
            requestedOrder_ == Qt::AscendingOrder ? ranks[r] : keys_.count - 1 - ranks[r];
        order_[static_cast<std::size_t>(start[static_cast<std::size_t>(rank)]++)] =
            static_cast<int>(r);
    }
}

void TSessionFilterModel::MakeShown() {
    const bool all = !Filtering();
    shown_.clear();
    shown_.reserve(order_.size());
    rowOf_.assign(order_.size(), -1);
    for (const int row : order_)
        if (all || Accepts(row)) {
            rowOf_[static_cast<std::size_t>(row)] = static_cast<int>(shown_.size());
            shown_.push_back(row);
        }
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

namespace {

// The number of a cell of a numeric column as a sort compares it: blank or not a number lowest.
double IntegerKey(const TSessionListModel& source, int row, int column) {
    constexpr double lowest = -std::numeric_limits<double>::infinity();
    if (const std::optional<std::string_view> text = source.RecordText(row, column)) {
        // Numbers as the instance writes them are read in place, whole numbers first (the
        // quickest); anything else (spaces, a sign) goes through QString as before.
        if (text->empty())
            return lowest;
        const char* end = text->data() + text->size();
        std::int64_t whole = 0;
        if (const auto parsed = std::from_chars(text->data(), end, whole);
            parsed.ec == std::errc() && parsed.ptr == end)
            return static_cast<double>(whole);
        double value = 0;
        if (const auto parsed = std::from_chars(text->data(), end, value);
            parsed.ec == std::errc() && parsed.ptr == end && !std::isnan(value))
            return value;
    }
    bool ok = false;
    const double value = source.Text(row, column).toDouble(&ok);
    return ok && !std::isnan(value) ? value : lowest;
}

// A number's bits as an unsigned number of the same order (zero's two signs alike).
std::uint64_t OrderedBits(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value == 0 ? 0.0 : value);
    constexpr std::uint64_t sign = std::uint64_t{1} << 63;
    return bits & sign ? ~bits : bits | sign;
}

// Sorts (key, row) pairs by key, equal keys in row order: a radix sort by 16 bits at a time,
// skipping the digits that all keys share (the high bits of small whole numbers).
void SortByKey(std::vector<std::pair<std::uint64_t, std::uint32_t>>& items,
               std::vector<std::pair<std::uint64_t, std::uint32_t>>& other,
               std::vector<std::uint32_t>& start) {
    other.resize(items.size());
    start.resize(65537);
    for (int shift = 0; shift < 64; shift += 16) {
        std::fill(start.begin(), start.end(), 0);
        for (const auto& item : items)
            ++start[((item.first >> shift) & 0xffff) + 1];
        if (std::find(start.begin(), start.end(), items.size()) != start.end())
            continue;
        for (std::size_t i = 1; i < start.size(); ++i)
            start[i] += start[i - 1];
        for (const auto& item : items)
            other[start[(item.first >> shift) & 0xffff]++] = item;
        items.swap(other);
    }
}

// The key of a text under which texts compare with letter case ignored: Unicode case folding,
// ASCII texts folded in place.
bool FoldAscii(std::string_view text, std::string& folded) {
    folded.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80)
            return false;
        folded[i] = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return true;
}

// Gives each distinct key a rank in the keys' order (equal keys one rank, ranks from 0 without
// gaps); returns the number of ranks.
template <class Key>
int RankDistinct(const std::vector<Key>& keys, std::vector<int>& rankOf) {
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return keys[static_cast<std::size_t>(a)] < keys[static_cast<std::size_t>(b)];
    });
    rankOf.assign(keys.size(), 0);
    int rank = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const auto id = static_cast<std::size_t>(order[i]);
        if (i > 0 && keys[static_cast<std::size_t>(order[i - 1])] < keys[id])
            ++rank;
        rankOf[id] = rank;
    }
    return keys.empty() ? 0 : rank + 1;
}

} // namespace

void TSessionFilterModel::PrepareSortKeys(int column) const {
    const auto rows = static_cast<std::size_t>(source_.rowCount());
    if (keys_.column == column && keys_.generation == source_.Generation() &&
        keys_.ranks.size() == rows)
        return;
    keys_.column = column;
    keys_.generation = source_.Generation();
    keys_.ranks.assign(rows, 0);
    keys_.count = 0;
    const auto& columns = source_.Columns();
    const TColumnOrder columnOrder =
        column >= 0 && static_cast<std::size_t>(column) < columns.size()
            ? columns[static_cast<std::size_t>(column)].order
            : TColumnOrder::Text;
    constexpr double lowest = -std::numeric_limits<double>::infinity();
    if (columnOrder != TColumnOrder::Text) {
        // Numbers (dates as numbers), blank or unreadable lowest. A date column's distinct texts
        // are read once.
        auto& numbers = scratch_.items;
        numbers.resize(rows);
        std::unordered_map<std::string_view, double> dates;
        for (std::size_t r = 0; r < rows; ++r) {
            const int row = static_cast<int>(r);
            double value = lowest;
            switch (columnOrder) {
            case TColumnOrder::Integer:
                value = IntegerKey(source_, row, column);
                break;
            case TColumnOrder::DateTime: {
                const std::optional<std::string_view> text = source_.RecordText(row, column);
                if (!text) {
                    value = util::parseDateTime(source_.Text(row, column).toStdString())
                                .value_or(lowest);
                    break;
                }
                const auto found = dates.find(*text);
                if (found != dates.end()) {
                    value = found->second;
                    break;
                }
                value = util::parseDateTime(*text).value_or(lowest);
                dates.emplace(*text, value);
                break;
            }
            case TColumnOrder::Statistic:
                value = source_.Statistic(row);
                break;
            case TColumnOrder::Text:
                break;
            }
            numbers[r] = {OrderedBits(std::isnan(value) ? lowest : value),
                          static_cast<std::uint32_t>(r)};
        }
        SortByKey(numbers, scratch_.other, scratch_.digits);
        int rank = 0;
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            if (i > 0 && numbers[i - 1].first < numbers[i].first)
                ++rank;
            keys_.ranks[numbers[i].second] = rank;
        }
        keys_.count = rows == 0 ? 0 : rank + 1;
        return;
    }
    // Texts, letter case ignored: each distinct text is folded and sorted once (a column such
    // as the machine holds few of them over many rows). Rows of texts have their texts made.
    std::vector<std::string> made;
    if (rows > 0 && !source_.RecordText(0, column)) {
        made.reserve(rows);
        for (std::size_t r = 0; r < rows; ++r)
            made.push_back(source_.Text(static_cast<int>(r), column).toStdString());
    }
    std::unordered_map<std::string_view, int> ids;
    std::vector<std::string_view> distinct;
    std::vector<int>& idOf = scratch_.ids;
    idOf.resize(rows);
    for (std::size_t r = 0; r < rows; ++r) {
        const std::string_view text =
            made.empty() ? source_.RecordText(static_cast<int>(r), column).value_or("")
                         : std::string_view(made[r]);
        const auto [found, added] = ids.try_emplace(text, static_cast<int>(distinct.size()));
        if (added)
            distinct.push_back(text);
        idOf[r] = found->second;
    }
    // ASCII texts compare as their folded bytes; with any other text among them, all compare
    // as folded UTF-16 texts, the order QString gives.
    std::vector<std::string> folded(distinct.size());
    bool ascii = true;
    for (std::size_t i = 0; i < distinct.size() && ascii; ++i)
        ascii = FoldAscii(distinct[i], folded[i]);
    std::vector<int> rankOf;
    if (ascii) {
        keys_.count = RankDistinct(folded, rankOf);
    } else {
        std::vector<QString> keys;
        keys.reserve(distinct.size());
        for (const std::string_view text : distinct)
            keys.push_back(
                QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toCaseFolded());
        keys_.count = RankDistinct(keys, rankOf);
    }
    for (std::size_t r = 0; r < rows; ++r)
        keys_.ranks[r] = rankOf[static_cast<std::size_t>(idOf[r])];
}

bool TSessionFilterModel::Accepts(int sourceRow) const {
    if (sourceRow < 0 || sourceRow >= source_.rowCount())
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

} // namespace monitor
