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
    QString message() const { return dialog.mmSendmsg->toPlainText(); }

    TFrmSendMsg dialog;
};

TEST_F(SendMsgDialog, ShowsTheMachinesAndAMessageBoxUnderTheirLabels) {
    EXPECT_EQ(dialog.windowTitle(), "Send Message");
    EXPECT_EQ(dialog.Label1->text(), "Send to:");
    EXPECT_EQ(dialog.Label2->text(), "Message:");
    EXPECT_EQ(dialog.BtnSend->text(), "&Send");
    EXPECT_EQ(dialog.BitBtn2->text(), "&Cancel");
    EXPECT_FALSE(dialog.mmmachine->isEnabled());
    EXPECT_TRUE(dialog.mmmachine->isReadOnly());
    EXPECT_EQ(dialog.mmmachine->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    dialog.SetMachines({"WS-ACCOUNTS-01", "ws-lab-7"});
    dialog.SetMessage("The instance restarts at 18:00, please log off.");
    dialog.show();
    EXPECT_EQ(dialog.Machines(), QStringList({"WS-ACCOUNTS-01", "ws-lab-7"}));
    // Top to bottom: label, list, label, message box, buttons; no text is cut off.
    auto top = [&](QWidget* w) { return w->mapTo(&dialog, QPoint(0, 0)).y(); };
    EXPECT_LT(top(dialog.Label1), top(dialog.mmmachine));
    EXPECT_LT(top(dialog.mmmachine), top(dialog.Label2));
    EXPECT_LT(top(dialog.Label2), top(dialog.mmSendmsg));
    EXPECT_LT(top(dialog.mmSendmsg), top(dialog.BtnSend));
    for (QWidget* w :
         {static_cast<QWidget*>(dialog.Label1), static_cast<QWidget*>(dialog.Label2),
          static_cast<QWidget*>(dialog.BtnSend), static_cast<QWidget*>(dialog.BitBtn2)})
        EXPECT_GE(w->width(), w->sizeHint().width()) << w->objectName().toStdString();
    // Resizable: the message box takes the extra height.
    const int before = dialog.mmSendmsg->height();
    dialog.resize(dialog.width() + 100, dialog.height() + 120);
    QApplication::sendPostedEvents();
    EXPECT_GT(dialog.mmSendmsg->height(), before);

    if (const QByteArray shots = qgetenv("QUENBY_SHOTS"); !shots.isEmpty()) {
        dialog.resize(dialog.sizeHint().expandedTo(QSize(380, 300)));
        QDir().mkpath(QString::fromLocal8Bit(shots));
        dialog.grab().save(QString::fromLocal8Bit(shots) + "/dialog-sendmsg.png");
    }
}

TEST_F(SendMsgDialog, SendIsEnabledExactlyWithAMachineAndAMessage) {
    dialog.SetMachines({"WS1"});
    dialog.show();
    EXPECT_FALSE(dialog.BtnSend->isEnabled()); // no message
    type(dialog.mmSendmsg, "H");
    EXPECT_TRUE(dialog.BtnSend->isEnabled());
    press(dialog.mmSendmsg, Qt::Key_Backspace);
    EXPECT_FALSE(dialog.BtnSend->isEnabled());
    dialog.hide();

    // Opening again evaluates the rule again.
    dialog.SetMessage("Hello");
    dialog.SetMachines({});
    dialog.show();
    EXPECT_FALSE(dialog.BtnSend->isEnabled()); // no machine
    dialog.hide();
    dialog.SetMachines({"WS1"});
    dialog.show();
    EXPECT_TRUE(dialog.BtnSend->isEnabled());
}

TEST_F(SendMsgDialog, OpeningPutsTheFocusInTheMessageBox) {
    dialog.SetMachines({"WS1"});
    dialog.BitBtn2->setFocus();
    dialog.show();
    EXPECT_EQ(dialog.focusWidget(), dialog.mmSendmsg);
}

TEST_F(SendMsgDialog, EnterInTheMessageBoxSendsInsteadOfStartingANewLine) {
    dialog.SetMachines({"WS1"});
    const int result = exec([&] {
        type(dialog.mmSendmsg, "Hello");
        press(dialog.mmSendmsg, Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog.Message(), "Hello");
}

TEST_F(SendMsgDialog, EnterAnywhereInTheDialogSends) {
    dialog.SetMachines({"WS1"});
    dialog.SetMessage("Hello");
    EXPECT_EQ(exec([&] { press(dialog.BitBtn2, Qt::Key_Enter); }), QDialog::Accepted);
    EXPECT_EQ(exec([&] { press(&dialog, Qt::Key_Return); }), QDialog::Accepted);
}

TEST_F(SendMsgDialog, EnterWithNothingToSendNeitherSendsNorBreaksTheLine) {
    dialog.SetMachines({"WS1"});
    bool stayedOpen = false;
    const int result = exec([&] {
        press(dialog.mmSendmsg, Qt::Key_Return);
        stayedOpen = dialog.isVisible();
        dialog.BitBtn2->click();
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(message(), "");
}

TEST_F(SendMsgDialog, SendClosesWithOkAndCancelWithCancel) {
    dialog.SetMachines({"WS1"});
    dialog.SetMessage("Hello");
    EXPECT_EQ(exec([&] { dialog.BtnSend->click(); }), QDialog::Accepted);
    EXPECT_EQ(exec([&] { dialog.BitBtn2->click(); }), QDialog::Rejected);
    EXPECT_EQ(exec([&] { press(&dialog, Qt::Key_Escape); }), QDialog::Rejected);
}

TEST_F(SendMsgDialog, TheMessageHoldsAtMost255Characters) {
    dialog.SetMachines({"WS1"});
    dialog.show();
    type(dialog.mmSendmsg, QString(260, 'a'));
    EXPECT_EQ(message(), QString(255, 'a'));

    // Full: a letter typed in the middle is refused, the text stays as it was.
    QTextCursor cursor = dialog.mmSendmsg->textCursor();
    cursor.setPosition(10);
    dialog.mmSendmsg->setTextCursor(cursor);
    type(dialog.mmSendmsg, "Z");
    EXPECT_EQ(message(), QString(255, 'a'));

    // Of pasted text only what fits stays, at the place it went in.
    dialog.SetMessage(QString(250, 'b'));
    cursor.setPosition(5);
    dialog.mmSendmsg->setTextCursor(cursor);
    dialog.mmSendmsg->insertPlainText("0123456789");
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
    type(dialog.mmmachine, "x");
    EXPECT_EQ(dialog.Machines(), QStringList({"WS1"}));
    EXPECT_NE(dialog.focusWidget(), dialog.mmmachine);
}

} // namespace
