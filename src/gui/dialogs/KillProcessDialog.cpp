#include "gui/dialogs/KillProcessDialog.h"

#include "monitor/SessionControl.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui {

TFrmKillProcess::TFrmKillProcess(const std::vector<monitor::TBasicFieldArray>& sessions,
                                 const std::vector<std::string>& spids, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FrmKillProcess"));
    setWindowTitle(QStringLiteral("Kill Session"));
    const QString command = QString::fromStdString(monitor::OsKillCommand(spids));
    QString text;
    if (sessions.size() == 1) {
        text = QStringLiteral("Session %1 (serial# %2) is marked KILLED but has not ended.")
                   .arg(QString::fromStdString(sessions[0][monitor::bfSid]),
                        QString::fromStdString(sessions[0][monitor::bfSerial]));
    } else {
        QStringList sids;
        for (const auto& s : sessions)
            sids << QString::fromStdString(s[monitor::bfSid]);
        text = QStringLiteral("Sessions %1 are marked KILLED but have not ended.")
                   .arg(sids.join(QStringLiteral(", ")));
    }
    text += QLatin1Char('\n');
    text += command.isEmpty()
                ? (sessions.size() == 1
                       ? QStringLiteral("Its server process is not known: v$process lists none.")
                       : QStringLiteral("Their server processes are not known: v$process lists "
                                        "none."))
            : sessions.size() == 1
                ? QStringLiteral("End its server process on the database server, as the "
                                 "owner of the Oracle software:")
                : QStringLiteral("End their server processes on the database server, as the "
                                 "owner of the Oracle software:");
    messageLabel = new QLabel(text, this);
    messageLabel->setObjectName(QStringLiteral("messageLabel"));
    messageLabel->setWordWrap(true);
    commandEdit = new QLineEdit(command, this);
    commandEdit->setObjectName(QStringLiteral("commandEdit"));
    commandEdit->setReadOnly(true);
    QFont mono = commandEdit->font();
    mono.setFamily(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::Monospace);
    commandEdit->setFont(mono);
    copyButton = new QPushButton(QStringLiteral("&Copy"), this);
    copyButton->setObjectName(QStringLiteral("copyButton"));
    connect(copyButton, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(commandEdit->text()); });
    commandEdit->setVisible(!command.isEmpty());
    copyButton->setVisible(!command.isEmpty());

    auto* commandRow = new QHBoxLayout;
    commandRow->addWidget(commandEdit, 1);
    commandRow->addWidget(copyButton);
    auto* buttons = new QDialogButtonBox(this);
    closeButton = buttons->addButton(QStringLiteral("C&lose"), QDialogButtonBox::RejectRole);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(messageLabel);
    layout->addLayout(commandRow);
    layout->addWidget(buttons);
    resize(QSize(460, 150).expandedTo(sizeHint()));
    commandEdit->selectAll();
    commandEdit->setFocus();
}

} // namespace gui
