// TConnectDialog, the login dialog component, and TConnectForm, its modal form with user name,
// password, server and the privilege to connect as. User-interface thread only.
#pragma once

#include "oradb/OraConnectDialog.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace oradb {

class TConnectDialog : public TCustomConnectDialog {
public:
    // The form is parented to this widget (centred on the screen either way).
    explicit TConnectDialog(QWidget* parent = nullptr) : parent_(parent) {}

protected:
    bool ShowForm() override;

private:
    QWidget* parent_;
};

class TConnectForm : public QDialog {
    Q_OBJECT
public:
    TConnectForm(TCustomConnectDialog& dialog, QWidget* parent = nullptr);

    QLineEdit* usernameEdit = nullptr;
    QLineEdit* passwordEdit = nullptr;
    QComboBox* serverCombo = nullptr;
    // "Normal", "SYSDBA", "SYSOPER"; follows what each server was last connected as.
    QComboBox* privilegeCombo = nullptr;
    QPushButton* connectButton = nullptr;
    QPushButton* cancelButton = nullptr;

    int AttemptsLeft() const { return attemptsLeft_; }
    bool Retry() const { return retry_; }

    // Tries to connect with what the fields hold; on failure see ConnectFailed.
    void onConnectClicked();

private:
    // Counts the failed attempt, moves the focus by the Oracle error code and shows the error with
    // its hint and help link, closing as cancelled when no attempt is left.
    void ConnectFailed(const EOraError& e);

    TCustomConnectDialog& dialog_;
    QLabel* usernameLabel_ = nullptr;
    QLabel* passwordLabel_ = nullptr;
    QLabel* serverLabel_ = nullptr;
    QLabel* privilegeLabel_ = nullptr;
    int attemptsLeft_ = 0;
    bool retry_ = false;
};

} // namespace oradb
