// The login dialog: remembered user name and server, the server history, retries and the focus
// moved by the Oracle error code.
#include "oradb/OraError.h"
#include "oradb/OraSession.h"
#include "sandbox/SandboxInstance.h"
#include "support/ModalDriver.h"

#include <QDir>
#include <QSettings>

namespace {

using testing_support::ModalDriver;

class ConnectDialog : public ::testing::Test {
protected:
    void SetUp() override {
        oradb::connectSettings()->clear();
        oradb::sandbox::InstanceOptions options;
        options.autoTick = false;
        instance = oradb::sandbox::Instance::open("sandbox::memory:dialog", options);
        dialog.SetCaption("Quenby Login");
        session.SetConnectDialog(&dialog);
        session.ConnectPrompt = true;
        session.Username = "system";
        session.Password = "lantern";
    }
    static QVariant setting(const QString& key) { return oradb::connectSettings()->value(key); }

    std::shared_ptr<oradb::sandbox::Instance> instance;
    oradb::TConnectDialog dialog;
    oradb::TOraSession session;
    const std::string server = "sandbox::memory:dialog";
};

TEST_F(ConnectDialog, FirstRunShowsThePresetsAndRemembersTheLogin) {
    session.Server = server;
    QString shownUser, shownPassword, shownServer, caption;
    bool passwordFocused = false;
    ModalDriver driver({[&](QWidget* w) {
        auto* form = qobject_cast<oradb::TConnectForm*>(w);
        ASSERT_NE(form, nullptr);
        caption = form->windowTitle();
        shownUser = form->usernameEdit->text();
        shownPassword = form->passwordEdit->text();
        shownServer = form->serverCombo->currentText();
        passwordFocused = form->focusWidget() == form->passwordEdit;
        if (const QByteArray shots = qgetenv("QUENBY_SHOTS"); !shots.isEmpty()) {
            QDir().mkpath(QString::fromLocal8Bit(shots));
            form->grab().save(QString::fromLocal8Bit(shots) + "/dialog-login.png");
        }
        form->passwordEdit->setText("lantern");
        form->connectButton->click();
    }});
    session.Connect();
    EXPECT_TRUE(driver.Done());
    EXPECT_TRUE(session.Connected());
    EXPECT_EQ(caption, "Quenby Login");
    EXPECT_EQ(shownUser, "system");
    EXPECT_EQ(shownPassword, ""); // not kept: SavePassword is off
    EXPECT_EQ(shownServer, QString::fromStdString(server));
    EXPECT_TRUE(passwordFocused);
    EXPECT_EQ(setting("OraAccess/Connect/Quenby/Username").toString(), "system");
    EXPECT_EQ(setting("OraAccess/Connect/Quenby/Server").toString(),
              QString::fromStdString(server));
    EXPECT_EQ(setting("OraAccess/Connect/Server1").toString(), QString::fromStdString(server));
}

TEST_F(ConnectDialog, TheHistoryPutsTheNewServerFirstAndDropsItsOtherCasing) {
    oradb::sandbox::InstanceOptions options;
    options.autoTick = false;
    const auto upper = oradb::sandbox::Instance::open("sandbox::memory:ORCL", options);
    {
        const auto s = oradb::connectSettings();
        s->setValue("OraAccess/Connect/Server1", "sandbox::memory:orcl");
        s->setValue("OraAccess/Connect/Server2", "TEST");
        s->setValue("OraAccess/Connect/Server3", "sandbox::memory:ORCL");
    }
    QStringList offered;
    ModalDriver driver({[&](QWidget* w) {
        auto* form = qobject_cast<oradb::TConnectForm*>(w);
        ASSERT_NE(form, nullptr);
        for (int i = 0; i < form->serverCombo->count(); ++i)
            offered << form->serverCombo->itemText(i);
        ModalDriver::Login("system", "lantern", "sandbox::memory:ORCL").act(w);
    }});
    session.Connect();
    ASSERT_TRUE(session.Connected());
    EXPECT_EQ(offered, QStringList({"sandbox::memory:orcl", "TEST", "sandbox::memory:ORCL"}));
    EXPECT_EQ(dialog.ServerList(), QStringList({"sandbox::memory:ORCL", "TEST"}));
}

TEST_F(ConnectDialog, FocusFollowsTheOracleErrorCode) {
    session.Server = server;
    std::vector<std::string> focused;
    auto record = [&](QWidget* w) {
        auto* form = qobject_cast<oradb::TConnectForm*>(w);
        ASSERT_NE(form, nullptr);
        const QWidget* f = form->focusWidget();
        focused.push_back(f ? f->objectName().toStdString() : std::string("none"));
    };
    ModalDriver driver({});
    // A wrong password while the user name has the focus: the focus stays there.
    driver.Add([&](QWidget* w) {
        auto* form = qobject_cast<oradb::TConnectForm*>(w);
        form->passwordEdit->setText("wrong");
        form->usernameEdit->setFocus();
        form->connectButton->click();
    });
    driver.Add(driver.Acknowledge());
    // An empty password: to the password field.
    driver.Add([&](QWidget* w) {
        record(w);
        auto* form = qobject_cast<oradb::TConnectForm*>(w);
        form->passwordEdit->clear();
        form->connectButton->click();
    });
    driver.Add(driver.Acknowledge());
    // A server that cannot be resolved: to the server field; no attempt is left afterwards.
    driver.Add([&](QWidget* w) {
        record(w);
        auto* form = qobject_cast<oradb::TConnectForm*>(w);
        EXPECT_EQ(form->AttemptsLeft(), 1);
        EXPECT_TRUE(form->Retry());
        form->passwordEdit->setText("lantern");
        form->serverCombo->setEditText("sandbox:/no/such/folder/x.db");
        form->connectButton->click();
    });
    driver.Add([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        const auto* form = qobject_cast<oradb::TConnectForm*>(box->parentWidget());
        ASSERT_NE(form, nullptr);
        focused.push_back(form->focusWidget()->objectName().toStdString());
        driver.messages.push_back(box->text());
        box->accept();
    });
    session.Connect();
    EXPECT_TRUE(driver.Done());
    EXPECT_FALSE(session.Connected());
    EXPECT_EQ(focused, (std::vector<std::string>{"usernameEdit", "passwordEdit", "serverCombo"}));
    ASSERT_EQ(driver.messages.size(), 3u);
    EXPECT_TRUE(driver.messages[0].startsWith("ORA-01017"));
    EXPECT_TRUE(driver.messages[1].startsWith("ORA-01005"));
    EXPECT_TRUE(driver.messages[2].startsWith("ORA-12154"));
    // A failed login puts the session's values back.
    EXPECT_EQ(session.Password, "lantern");
    EXPECT_EQ(session.Server, server);
}

TEST_F(ConnectDialog, ANewcomerWithoutAClientIsOfferedTheSandbox) {
    dialog.ClientInstalled = [] { return false; };
    QString shownServer;
    ModalDriver driver({[&](QWidget* w) {
        auto* form = qobject_cast<oradb::TConnectForm*>(w);
        shownServer = form->serverCombo->currentText();
        form->cancelButton->click();
    }});
    session.Connect();
    EXPECT_EQ(shownServer, "sandbox");
    EXPECT_FALSE(session.Connected());
    EXPECT_EQ(session.Server, ""); // cancel restores what the session held

    dialog.ClientInstalled = [] { return true; };
    ModalDriver again({[&](QWidget* w) {
        auto* form = qobject_cast<oradb::TConnectForm*>(w);
        shownServer = form->serverCombo->currentText();
        form->cancelButton->click();
    }});
    session.Connect();
    EXPECT_EQ(shownServer, "");
}

TEST(ConnectDialogAlone, NeedsASession) {
    oradb::TConnectDialog dialog;
    try {
        dialog.Execute();
        FAIL();
    } catch (const oradb::EOraError& e) {
        EXPECT_STREQ(e.what(), "Connection is not defined.");
    }
}

} // namespace
