// Answers the modal dialogs a test opens, as a user would: each step acts on the dialog that has
// become the active modal widget (the login form, a message box over it, ...).
#pragma once

#include "gui/dialogs/ConnectForm.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <type_traits>
#include <vector>

namespace testing_support {

// Answers the modal dialogs that appear, in order: each step gets the active modal widget. A step
// may say which widgets it is for (a message box, the login form); it then waits for one, so that
// the dialog under a message box, active again for a moment between two boxes, is not taken for
// the next box. A modal widget that no step answers for a long time fails the test and is closed,
// so that a test gone wrong ends instead of waiting for ever.
class ModalDriver : public QObject {
public:
    struct Step {
        template <class F>
        requires std::is_invocable_v<F&, QWidget*> Step(F act) : act(std::move(act)) {}
        Step(std::function<void(QWidget*)> act, std::function<bool(QWidget*)> accepts)
            : act(std::move(act)), accepts(std::move(accepts)) {}
        std::function<void(QWidget*)> act;
        std::function<bool(QWidget*)> accepts; // empty: any modal widget
    };
    static constexpr int kUnansweredLimitMs = 60000;

    explicit ModalDriver(std::deque<Step> steps) : steps_(std::move(steps)) {
        timer_.setInterval(2);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
        timer_.start();
    }
    bool Done() const { return steps_.empty(); }
    void Add(Step step) { steps_.push_back(std::move(step)); }
    std::vector<QString> messages; // texts of the message boxes answered

    // A step typing into the login form and pressing its connect button.
    static Step Login(const std::string& user, const std::string& password,
                      const std::string& server, const char* connectAs = "Normal") {
        return Step(
            [=](QWidget* w) {
                auto* form = qobject_cast<oradb::TConnectForm*>(w);
                ASSERT_NE(form, nullptr);
                form->usernameEdit->setText(QString::fromStdString(user));
                form->passwordEdit->setText(QString::fromStdString(password));
                form->serverCombo->setEditText(QString::fromStdString(server));
                form->privilegeCombo->setCurrentText(QString::fromLatin1(connectAs));
                form->connectButton->click();
            },
            isA<oradb::TConnectForm>);
    }
    static Step Cancel() {
        return Step(
            [](QWidget* w) {
                auto* form = qobject_cast<oradb::TConnectForm*>(w);
                ASSERT_NE(form, nullptr);
                form->cancelButton->click();
            },
            isA<oradb::TConnectForm>);
    }
    // A step closing a message box.
    Step Acknowledge() {
        return Step(
            [this](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                ASSERT_NE(box, nullptr);
                messages.push_back(box->text());
                box->accept();
            },
            isA<QMessageBox>);
    }

private:
    template <class T>
    static bool isA(QWidget* w) {
        return qobject_cast<T*>(w) != nullptr;
    }

    // Acts on a modal widget when it becomes the active one: a new dialog, or a form that is
    // active again after the message box shown over it has closed.
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == last_.data()) {
            unanswered_.invalidate();
            return;
        }
        if (steps_.empty() || (steps_.front().accepts && !steps_.front().accepts(modal))) {
            if (!unanswered_.isValid())
                unanswered_.start();
            else if (unanswered_.elapsed() > kUnansweredLimitMs)
                giveUp(modal);
            return;
        }
        unanswered_.invalidate();
        last_ = modal;
        Step step = std::move(steps_.front());
        steps_.pop_front();
        // Run the step outside the timer's slot, as the user's click would come.
        QPointer<QWidget> target(modal);
        QTimer::singleShot(0, this, [act = std::move(step.act), target] {
            if (target)
                act(target.data());
        });
    }
    void giveUp(QWidget* modal) {
        ADD_FAILURE() << "a modal window was left unanswered: "
                      << modal->windowTitle().toStdString() << " "
                      << modal->metaObject()->className();
        unanswered_.invalidate();
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }
    std::deque<Step> steps_;
    QTimer timer_;
    QPointer<QWidget> last_;
    QElapsedTimer unanswered_;
};

} // namespace testing_support
