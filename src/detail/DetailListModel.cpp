#include "detail/DetailListModel.h"

#include "monitor/SessionControl.h"
#include "monitor/WaitFigures.h"
#include "util/DateTimeText.h"

#include <QLocale>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <numeric>
#include <stdexcept>

namespace detail {

// ---- TDetailListModel ----

std::string TDetailListModel::Text(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0)
        return {};
    const Row& r = rows_[static_cast<std::size_t>(row)];
    if (column == 0)
        return r.caption;
    const auto sub = static_cast<std::size_t>(column - 1);
    return sub < r.subItems.size() ? r.subItems[sub] : std::string();
}

QVariant TDetailListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    return QString::fromStdString(Text(index.row(), index.column()));
}

void TDetailListModel::SetColumns(std::vector<Column> columns) {
    beginResetModel();
    columns_ = std::move(columns);
    endResetModel();
}

void TDetailListModel::SetColumnCaption(int column, const QString& caption) {
    if (column < 0 || column >= static_cast<int>(columns_.size()))
        return;
    auto& c = columns_[static_cast<std::size_t>(column)];
    if (c.caption == caption)
        return;
    c.caption = caption;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

void TDetailListModel::SetRows(std::vector<Row> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void TDetailListModel::AddRow(Row row) {
    InsertRow(static_cast<int>(rows_.size()), std::move(row));
}

void TDetailListModel::InsertRow(int position, Row row) {
    position = std::clamp(position, 0, static_cast<int>(rows_.size()));
    beginInsertRows(QModelIndex(), position, position);
    rows_.insert(rows_.begin() + position, std::move(row));
    endInsertRows();
}

void TDetailListModel::Clear() {
    if (rows_.empty())
        return;
    beginResetModel();
    rows_.clear();
    endResetModel();
}

// ---- sorting ----

bool ParseDetailNumber(const std::string& text, long double& value) {
    // The user's decimal separator becomes the C one; group separators are not accepted.
    const QChar point = QLocale().decimalPoint().at(0);
    std::string s;
    s.reserve(text.size());
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 128 && QChar(c) == point)
            s += '.';
        else if (c == '.' && point != QLatin1Char('.'))
            return false;
        else
            s += c;
    }
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return false;
    s = s.substr(first, s.find_last_not_of(' ') - first + 1);
    for (char c : s)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' ||
              c == 'e' || c == 'E'))
            return false;
    errno = 0;
    char* end = nullptr;
    const long double v = std::strtold(s.c_str(), &end);
    if (end != s.c_str() + s.size() || errno == ERANGE)
        return false;
    value = v;
    return true;
}

std::vector<int> DetailSortOrder(const TDetailListModel& list, int column, TDetailCompare rule,
                                 bool flag) {
    const int n = list.rowCount();
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    if (rule == TDetailCompare::Equal)
        return order;
    // Convert every cell first, so that a cell that does not convert stops the sort unchanged.
    std::vector<long double> keys(static_cast<std::size_t>(n));
    if (rule == TDetailCompare::Numeric || rule == TDetailCompare::DateTime ||
        rule == TDetailCompare::WaitTime)
        for (int r = 0; r < n; ++r) {
            const std::string text = list.Text(r, column);
            long double v = 0;
            if (rule == TDetailCompare::Numeric) {
                if (!ParseDetailNumber(text, v))
                    throw std::invalid_argument("'" + text +
                                                "' is not a valid floating point value");
            } else if (rule == TDetailCompare::WaitTime) {
                const auto seconds = monitor::ParseWaitTime(text);
                if (!seconds)
                    throw std::invalid_argument("'" + text + "' is not a valid wait time");
                v = *seconds;
            } else {
                const auto t = util::parseDateTime(text);
                if (!t)
                    throw std::invalid_argument("'" + text + "' is not a valid date and time");
                v = *t;
            }
            keys[static_cast<std::size_t>(r)] = v;
        }
    // Three-way compare in ascending order of the rule (TextReverse: descending).
    auto compare = [&](int a, int b) -> int {
        switch (rule) {
        case TDetailCompare::Text:
            return monitor::TextCompare(list.Text(a, column), list.Text(b, column));
        case TDetailCompare::TextReverse:
            return monitor::TextCompare(list.Text(b, column), list.Text(a, column));
        default: {
            const long double x = keys[static_cast<std::size_t>(a)];
            const long double y = keys[static_cast<std::size_t>(b)];
            return x < y ? -1 : x > y ? 1 : 0;
        }
        }
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = compare(a, b);
        return flag ? c < 0 : c > 0;
    });
    return order;
}

} // namespace detail
