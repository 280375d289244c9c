// The "Send Message" dialog driven by keys and clicks, offscreen.
#include "gui/dialogs/SendMessageDialog.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

using util::TFrmSendMsg;

class SendMsgDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The program's main may have made the application object already; there is only one.
        if (!QApplication::instance()) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            static int argc = 1;
            static char name[] = "quenby_util_dialogs_tests";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }
    static void press(QWidget* target, int key, const QString& text = {}) {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &down);
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &up);
    }
    static void type(QWidget* target, const QString& text) {
        for (QChar c : text)
            press(target, c.toUpper().unicode(), QString(c));
    }
    // Runs the dialog modally; the step acts while it is shown. A step that leaves it open
    // ends it with -1.
    int exec(const std::function<void()>& step) {
        QTimer::singleShot(0, &dialog, [&] {
            step();
            if (dialog.isVisible())
                dialog.done(-1);
        });
        return dialog.exec();
    }
    QString message() const { return dialog.messageEdit->toPlainText(); }

    TFrmSendMsg dialog;
};

TEST_F(SendMsgDialog, ShowsTheMachinesAndAMessageBoxUnderTheirLabels) {
    EXPECT_EQ(dialog.windowTitle(), "Send Message");
    EXPECT_EQ(dialog.machinesLabel->text(), "Send to:");
    EXPECT_EQ(dialog.messageLabel->text(), "Message:");
    EXPECT_EQ(dialog.sendButton->text(), "&Send");
    EXPECT_EQ(dialog.cancelButton->text(), "&Cancel");
    EXPECT_FALSE(dialog.machinesEdit->isEnabled());
    EXPECT_TRUE(dialog.machinesEdit->isReadOnly());
    EXPECT_EQ(dialog.machinesEdit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    dialog.SetMachines({"WS-ACCOUNTS-01", "ws-lab-7"});
    dialog.SetMessage("The instance restarts at 18:00, please log off.");
    dialog.show();
    EXPECT_EQ(dialog.Machines(), QStringList({"WS-ACCOUNTS-01", "ws-lab-7"}));
    // Top to bottom: label, list, label, message box, buttons; no text is cut off.
    auto top = [&](QWidget* w) { return w->mapTo(&dialog, QPoint(0, 0)).y(); };
    EXPECT_LT(top(dialog.machinesLabel), top(dialog.machinesEdit));
    EXPECT_LT(top(dialog.machinesEdit), top(dialog.messageLabel));
    EXPECT_LT(top(dialog.messageLabel), top(dialog.messageEdit));
    EXPECT_LT(top(dialog.messageEdit), top(dialog.sendButton));
    for (QWidget* w :
         {static_cast<QWidget*>(dialog.machinesLabel), static_cast<QWidget*>(dialog.messageLabel),
          static_cast<QWidget*>(dialog.sendButton), static_cast<QWidget*>(dialog.cancelButton)})
        EXPECT_GE(w->width(), w->sizeHint().width()) << w->objectName().toStdString();
    // Resizable: the message box takes the extra height.
    const int before = dialog.messageEdit->height();
    dialog.resize(dialog.width() + 100, dialog.height() + 120);
    QApplication::sendPostedEvents();
    EXPECT_GT(dialog.messageEdit->height(), before);

    if (const QByteArray shots = qgetenv("QUENBY_SHOTS"); !shots.isEmpty()) {
        dialog.resize(dialog.sizeHint().expandedTo(QSize(380, 300)));
        QDir().mkpath(QString::fromLocal8Bit(shots));
        dialog.grab().save(QString::fromLocal8Bit(shots) + "/dialog-sendmsg.png");
    }
}

TEST_F(SendMsgDialog, SendIsEnabledExactlyWithAMachineAndAMessage) {
    dialog.SetMachines({"WS1"});
    dialog.show();
    EXPECT_FALSE(dialog.sendButton->isEnabled()); // no message
    type(dialog.messageEdit, "H");
    EXPECT_TRUE(dialog.sendButton->isEnabled());
    press(dialog.messageEdit, Qt::Key_Backspace);
    EXPECT_FALSE(dialog.sendButton->isEnabled());
    dialog.hide();

    // Opening again evaluates the rule again.
    dialog.SetMessage("Hello");
    dialog.SetMachines({});
    dialog.show();
    EXPECT_FALSE(dialog.sendButton->isEnabled()); // no machine
    dialog.hide();
    dialog.SetMachines({"WS1"});
    dialog.show();
    EXPECT_TRUE(dialog.sendButton->isEnabled());
}

TEST_F(SendMsgDialog, OpeningPutsTheFocusInTheMessageBox) {
    dialog.SetMachines({"WS1"});
    dialog.cancelButton->setFocus();
    dialog.show();
    EXPECT_EQ(dialog.focusWidget(), dialog.messageEdit);
}

TEST_F(SendMsgDialog, EnterInTheMessageBoxSendsInsteadOfStartingANewLine) {
    dialog.SetMachines({"WS1"});
    const int result = exec([&] {
        type(dialog.messageEdit, "Hello");
        press(dialog.messageEdit, Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog.Message(), "Hello");
}

TEST_F(SendMsgDialog, EnterAnywhereInTheDialogSends) {
    dialog.SetMachines({"WS1"});
    dialog.SetMessage("Hello");
    EXPECT_EQ(exec([&] { press(dialog.cancelButton, Qt::Key_Enter); }), QDialog::Accepted);
    EXPECT_EQ(exec([&] { press(&dialog, Qt::Key_Return); }), QDialog::Accepted);
}

TEST_F(SendMsgDialog, EnterWithNothingToSendNeitherSendsNorBreaksTheLine) {
    dialog.SetMachines({"WS1"});
    bool stayedOpen = false;
    const int result = exec([&] {
        press(dialog.messageEdit, Qt::Key_Return);
        stayedOpen = dialog.isVisible();
        dialog.cancelButton->click();
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(message(), "");
}

TEST_F(SendMsgDialog, SendClosesWithOkAndCancelWithCancel) {
    dialog.SetMachines({"WS1"});
    dialog.SetMessage("Hello");
    EXPECT_EQ(exec([&] { dialog.sendButton->click(); }), QDialog::Accepted);
    EXPECT_EQ(exec([&] { dialog.cancelButton->click(); }), QDialog::Rejected);
    EXPECT_EQ(exec([&] { press(&dialog, Qt::Key_Escape); }), QDialog::Rejected);
}

TEST_F(SendMsgDialog, TheMessageHoldsAtMost255Characters) {
    dialog.SetMachines({"WS1"});
    dialog.show();
    type(dialog.messageEdit, QString(260, 'a'));
    EXPECT_EQ(message(), QString(255, 'a'));

    // Full: a letter typed in the middle is refused, the text stays as it was.
    QTextCursor cursor = dialog.messageEdit->textCursor();
    cursor.setPosition(10);
    dialog.messageEdit->setTextCursor(cursor);
    type(dialog.messageEdit, "Z");
    EXPECT_EQ(message(), QString(255, 'a'));

    // Of pasted text only what fits stays, at the place it went in.
    dialog.SetMessage(QString(250, 'b'));
    cursor.setPosition(5);
    dialog.messageEdit->setTextCursor(cursor);
    dialog.messageEdit->insertPlainText("0123456789");
    EXPECT_EQ(message(), QString(5, 'b') + "01234" + QString(245, 'b'));

    // Characters outside the basic plane count once; a line break counts as CR LF.
    const QString face = QString::fromUcs4(U"\U0001F600");
    QString faces;
    for (int i = 0; i < 300; ++i)
        faces += face;
    dialog.SetMessage(faces);
    EXPECT_EQ(message(), faces.left(2 * 255));
    dialog.SetMessage(QString(253, 'c') + "\nde");
    EXPECT_EQ(message(), QString(253, 'c') + "\n");
    EXPECT_EQ(TFrmSendMsg::MessageLength(message()), 255);
}

TEST_F(SendMsgDialog, TheMessageJoinsItsLinesWithCrLf) {
    dialog.SetMessage("first\nsecond");
    EXPECT_EQ(dialog.Message(), "first\r\nsecond");
}

TEST_F(SendMsgDialog, TheMachineListOnlyShows) {
    dialog.SetMachines({"WS1"});
    dialog.show();
    type(dialog.machinesEdit, "x");
    EXPECT_EQ(dialog.Machines(), QStringList({"WS1"}));
    EXPECT_NE(dialog.focusWidget(), dialog.machinesEdit);
}

} // namespace
