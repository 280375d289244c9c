// TFrmServersidesetup, "Setup Server side Component": installs or removes the capture's tables
// and public synonyms in the chosen tablespace. Created once and reused; user-interface thread.
#pragma once

#include "capture/ServerComponent.h"

#include <QDialog>

class QComboBox;
class QPushButton;

namespace oradb {
class TOraSession;
}

namespace capture {

class TFrmServersidesetup final : public QDialog {
    Q_OBJECT
public:
    explicit TFrmServersidesetup(QWidget* parent = nullptr);

    // Lists the tablespaces of the session, then runs the dialog modally. present is the main
    // window's presence flag, which install and uninstall clear and install sets.
    int Execute(oradb::TOraSession* session, bool& present);

    void onInstallClicked();
    void onUninstallClicked();

    QComboBox* tablespaceCombo = nullptr;
    QPushButton* installButton = nullptr;
    QPushButton* uninstallButton = nullptr;
    QPushButton* exitButton = nullptr;

private:
    TServerComponent component_;
    oradb::TOraSession* session_ = nullptr;
    bool* present_ = nullptr;
};

} // namespace capture
