#include "gui/dialogs/ConnectForm.h"

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
    lbUsername_ = new QLabel(QString::fromStdString(dialog.UsernameLabel()), panel);
    lbPassword_ = new QLabel(QString::fromStdString(dialog.PasswordLabel()), panel);
    lbServer_ = new QLabel(QString::fromStdString(dialog.ServerLabel()), panel);
    edUsername = new QLineEdit(panel);
    edUsername->setObjectName(QStringLiteral("edUsername"));
    edPassword = new QLineEdit(panel);
    edPassword->setObjectName(QStringLiteral("edPassword"));
    edPassword->setEchoMode(QLineEdit::Password);
    edServer = new QComboBox(panel);
    edServer->setObjectName(QStringLiteral("edServer"));
    edServer->setEditable(true);
    edServer->setMaxVisibleItems(10);
    edServer->setInsertPolicy(QComboBox::NoInsert);
    lbUsername_->setBuddy(edUsername);
    lbPassword_->setBuddy(edPassword);
    lbServer_->setBuddy(edServer);
    grid->addWidget(lbUsername_, 0, 0);
    grid->addWidget(edUsername, 0, 1);
    grid->addWidget(lbPassword_, 1, 0);
    grid->addWidget(edPassword, 1, 1);
    grid->addWidget(lbServer_, 2, 0);
    grid->addWidget(edServer, 2, 1);
    grid->setColumnStretch(1, 1);

    btConnect = new QPushButton(QString::fromStdString(dialog.ConnectButton()), this);
    btConnect->setObjectName(QStringLiteral("btConnect"));
    btConnect->setDefault(true);
    btCancel = new QPushButton(QString::fromStdString(dialog.CancelButton()), this);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btConnect);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addLayout(buttons);

    connect(btConnect, &QPushButton::clicked, this, [this] { ConnectClick(); });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    // Initialisation from the dialog and its session.
    attemptsLeft_ = dialog.Retries;
    retry_ = false;
    edServer->addItems(dialog.ServerList());
    if (TOraSession* s = dialog.Session()) {
        edUsername->setText(QString::fromStdString(s->Username));
        edPassword->setText(QString::fromStdString(s->Password));
        edServer->setEditText(QString::fromStdString(s->Server));
    }
    if (!edUsername->text().isEmpty() && edPassword->text().isEmpty())
        edPassword->setFocus();
    else
        edUsername->setFocus();

    // The reference size is 291 x 175; larger fonts get what they need, and it is not resizable.
    setFixedSize(sizeHint().expandedTo(QSize(291, 175)));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TConnectForm::ConnectClick() {
    TOraSession* s = dialog_.Session();
    if (!s)
        return;
    s->Disconnect();
    s->Password = edPassword->text().toStdString();
    s->Server = edServer->currentText().toStdString();
    s->Username = edUsername->text().toStdString();
    try {
        if (!retry_ && s->BeforeConnect)
            s->BeforeConnect();
        s->ConnectDirect();
        accept();
    } catch (const EOraError& e) {
        --attemptsLeft_;
        retry_ = true;
        if (attemptsLeft_ <= 0)
            reject();
        switch (e.ErrorCode()) {
        case 1005:
            edPassword->setFocus();
            break;
        case 1017:
            if (focusWidget() != edUsername)
                edPassword->setFocus();
            break;
        case 12154:
        case 12203:
            edServer->setFocus();
            break;
        default:
            break;
        }
        QMessageBox::critical(this, QApplication::applicationDisplayName(),
                              QString::fromUtf8(e.what()));
    }
}

} // namespace oradb
