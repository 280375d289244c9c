// The login dialog: remembered user name and server, the server history, the privilege to
// connect as remembered per server, retries, the focus moved by the Oracle error code, and the
// hint and help link shown under logon errors.
#include "oradb/OciFixture.h"
#include "oradb/OraError.h"
#include "oradb/OraQuery.h"
#include "oradb/OraSession.h"
#include "sandbox/SandboxInstance.h"
#include "support/ModalDriver.h"
#include "support/SandboxFixture.h"

#include <QDir>
#include <QLabel>
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
    static void shot(QWidget* w, const QString& name) {
        if (const QByteArray shots = qgetenv("QUENBY_SHOTS"); !shots.isEmpty()) {
            QDir().mkpath(QString::fromLocal8Bit(shots));
            w->grab().save(QString::fromLocal8Bit(shots) + "/" + name);
        }
    }
    // What a logon error's message box shows: its text, its hint and whether a link opens.
    struct ShownError {
        QString text, hint;
        bool richText = false;
        bool linkOpens = false;
    };
    static testing_support::ModalDriver::Step readError(ShownError& shown, const QString& name) {
        return [&shown, name](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            shown.text = box->text();
            shown.hint = box->informativeText();
            shown.richText = box->textFormat() == Qt::RichText;
            for (const QLabel* label : box->findChildren<QLabel*>())
                if (label->text() == box->text())
                    shown.linkOpens =
                        label->openExternalLinks() &&
                        label->textInteractionFlags().testFlag(Qt::LinksAccessibleByMouse);
            shot(box, name);
            box->accept();
        };
    }

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

TEST_F(ConnectDialog, ConnectAsIsRememberedPerServer) {
    oradb::sandbox::InstanceOptions options;
    options.autoTick = false;
    const auto other = oradb::sandbox::Instance::open("sandbox::memory:dialog2", options);
    session.Server = server;
    {
        ModalDriver driver({ModalDriver::Login("sys", "lantern", server, "SYSDBA")});
        session.Connect();
        ASSERT_TRUE(session.Connected());
        EXPECT_EQ(session.Privilege, oradb::TConnectPrivilege::SysDba);
        EXPECT_EQ(testing_support::rowsOf(session, "select user u from dual"),
                  (std::vector<std::vector<std::string>>{{"SYS"}}));
    }
    {
        ModalDriver driver({ModalDriver::Login("system", "lantern", "sandbox::memory:dialog2")});
        session.Connect();
        ASSERT_TRUE(session.Connected());
        EXPECT_EQ(session.Privilege, oradb::TConnectPrivilege::Normal);
    }
    // The last server comes back with its privilege; choosing the first brings back SYSDBA.
    QString shownServer, shownPrivilege, afterChoosing;
    ModalDriver driver({[&](QWidget* w) {
        auto* form = qobject_cast<oradb::TConnectForm*>(w);
        ASSERT_NE(form, nullptr);
        shownServer = form->serverCombo->currentText();
        shownPrivilege = form->privilegeCombo->currentText();
        form->serverCombo->setCurrentIndex(
            form->serverCombo->findText(QString::fromStdString(server)));
        afterChoosing = form->privilegeCombo->currentText();
        form->usernameEdit->setText("sys");
        form->passwordEdit->setText("lantern");
        shot(form, "dialog-login-sysdba.png");
        form->connectButton->click();
    }});
    session.Connect();
    EXPECT_TRUE(driver.Done());
    ASSERT_TRUE(session.Connected());
    EXPECT_EQ(shownServer, "sandbox::memory:dialog2");
    EXPECT_EQ(shownPrivilege, "Normal");
    EXPECT_EQ(afterChoosing, "SYSDBA");
    EXPECT_EQ(session.Privilege, oradb::TConnectPrivilege::SysDba);
    // Server names are compared without regard to case.
    EXPECT_EQ(dialog.RememberedPrivilege("SANDBOX::MEMORY:DIALOG"),
              oradb::TConnectPrivilege::SysDba);
    EXPECT_EQ(dialog.RememberedPrivilege("sandbox::memory:dialog2"),
              oradb::TConnectPrivilege::Normal);
    EXPECT_EQ(dialog.RememberedPrivilege("sandbox::memory:never"), std::nullopt);
}

TEST_F(ConnectDialog, AccountErrorsShowAHintUnderTheMessage) {
    {
        oradb::TOraSession system;
        system.Username = "system";
        system.Password = "lantern";
        system.Server = server;
        system.ConnectDirect();
        oradb::TOraSQL sql(&system);
        sql.SQL.Add("alter user scott account lock");
        sql.Execute();
    }
    session.Server = server;
    ShownError locked, sys;
    ModalDriver driver({ModalDriver::Login("scott", "tiger", server),
                        readError(locked, "dialog-login-locked.png"),
                        ModalDriver::Login("sys", "lantern", server),
                        readError(sys, "dialog-login-sys.png"), ModalDriver::Cancel()});
    session.Connect();
    EXPECT_TRUE(driver.Done());
    EXPECT_FALSE(session.Connected());
    EXPECT_EQ(locked.text, "ORA-28000: the account is locked");
    EXPECT_EQ(locked.hint, "Ask a DBA to unlock the account: alter user NAME account unlock.");
    EXPECT_FALSE(locked.richText); // no help line: the message stays plain text
    EXPECT_EQ(sys.text, "ORA-28009: connection as SYS should be as SYSDBA or SYSOPER");
    EXPECT_EQ(sys.hint, "Choose SYSDBA or SYSOPER under \"Connect as\" to log on as SYS.");
}

TEST_F(ConnectDialog, ConnectIdentifiersGoToTheClientAndItsErrorsKeepTheirHelpLink) {
    testing_support::StubControls stub;
    stub.instanceOptions(40);
    testing_support::OciRoute route;
    session.Server = "orcl";
    ShownError alias, service;
    ModalDriver driver(
        {ModalDriver::Login("sys", "lantern", "orcl", "SYSDBA"),
         readError(alias, "dialog-login-12154.png"),
         ModalDriver::Login("sys", "lantern", "localhost:1521/NOSUCH", "SYSDBA"),
         readError(service, "dialog-login-12514.png"),
         ModalDriver::Login("sys", "lantern", "//localhost:1521/FREEPDB1", "SYSDBA")});
    session.Connect();
    EXPECT_TRUE(driver.Done());
    ASSERT_TRUE(session.Connected());
    EXPECT_EQ(session.driver()->user(), "SYS");

    EXPECT_TRUE(alias.richText);
    EXPECT_TRUE(
        alias.text.startsWith("ORA-12154: Cannot connect to database. Cannot find alias orcl"))
        << alias.text.toStdString();
    EXPECT_FALSE(alias.text.contains("Help:")) << alias.text.toStdString();
    EXPECT_TRUE(
        alias.text.contains("<a href=\"https://docs.oracle.com/error-help/db/ora-12154/\">"))
        << alias.text.toStdString();
    EXPECT_TRUE(alias.linkOpens);
    EXPECT_EQ(alias.hint, "Check the connect identifier: a tnsnames.ora alias (TNS_ADMIN) or "
                          "host:port/service.");
    EXPECT_TRUE(service.text.startsWith("ORA-12514: ")) << service.text.toStdString();
    EXPECT_TRUE(service.text.contains("ora-12514/\">"));
    EXPECT_TRUE(service.hint.contains("lsnrctl status"));
    // The identifier is remembered as typed, with the privilege it was connected as.
    EXPECT_EQ(dialog.ServerList().value(0), "//localhost:1521/FREEPDB1");
    EXPECT_EQ(dialog.RememberedPrivilege("//LOCALHOST:1521/freepdb1"),
              oradb::TConnectPrivilege::SysDba);
    session.Disconnect();
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
