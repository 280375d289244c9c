#include "monitor/ListCopy.h"

namespace monitor {

namespace {

QString cell(QString text) {
    for (QChar& c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return text;
}

} // namespace

QString RowsAsTabText(const QAbstractItemModel& model, const std::vector<int>& rows,
                      const std::vector<int>& columns) {
    QStringList lines;
    QStringList heading;
    for (int c : columns)
        heading << cell(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    lines << heading.join(QLatin1Char('\t'));
    for (int r : rows) {
        QStringList cells;
        for (int c : columns)
            cells << cell(model.index(r, c).data(Qt::DisplayRole).toString());
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace monitor
