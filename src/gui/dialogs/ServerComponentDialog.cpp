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
    cmbtablespaces = new QComboBox(this);
    cmbtablespaces->setObjectName(QStringLiteral("cmbtablespaces"));
    cmbtablespaces->setEditable(false);
    layout->addWidget(cmbtablespaces);
    auto* buttons = new QHBoxLayout;
    BtnSetup = new QPushButton(QStringLiteral("&Install"), this);
    BtnSetup->setObjectName(QStringLiteral("BtnSetup"));
    Button1 = new QPushButton(QStringLiteral("&Uninstall"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    BtnExit = new QPushButton(QStringLiteral("&Exit"), this);
    BtnExit->setObjectName(QStringLiteral("BtnExit"));
    for (QPushButton* b : {BtnSetup, Button1, BtnExit}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    connect(BtnSetup, &QPushButton::clicked, this, [this] { BtnSetupClick(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(BtnExit, &QPushButton::clicked, this, &QDialog::reject);
    component_.ShowError = [this](const std::string& text) {
        QMessageBox box(QMessageBox::NoIcon, windowTitle(), QString::fromStdString(text),
                        QMessageBox::Ok, this);
        box.exec();
    };
}

int TFrmServersidesetup::Execute(oradb::TOraSession* session, bool& present) {
    session_ = session;
    present_ = &present;
    cmbtablespaces->clear();
    for (const std::string& name : ListTablespaces(session))
        cmbtablespaces->addItem(QString::fromStdString(name));
    if (cmbtablespaces->count() > 0)
        cmbtablespaces->setCurrentIndex(0);
    const int result = exec();
    present_ = nullptr;
    session_ = nullptr;
    return result;
}

void TFrmServersidesetup::BtnSetupClick() {
    if (!present_)
        return;
    const std::string tablespace = cmbtablespaces->currentIndex() < 0
                                       ? std::string()
                                       : cmbtablespaces->currentText().toStdString();
    if (component_.Install(session_, tablespace, *present_))
        QMessageBox::information(this, windowTitle(),
                                 QStringLiteral("Successfully create Server side component"));
    else
        QMessageBox::critical(this, windowTitle(),
                              QStringLiteral("Failed to create Server side component\n"
                                             "please login as system and create it again"));
}

void TFrmServersidesetup::Button1Click() {
    if (!present_)
        return;
    component_.Uninstall(session_, *present_);
    QMessageBox::information(this, windowTitle(),
                             QStringLiteral("Successfully Delete Server side component"));
}

} // namespace capture
