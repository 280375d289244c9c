#include "gui/models/SessionListDecorator.h"

#include "gui/Icons.h"
#include "gui/ReadableColour.h"

#include <QBrush>
#include <QGuiApplication>
#include <QIcon>
#include <QPalette>
#include <QStyle>

namespace gui {

QVariant TSessionListDecorator::data(const QModelIndex& index, int role) const {
    if (role == Qt::DecorationRole && index.column() == 0) {
        const int image =
            QIdentityProxyModel::data(index, monitor::TSessionListModel::ImageIndexRole).toInt();
        // 9: the session has been killed; 14: it waits for a lock.
        if (image == 9) {
            static const QIcon killed = ThemedIcon("process-stop", QStyle::SP_DialogCancelButton);
            return killed;
        }
        if (image == 14) {
            static const QIcon waiting =
                ThemedIcon("system-lock-screen", QStyle::SP_MessageBoxWarning);
            return waiting;
        }
        return {};
    }
    if (role == Qt::ForegroundRole) {
        const QPalette palette = QGuiApplication::palette();
        return QBrush(ReadableOn(QColor(0, 0, 255), palette.color(QPalette::Base)));
    }
    return QIdentityProxyModel::data(index, role);
}

} // namespace gui
