// The login given at start (quenby --connect USER@SERVER): with the password it connects without
// the login form; a wrong password leaves the form open with the error over it; without a
// password the form asks for it. Offscreen, against the sandbox instance.
#include "gui/MainWindow.h"
#include "gui/dialogs/ConnectForm.h"
#include "oradb/OraConnectDialog.h"
#include "support/ModalDriver.h"
#include "support/WindowRig.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

using testing_support::ListFetched;
using testing_support::ModalDriver;
using testing_support::shot;
using testing_support::waitFor;

class StartLogin : public testing_support::WindowTest {
protected:
    void SetUp() override {
        name = TestName();
        OpenInstanceAndWindow(server());
    }
    std::string server() const { return "sandbox::memory:" + name; }
    void Given(std::optional<std::string> password) {
        window->Monitor().SetStartLogin({"system", server(), std::move(password)});
    }
    // A step checking the login form the start login left open, then cancelling it.
    static ModalDriver::Step
    CheckFormThenCancel(const std::function<void(oradb::TConnectForm*)>& check) {
        return ModalDriver::Step(
            [check](QWidget* w) {
                auto* form = qobject_cast<oradb::TConnectForm*>(w);
                ASSERT_NE(form, nullptr);
                check(form);
                form->cancelButton->click();
            },
            [](QWidget* w) { return qobject_cast<oradb::TConnectForm*>(w) != nullptr; });
    }
};

TEST_F(StartLogin, PasswordFromTheEnvironmentConnectsWithoutTheFormAndShowsTheSessions) {
    Given(std::string("lantern"));
    // No step: a login form or message box would be left unanswered.
    ModalDriver driver({});
    window->show();
    ASSERT_TRUE(waitFor([&] { return window->Monitor().Connected(); }));
    ASSERT_TRUE(waitFor([&] { return ListFetched(*window); }));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(window->windowTitle().endsWith(QString::fromStdString("(system@" + server() + ")")))
        << window->windowTitle().toStdString();
    EXPECT_GT(window->SessionList()->model()->rowCount(), 0);
    EXPECT_FALSE(window->Monitor().HasStartLogin());
    shot(window.get(), QStringLiteral("start_login_connected"));
}

TEST_F(StartLogin, WrongPasswordShowsTheErrorOverTheFilledForm) {
    Given(std::string("not-the-password"));
    ModalDriver driver({});
    QString errorShown;
    driver.Add(ModalDriver::Step(
        [&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            errorShown = box->text();
            shot(box->parentWidget(), QStringLiteral("start_login_wrong_password_form"));
            shot(box, QStringLiteral("start_login_wrong_password_error"));
            box->accept();
        },
        [](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; }));
    driver.Add(CheckFormThenCancel([&](oradb::TConnectForm* form) {
        EXPECT_EQ(form->usernameEdit->text(), QStringLiteral("system"));
        EXPECT_EQ(form->serverCombo->currentText().toStdString(), server());
        EXPECT_EQ(form->focusWidget(), form->passwordEdit);
    }));
    window->show();
    ASSERT_TRUE(waitFor([&] { return driver.Done(); }, 60000));
    ASSERT_TRUE(waitFor([&] { return QApplication::activeModalWidget() == nullptr; }));
    EXPECT_TRUE(errorShown.startsWith(QStringLiteral("ORA-01017"))) << errorShown.toStdString();
    EXPECT_FALSE(window->Monitor().Connected());
}

TEST_F(StartLogin, WithoutPasswordTheFormAsksForIt) {
    Given(std::nullopt);
    ModalDriver driver({ModalDriver::Step(
        [&](QWidget* w) {
            auto* form = qobject_cast<oradb::TConnectForm*>(w);
            ASSERT_NE(form, nullptr);
            EXPECT_EQ(form->usernameEdit->text(), QStringLiteral("system"));
            EXPECT_EQ(form->serverCombo->currentText().toStdString(), server());
            EXPECT_TRUE(form->passwordEdit->text().isEmpty());
            EXPECT_EQ(form->focusWidget(), form->passwordEdit);
            shot(form, QStringLiteral("start_login_password_asked"));
            // The user types the password and connects.
            form->passwordEdit->setText(QStringLiteral("lantern"));
            form->connectButton->click();
        },
        [](QWidget* w) { return qobject_cast<oradb::TConnectForm*>(w) != nullptr; })});
    window->show();
    ASSERT_TRUE(waitFor([&] { return window->Monitor().Connected(); }, 60000));
    ASSERT_TRUE(waitFor([&] { return ListFetched(*window); }));
    EXPECT_TRUE(driver.Done());
    EXPECT_TRUE(window->windowTitle().endsWith(QString::fromStdString("(system@" + server() + ")")))
        << window->windowTitle().toStdString();
}

TEST_F(StartLogin, ServesTheFirstLoginOnly) {
    Given(std::string("lantern"));
    ModalDriver driver({});
    window->show();
    ASSERT_TRUE(waitFor([&] { return ListFetched(*window); }));
    window->DisconnectSequence(false);
    ASSERT_FALSE(window->Monitor().Connected());
    // The next login asks as usual, with what the first one remembered.
    driver.Add(CheckFormThenCancel([&](oradb::TConnectForm* form) {
        EXPECT_EQ(form->usernameEdit->text(), QStringLiteral("system"));
        EXPECT_TRUE(form->passwordEdit->text().isEmpty());
    }));
    window->ConnectSequence();
    EXPECT_TRUE(driver.Done());
    EXPECT_FALSE(window->Monitor().Connected());
}

} // namespace
