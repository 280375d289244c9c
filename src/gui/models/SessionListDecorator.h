// What the session list shows beyond the monitor's texts: the row images (killed, waiting for a
// lock, blocking others) with their tips, the list's blue text, a tinted ground for the rows
// whose statistic changed since the previous refresh, and the monitor's own session in bold
// italic with its tip. A proxy over the monitor's session list
// model, so that the model itself stays free of widgets and icons. User-interface thread only.
#pragma once

#include "monitor/SessionListModel.h"

#include <QColor>
#include <QIdentityProxyModel>

namespace gui {

// The ground of a row whose figures changed: the palette's selection colour, faint over the
// list's ground.
QColor ChangedRowColour();

class TSessionListDecorator final : public QIdentityProxyModel {
    Q_OBJECT

public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override;
};

} // namespace gui
