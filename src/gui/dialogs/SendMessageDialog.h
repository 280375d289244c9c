// TFrmSendMsg, the "Send Message" dialog: shows the client machines a message goes to and takes
// the message (at most 255 characters, no typed line breaks). User-interface thread only.
#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace util {

class TFrmSendMsg : public QDialog {
    Q_OBJECT
public:
    // The longest message, in characters; a line break counts as two (CR LF).
    static constexpr int kMaxMessageLength = 255;

    explicit TFrmSendMsg(QWidget* parent = nullptr);

    // The machine list, one name a line.
    void SetMachines(const QStringList& machines);
    QStringList Machines() const;
    // The message text, lines joined by CR LF.
    QString Message() const;
    void SetMessage(const QString& text);

    // The length of a text as the message limit counts it.
    static int MessageLength(const QString& text);

    QLabel* machinesLabel = nullptr;
    QLabel* messageLabel = nullptr;
    QPlainTextEdit* machinesEdit = nullptr;
    QPlainTextEdit* messageEdit = nullptr;
    QPushButton* sendButton = nullptr;
    QPushButton* cancelButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateSendEnabled();
    void onMessageChanged();
    void CutToMaxLength();

    // Where the last edit of the message inserted text (document positions).
    int insertStart_ = 0;
    int insertEnd_ = 0;
};

} // namespace util
