// TFrmKillProcess: what is left to do for sessions marked KILLED that have not ended (a kill
// statement no longer reaches them): the operating-system command that ends their server
// processes, as a selectable text with a "Copy" button. User-interface thread only.
#pragma once

#include "monitor/SessionRecords.h"

#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace gui {

class TFrmKillProcess : public QDialog {
    Q_OBJECT
public:
    // `sessions` are the killed sessions, `spids` their server processes' ids in the same order
    // (an empty one: not known).
    TFrmKillProcess(const std::vector<monitor::TBasicFieldArray>& sessions,
                    const std::vector<std::string>& spids, QWidget* parent = nullptr);

    QLabel* messageLabel = nullptr;
    // "kill -9 <spid> ...", read-only and selectable; hidden when no process is known.
    QLineEdit* commandEdit = nullptr;
    QPushButton* copyButton = nullptr;
    QPushButton* closeButton = nullptr;
};

} // namespace gui
