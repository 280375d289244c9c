// What the session list shows beyond the monitor's texts: the row images (killed, waiting for a
// lock) and the list's blue text. A proxy over the monitor's session list model, so that the model
// itself stays free of widgets and icons. User-interface thread only.
#pragma once

#include "monitor/SessionListModel.h"

#include <QIdentityProxyModel>

namespace gui {

class TSessionListDecorator final : public QIdentityProxyModel {
    Q_OBJECT

public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override;
};

} // namespace gui
