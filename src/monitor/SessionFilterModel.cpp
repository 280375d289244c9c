#include "monitor/SessionFilterModel.h"

namespace monitor {

TSessionFilterModel::TSessionFilterModel(TSessionListModel& source, QObject* parent)
    : QSortFilterProxyModel(parent), source_(source) {
    setSourceModel(&source);
    setSortRole(TSessionListModel::SortKeyRole);
    setDynamicSortFilter(true);
}

void TSessionFilterModel::SetText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    needle_ = text.trimmed().toLower();
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
    invalidateFilter();
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

QString TSessionFilterModel::SearchText(const std::vector<std::string>& fields) {
    QString text;
    for (const std::string& field : fields) {
        text += QString::fromStdString(field).toLower();
        text += QLatin1Char('\n');
    }
    return text;
}

bool TSessionFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (sourceParent.isValid() || sourceRow < 0 ||
        sourceRow >= static_cast<int>(source_.Rows().size()))
        return false;
    const TSessionListRow& row = source_.Rows()[static_cast<std::size_t>(sourceRow)];
    if (activeOnly_ && !row.active)
        return false;
    if (userOnly_ && !row.user)
        return false;
    return needle_.isEmpty() || row.searchText.contains(needle_);
}

bool TSessionFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const QVariant a = left.data(sortRole()), b = right.data(sortRole());
    if (a.typeId() == QMetaType::Double && b.typeId() == QMetaType::Double)
        return a.toDouble() < b.toDouble();
    return QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive) < 0;
}

} // namespace monitor
