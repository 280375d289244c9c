#include "gui/dialogs/SendMessageDialog.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

namespace util {

namespace {

bool isLineBreak(QChar c) {
    return c == QLatin1Char('\n') || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

// The height of a text box showing the given number of lines.
int linesHeight(const QPlainTextEdit* edit, int lines) {
    const int frame = 2 * edit->frameWidth();
    const int margins = 2 * int(edit->document()->documentMargin());
    return edit->fontMetrics().lineSpacing() * lines + frame + margins;
}

} // namespace

TFrmSendMsg::TFrmSendMsg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmSendMsg"));
    setWindowTitle(QStringLiteral("Send Message"));
    setSizeGripEnabled(true);

    machinesLabel = new QLabel(QStringLiteral("Send to:"), this);
    machinesLabel->setObjectName(QStringLiteral("machinesLabel"));
    machinesEdit = new QPlainTextEdit(this);
    machinesEdit->setObjectName(QStringLiteral("machinesEdit"));
    machinesEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    machinesEdit->setReadOnly(true);
    // Disabled: the list only shows where the message goes.
    machinesEdit->setEnabled(false);
    machinesEdit->setMinimumHeight(linesHeight(machinesEdit, 4));
    machinesEdit->setMaximumHeight(linesHeight(machinesEdit, 6));

    messageLabel = new QLabel(QStringLiteral("Message:"), this);
    messageLabel->setObjectName(QStringLiteral("messageLabel"));
    messageEdit = new QPlainTextEdit(this);
    messageEdit->setObjectName(QStringLiteral("messageEdit"));
    messageEdit->setTabChangesFocus(true);
    messageEdit->setMinimumHeight(linesHeight(messageEdit, 5));
    messageLabel->setBuddy(messageEdit);
    connect(messageEdit->document(), &QTextDocument::contentsChange, this,
            [this](int position, int /*removed*/, int added) {
                insertStart_ = position;
                insertEnd_ = position + added;
            });
    connect(messageEdit, &QPlainTextEdit::textChanged, this, [this] { onMessageChanged(); });

    sendButton = new QPushButton(QStringLiteral("&Send"), this);
    sendButton->setObjectName(QStringLiteral("sendButton"));
    sendButton->setAutoDefault(false);
    connect(sendButton, &QPushButton::clicked, this, [this] { accept(); });
    cancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setAutoDefault(false);
    connect(cancelButton, &QPushButton::clicked, this, [this] { reject(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(sendButton);
    buttons->addWidget(cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(machinesLabel);
    layout->addWidget(machinesEdit);
    layout->addSpacing(4);
    layout->addWidget(messageLabel);
    layout->addWidget(messageEdit, 1);
    layout->addSpacing(4);
    layout->addLayout(buttons);

    // The dialog sees every key before its controls do (Enter sends).
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    resize(380, 300);
    UpdateSendEnabled();
}

void TFrmSendMsg::SetMachines(const QStringList& machines) {
    machinesEdit->setPlainText(machines.join(QLatin1Char('\n')));
}

QStringList TFrmSendMsg::Machines() const {
    const QString text = machinesEdit->toPlainText();
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    // A final line break ends the last line; it does not start another.
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString TFrmSendMsg::Message() const {
    return messageEdit->toPlainText().split(QLatin1Char('\n')).join(QStringLiteral("\r\n"));
}

void TFrmSendMsg::SetMessage(const QString& text) {
    messageEdit->setPlainText(text);
}

int TFrmSendMsg::MessageLength(const QString& text) {
    int length = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        length += isLineBreak(c) ? 2 : 1;
    }
    return length;
}

void TFrmSendMsg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    UpdateSendEnabled();
    messageEdit->setFocus(Qt::OtherFocusReason);
}

bool TFrmSendMsg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Enter is never a line break; it sends when there is something to send.
            if (sendButton->isEnabled())
                sendButton->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmSendMsg::UpdateSendEnabled() {
    sendButton->setEnabled(!Machines().isEmpty() && !messageEdit->toPlainText().isEmpty());
}

void TFrmSendMsg::onMessageChanged() {
    CutToMaxLength();
    UpdateSendEnabled();
}

// Keeps the message within its limit the way a length-limited edit does: of the text just
// inserted (typed, pasted or set), only as much stays as fits.
void TFrmSendMsg::CutToMaxLength() {
    int excess = MessageLength(messageEdit->toPlainText()) - kMaxMessageLength;
    if (excess <= 0)
        return;
    QTextDocument* document = messageEdit->document();
    const int last = document->characterCount() - 1; // the final block end is no character

    auto cut = [&](int start, int end) {
        QTextCursor cursor(document);
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        const QString inserted = cursor.selectedText();
        qsizetype keep = inserted.size();
        while (excess > 0 && keep > 0) {
            const QChar c = inserted.at(keep - 1);
            const bool pair =
                keep >= 2 && c.isLowSurrogate() && inserted.at(keep - 2).isHighSurrogate();
            excess -= isLineBreak(c) ? 2 : 1;
            keep -= pair ? 2 : 1;
        }
        cursor.setPosition(start + int(keep));
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        // One undo step with the insertion, so that undoing it does not bring the cut text back.
        cursor.joinPreviousEditBlock();
        cursor.removeSelectedText();
        cursor.endEditBlock();
    };

    const int start = std::clamp(insertStart_, 0, last);
    const int end = std::clamp(insertEnd_, start, last);
    if (end > start)
        cut(start, end);
    // Text that came some other way is cut at the end.
    if (excess > 0)
        cut(0, document->characterCount() - 1);
}

} // namespace util
