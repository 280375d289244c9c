#include "gui/dialogs/ServerComponentDialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace capture {

TFrmServersidesetup::TFrmServersidesetup(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmServersidesetup"));
    setWindowTitle(QStringLiteral("Setup Server side Component"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Setup Server side component for Capture SQL,\n"
                                                "Please select the tablespace to install these "
                                                "components"),
                                 this));
    tablespaceCombo = new QComboBox(this);
    tablespaceCombo->setObjectName(QStringLiteral("tablespaceCombo"));
    tablespaceCombo->setEditable(false);
    layout->addWidget(tablespaceCombo);
    auto* buttons = new QHBoxLayout;
    installButton = new QPushButton(QStringLiteral("&Install"), this);
    installButton->setObjectName(QStringLiteral("installButton"));
    uninstallButton = new QPushButton(QStringLiteral("&Uninstall"), this);
    uninstallButton->setObjectName(QStringLiteral("uninstallButton"));
    exitButton = new QPushButton(QStringLiteral("&Exit"), this);
    exitButton->setObjectName(QStringLiteral("exitButton"));
    for (QPushButton* b : {installButton, uninstallButton, exitButton}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    connect(installButton, &QPushButton::clicked, this, [this] { onInstallClicked(); });
    connect(uninstallButton, &QPushButton::clicked, this, [this] { onUninstallClicked(); });
    connect(exitButton, &QPushButton::clicked, this, &QDialog::reject);
    component_.ShowError = [this](const std::string& text) {
        QMessageBox box(QMessageBox::NoIcon, windowTitle(), QString::fromStdString(text),
                        QMessageBox::Ok, this);
        box.exec();
    };
}

int TFrmServersidesetup::Execute(oradb::TOraSession* session, bool& present) {
    session_ = session;
    present_ = &present;
    tablespaceCombo->clear();
    for (const std::string& name : ListTablespaces(session))
        tablespaceCombo->addItem(QString::fromStdString(name));
    if (tablespaceCombo->count() > 0)
        tablespaceCombo->setCurrentIndex(0);
    const int result = exec();
    present_ = nullptr;
    session_ = nullptr;
    return result;
}

void TFrmServersidesetup::onInstallClicked() {
    if (!present_)
        return;
    const std::string tablespace = tablespaceCombo->currentIndex() < 0
                                       ? std::string()
                                       : tablespaceCombo->currentText().toStdString();
    if (component_.Install(session_, tablespace, *present_))
        QMessageBox::information(this, windowTitle(),
                                 QStringLiteral("Successfully create Server side component"));
    else
        QMessageBox::critical(this, windowTitle(),
                              QStringLiteral("Failed to create Server side component\n"
                                             "please login as system and create it again"));
}

void TFrmServersidesetup::onUninstallClicked() {
    if (!present_)
        return;
    const TComponentInventory inventory = ComponentInventory(session_);
    if (!inventory.Installed()) {
        *present_ = false;
        QMessageBox::information(this, windowTitle(), QString::fromLatin1(kNothingInstalled));
        return;
    }
    QMessageBox question(QMessageBox::Question, windowTitle(),
                         QString::fromStdString(UninstallQuestion(inventory)),
                         QMessageBox::Yes | QMessageBox::No, this);
    question.setObjectName(QStringLiteral("uninstallConfirmation"));
    question.setDefaultButton(QMessageBox::No);
    question.setEscapeButton(QMessageBox::No);
    if (question.exec() != QMessageBox::Yes)
        return;
    component_.Uninstall(session_, *present_);
    QMessageBox::information(this, windowTitle(), QString::fromLatin1(kComponentRemoved));
}

} // namespace capture
