#include "gui/dialogs/ConnectForm.h"

#include "oradb/LoginErrorHint.h"
#include "oradb/OraError.h"
#include "oradb/OraSession.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace oradb {

bool TConnectDialog::ShowForm() {
    TConnectForm form(*this, parent_);
    return form.exec() == QDialog::Accepted;
}

TConnectForm::TConnectForm(TCustomConnectDialog& dialog, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), dialog_(dialog) {
    setObjectName(QStringLiteral("TConnectForm"));
    setWindowTitle(QString::fromStdString(dialog.Caption()));

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(panel);
    usernameLabel_ = new QLabel(QString::fromStdString(dialog.UsernameLabel()), panel);
    passwordLabel_ = new QLabel(QString::fromStdString(dialog.PasswordLabel()), panel);
    serverLabel_ = new QLabel(QString::fromStdString(dialog.ServerLabel()), panel);
    privilegeLabel_ = new QLabel(QString::fromStdString(dialog.PrivilegeLabel()), panel);
    usernameEdit = new QLineEdit(panel);
    usernameEdit->setObjectName(QStringLiteral("usernameEdit"));
    passwordEdit = new QLineEdit(panel);
    passwordEdit->setObjectName(QStringLiteral("passwordEdit"));
    passwordEdit->setEchoMode(QLineEdit::Password);
    serverCombo = new QComboBox(panel);
    serverCombo->setObjectName(QStringLiteral("serverCombo"));
    serverCombo->setEditable(true);
    serverCombo->setMaxVisibleItems(10);
    serverCombo->setInsertPolicy(QComboBox::NoInsert);
    privilegeCombo = new QComboBox(panel);
    privilegeCombo->setObjectName(QStringLiteral("privilegeCombo"));
    for (const auto p :
         {TConnectPrivilege::Normal, TConnectPrivilege::SysDba, TConnectPrivilege::SysOper})
        privilegeCombo->addItem(QString::fromLatin1(privilegeName(p)), static_cast<int>(p));
    usernameLabel_->setBuddy(usernameEdit);
    passwordLabel_->setBuddy(passwordEdit);
    serverLabel_->setBuddy(serverCombo);
    privilegeLabel_->setBuddy(privilegeCombo);
    grid->addWidget(usernameLabel_, 0, 0);
    grid->addWidget(usernameEdit, 0, 1);
    grid->addWidget(passwordLabel_, 1, 0);
    grid->addWidget(passwordEdit, 1, 1);
    grid->addWidget(serverLabel_, 2, 0);
    grid->addWidget(serverCombo, 2, 1);
    grid->addWidget(privilegeLabel_, 3, 0);
    grid->addWidget(privilegeCombo, 3, 1);
    grid->setColumnStretch(1, 1);

    connectButton = new QPushButton(QString::fromStdString(dialog.ConnectButton()), this);
    connectButton->setObjectName(QStringLiteral("connectButton"));
    connectButton->setDefault(true);
    cancelButton = new QPushButton(QString::fromStdString(dialog.CancelButton()), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(connectButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addLayout(buttons);

    connect(connectButton, &QPushButton::clicked, this, [this] { onConnectClicked(); });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    // Initialisation from the dialog and its session.
    attemptsLeft_ = dialog.Retries;
    retry_ = false;
    serverCombo->addItems(dialog.ServerList());
    if (TOraSession* s = dialog.Session()) {
        usernameEdit->setText(QString::fromStdString(s->Username));
        passwordEdit->setText(QString::fromStdString(s->Password));
        serverCombo->setEditText(QString::fromStdString(s->Server));
        privilegeCombo->setCurrentIndex(privilegeCombo->findData(static_cast<int>(s->Privilege)));
    }
    // Choosing or typing a server brings back the privilege it was last connected as.
    connect(serverCombo, &QComboBox::currentTextChanged, this, [this](const QString& server) {
        if (const auto p = dialog_.RememberedPrivilege(server.toStdString()))
            privilegeCombo->setCurrentIndex(privilegeCombo->findData(static_cast<int>(*p)));
    });
    if (!usernameEdit->text().isEmpty() &&
        (passwordEdit->text().isEmpty() || dialog.PendingError()))
        passwordEdit->setFocus();
    else
        usernameEdit->setFocus();
    // A login given at start that failed: its error comes over the form once it is shown, as
    // after a click on Connect.
    if (const auto& error = dialog.PendingError()) {
        passwordEdit->selectAll();
        QTimer::singleShot(0, this, [this, e = *error] { ConnectFailed(e); });
    }

    // The reference size is 291 x 175; larger fonts get what they need, and it is not resizable.
    setFixedSize(sizeHint().expandedTo(QSize(291, 175)));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TConnectForm::onConnectClicked() {
    TOraSession* s = dialog_.Session();
    if (!s)
        return;
    s->Disconnect();
    s->Password = passwordEdit->text().toStdString();
    s->Server = serverCombo->currentText().toStdString();
    s->Username = usernameEdit->text().toStdString();
    s->Privilege = static_cast<TConnectPrivilege>(privilegeCombo->currentData().toInt());
    try {
        if (!retry_ && s->BeforeConnect)
            s->BeforeConnect();
        s->ConnectDirect();
        accept();
    } catch (const EOraError& e) {
        ConnectFailed(e);
    }
}

void TConnectForm::ConnectFailed(const EOraError& e) {
    --attemptsLeft_;
    retry_ = true;
    if (attemptsLeft_ <= 0)
        reject();
    switch (e.ErrorCode()) {
    case 1005:
        passwordEdit->setFocus();
        break;
    case 1017:
        if (focusWidget() != usernameEdit)
            passwordEdit->setFocus();
        break;
    case 12154:
    case 12203:
        serverCombo->setFocus();
        break;
    default:
        break;
    }
    // Oracle 23's help page becomes a link under the message; the hint goes below it.
    const TErrorHelp help = splitHelpLink(e.what());
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(),
                    QString::fromUtf8(help.message), QMessageBox::Ok, this);
    if (!help.helpUrl.empty()) {
        const QString url = QString::fromUtf8(help.helpUrl).toHtmlEscaped();
        box.setTextFormat(Qt::RichText);
        box.setText(QString::fromUtf8(help.message).toHtmlEscaped().replace('\n', "<br>") +
                    QStringLiteral("<br><a href=\"%1\">%1</a>").arg(url));
    }
    if (const std::string hint = loginErrorHint(e.ErrorCode()); !hint.empty())
        box.setInformativeText(QString::fromUtf8(hint));
    box.exec();
}

} // namespace oradb
