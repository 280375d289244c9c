#include "monitor/SessionListModel.h"

#include "monitor/SessionRates.h"
#include "util/DateTimeText.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace monitor {

namespace {

// The SID stays left-aligned next to its image; other numbers line up on the right.
bool rightAligned(const std::vector<TListColumn>& columns, int column) {
    if (column <= 0 || column >= static_cast<int>(columns.size()))
        return false;
    const TColumnOrder order = columns[static_cast<std::size_t>(column)].order;
    return order == TColumnOrder::Integer || order == TColumnOrder::Statistic;
}

QString utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

int TSessionListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return static_cast<int>(sessions_ ? sessionCount_ : rows_.size());
}

int TSessionListModel::StatisticColumn() const {
    for (std::size_t c = 0; c < columns_.size(); ++c)
        if (columns_[c].order == TColumnOrder::Statistic)
            return static_cast<int>(c);
    return -1;
}

const TRSession* TSessionListModel::Session(int row) const {
    if (!sessions_ || row < 0 || static_cast<std::size_t>(row) >= sessionCount_ ||
        static_cast<std::size_t>(row) >= sessions_->size())
        return nullptr;
    return &(*sessions_)[static_cast<std::size_t>(row)];
}

const TSessionListModel::Row* TSessionListModel::RowOfTexts(int row) const {
    if (sessions_ || row < 0 || static_cast<std::size_t>(row) >= rows_.size())
        return nullptr;
    return &rows_[static_cast<std::size_t>(row)];
}

std::string TSessionListModel::Caption(int row) const {
    if (const TRSession* s = Session(row))
        return std::string(s->Key());
    const Row* r = RowOfTexts(row);
    return r ? r->caption : std::string();
}

std::string TSessionListModel::Serial(int row) const {
    if (const TRSession* s = Session(row))
        return std::string(s->basic.fields[bfSerial]);
    const Row* r = RowOfTexts(row);
    return r ? r->serial : std::string();
}

std::optional<std::string_view> TSessionListModel::RecordText(int row, int column) const {
    const TRSession* s = Session(row);
    if (!s)
        return std::nullopt;
    if (column == 0)
        return s->Key();
    const auto sub = static_cast<std::size_t>(column - 1);
    if (column < 0 || sub >= layout_.fields.size() || layout_.fields[sub] < 0)
        return std::nullopt;
    const int field = layout_.fields[sub];
    const std::string_view text = s->basic.fields[static_cast<std::size_t>(field)];
    if (field == bfCommand) {
        const auto it = layout_.commandNames.find(std::string(text));
        return it == layout_.commandNames.end() ? std::string_view() : it->second;
    }
    return text;
}

QString TSessionListModel::Text(int row, int column) const {
    if (const TRSession* s = Session(row)) {
        if (column == 0)
            return utf8(s->Key());
        const auto sub = static_cast<std::size_t>(column - 1);
        if (column < 0 || sub >= layout_.fields.size())
            return {};
        const int field = layout_.fields[sub];
        if (field < 0) {
            if (!layout_.showRate)
                return utf8(s->basic.fields[bfSortField]);
            return std::isnan(s->sortRate) ? QString() : QLocale().toString(s->sortRate, 'f', 1);
        }
        const std::string_view text = s->basic.fields[static_cast<std::size_t>(field)];
        if (field == bfCommand) {
            const auto it = layout_.commandNames.find(std::string(text));
            return it == layout_.commandNames.end() ? QString()
                                                    : QString::fromStdString(it->second);
        }
        return utf8(text);
    }
    const Row* r = RowOfTexts(row);
    if (!r)
        return {};
    if (column == 0)
        return QString::fromStdString(r->caption);
    const auto sub = static_cast<std::size_t>(column - 1);
    return column > 0 && sub < r->subItems.size() ? QString::fromStdString(r->subItems[sub])
                                                  : QString();
}

int TSessionListModel::Image(int row) const {
    if (const TRSession* s = Session(row))
        return s->Marked(smKilled)     ? kImageKilled
               : s->Marked(smLockWait) ? kImageLockWait
               : s->Marked(smBlocker)  ? kImageBlocker
                                       : -1;
    const Row* r = RowOfTexts(row);
    return r ? r->image : -1;
}

double TSessionListModel::Statistic(int row) const {
    if (const TRSession* s = Session(row))
        return layout_.showRate ? s->sortRate : StatisticValue(s->basic.fields[bfSortField]);
    const Row* r = RowOfTexts(row);
    return r ? r->statistic : std::numeric_limits<double>::quiet_NaN();
}

bool TSessionListModel::Active(int row) const {
    if (const TRSession* s = Session(row))
        return s->Marked(smActive);
    const Row* r = RowOfTexts(row);
    return r && r->active;
}

bool TSessionListModel::User(int row) const {
    if (const TRSession* s = Session(row))
        return s->Marked(smUser);
    const Row* r = RowOfTexts(row);
    return !r || r->user;
}

bool TSessionListModel::Changed(int row) const {
    if (const TRSession* s = Session(row))
        return s->changed;
    const Row* r = RowOfTexts(row);
    return r && r->changed;
}

bool TSessionListModel::Own(int row) const {
    if (const TRSession* s = Session(row))
        return !layout_.ownSid.empty() && s->Key() == layout_.ownSid;
    const Row* r = RowOfTexts(row);
    return r && r->own;
}

std::string TSessionListModel::SearchText(int row) const {
    if (const TRSession* s = Session(row))
        return SearchedFieldsText(s->basic.fields);
    const Row* r = RowOfTexts(row);
    return r ? r->searchText : std::string();
}

TSessionListModel::Row TSessionListModel::RowAt(int row) const {
    if (const Row* r = RowOfTexts(row))
        return *r;
    Row copy;
    if (!Session(row))
        return copy;
    copy.caption = Caption(row);
    for (int c = 1; c < columnCount(); ++c)
        copy.subItems.push_back(Text(row, c).toStdString());
    copy.image = Image(row);
    copy.serial = Serial(row);
    copy.statistic = Statistic(row);
    copy.searchText = SearchText(row);
    copy.active = Active(row);
    copy.user = User(row);
    copy.changed = Changed(row);
    copy.own = Own(row);
    return copy;
}

std::string TSessionListModel::LongestCaption() const {
    std::string_view longest;
    for (int row = 0; row < rowCount(); ++row) {
        const TRSession* s = Session(row);
        const Row* r = s ? nullptr : RowOfTexts(row);
        const std::string_view caption = s ? s->Key() : r ? std::string_view(r->caption) : "";
        if (caption.size() > longest.size())
            longest = caption;
    }
    return std::string(longest);
}

int TSessionListModel::RowOfSession(std::string_view sid, std::string_view serial) const {
    for (int row = 0; row < rowCount(); ++row) {
        if (const TRSession* s = Session(row)) {
            if (s->Key() == sid && s->basic.fields[bfSerial] == serial)
                return row;
        } else if (const Row* r = RowOfTexts(row); r && r->caption == sid && r->serial == serial) {
            return row;
        }
    }
    return -1;
}

std::vector<TSessionListModel::Row> TSessionListModel::RowsCopy() const {
    std::vector<Row> rows;
    rows.reserve(static_cast<std::size_t>(rowCount()));
    for (int row = 0; row < rowCount(); ++row)
        rows.push_back(RowAt(row));
    return rows;
}

QVariant TSessionListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::TextAlignmentRole && orientation == Qt::Horizontal &&
        rightAligned(columns_, section))
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return TListRowsModel::headerData(section, orientation, role);
}

QVariant TSessionListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
        return Text(row, index.column());
    case Qt::TextAlignmentRole:
        if (rightAligned(columns_, index.column()))
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return {};
    case ImageIndexRole:
        return index.column() == 0 ? QVariant(Image(row)) : QVariant();
    case ChangedRole:
        return Changed(row);
    case OwnRole:
        return Own(row);
    case SerialRole:
        return QString::fromStdString(Serial(row));
    case SortKeyRole: {
        const auto column = static_cast<std::size_t>(index.column());
        switch (column < columns_.size() ? columns_[column].order : TColumnOrder::Text) {
        case TColumnOrder::Integer: {
            bool ok = false;
            const double value = Text(row, index.column()).toDouble(&ok);
            return ok ? value : -std::numeric_limits<double>::infinity();
        }
        case TColumnOrder::DateTime: {
            const auto value = util::parseDateTime(Text(row, index.column()).toStdString());
            return value ? *value : -std::numeric_limits<double>::infinity();
        }
        case TColumnOrder::Statistic: {
            const double value = Statistic(row);
            return std::isnan(value) ? -std::numeric_limits<double>::infinity() : value;
        }
        case TColumnOrder::Text:
            break;
        }
        return Text(row, index.column());
    }
    default:
        return {};
    }
}

void TSessionListModel::SetColumns(std::vector<Column> columns) {
    beginResetModel();
    columns_ = std::move(columns);
    rows_.clear();
    sessions_ = nullptr;
    sessionCount_ = 0;
    selectedRow_ = -1;
    ++generation_;
    endResetModel();
}

void TSessionListModel::SetRows(std::vector<Row> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    sessions_ = nullptr;
    sessionCount_ = 0;
    selectedRow_ = -1;
    ++generation_;
    endResetModel();
}

void TSessionListModel::BeginSessions() {
    if (resetting_)
        return;
    beginResetModel();
    resetting_ = true;
}

void TSessionListModel::SetSessions(const std::vector<TRSession>* sessions,
                                    TSessionListLayout layout) {
    BeginSessions();
    rows_.clear();
    sessions_ = sessions;
    sessionCount_ = sessions ? sessions->size() : 0;
    layout_ = std::move(layout);
    selectedRow_ = -1;
    ++generation_;
    resetting_ = false;
    endResetModel();
}

void TSessionListModel::SetSelectedRow(int row) {
    selectedRow_ = row;
    if (row >= 0)
        Q_EMIT selectionRequested(row);
}

} // namespace monitor
