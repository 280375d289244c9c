#include "gui/models/SessionListDecorator.h"

#include "gui/Icons.h"
#include "gui/ReadableColour.h"

#include <QBrush>
#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QPalette>
#include <QStyle>

namespace gui {

QColor ChangedRowColour() {
    // The selection colour, faint over the list's ground: a tint in light and dark themes alike.
    const QPalette palette = QGuiApplication::palette();
    const QColor base = palette.color(QPalette::Base);
    const QColor mark = palette.color(QPalette::Highlight);
    const double share = 0.22;
    return QColor::fromRgbF(static_cast<float>(base.redF() * (1 - share) + mark.redF() * share),
                            static_cast<float>(base.greenF() * (1 - share) + mark.greenF() * share),
                            static_cast<float>(base.blueF() * (1 - share) + mark.blueF() * share));
}

QVariant TSessionListDecorator::data(const QModelIndex& index, int role) const {
    if (role == Qt::DecorationRole && index.column() == 0) {
        const int image =
            QIdentityProxyModel::data(index, monitor::TSessionListModel::ImageIndexRole).toInt();
        if (image == monitor::kImageKilled) {
            static const QIcon killed = ThemedIcon("process-stop", QStyle::SP_DialogCancelButton);
            return killed;
        }
        if (image == monitor::kImageLockWait) {
            static const QIcon waiting =
                ThemedIcon("system-lock-screen", QStyle::SP_MessageBoxWarning);
            return waiting;
        }
        if (image == monitor::kImageBlocker) {
            static const QIcon blocker = ThemedIcon("dialog-error", QStyle::SP_MessageBoxCritical);
            return blocker;
        }
        return {};
    }
    const bool own = (role == Qt::ToolTipRole || role == Qt::FontRole) &&
                     QIdentityProxyModel::data(index, monitor::TSessionListModel::OwnRole).toBool();
    if (own && role == Qt::ToolTipRole)
        return QStringLiteral("This is Quenby's own session");
    if (own && role == Qt::FontRole) {
        // Bold italic: the own session is told apart without a colour of its own.
        QFont font = QIdentityProxyModel::data(index, role).value<QFont>();
        font.setBold(true);
        font.setItalic(true);
        return font;
    }
    if (role == Qt::ToolTipRole && index.column() == 0) {
        const int image =
            QIdentityProxyModel::data(index, monitor::TSessionListModel::ImageIndexRole).toInt();
        if (image == monitor::kImageKilled)
            return QStringLiteral("Killed");
        if (image == monitor::kImageLockWait)
            return QStringLiteral("Waits for a lock");
        if (image == monitor::kImageBlocker)
            return QStringLiteral("Blocks other sessions");
        return {};
    }
    const bool changed =
        (role == Qt::ForegroundRole || role == Qt::BackgroundRole) &&
        QIdentityProxyModel::data(index, monitor::TSessionListModel::ChangedRole).toBool();
    if (role == Qt::BackgroundRole)
        return changed ? QVariant(QBrush(ChangedRowColour())) : QVariant();
    if (role == Qt::ForegroundRole) {
        const QPalette palette = QGuiApplication::palette();
        const QColor ground = changed ? ChangedRowColour() : palette.color(QPalette::Base);
        return QBrush(ReadableOn(QColor(0, 0, 255), ground));
    }
    return QIdentityProxyModel::data(index, role);
}

} // namespace gui
