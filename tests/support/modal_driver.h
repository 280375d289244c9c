// Answers the modal dialogs a test opens, as a user would: each step acts on the dialog that has
// become the active modal widget (the login form, a message box over it, ...).
#pragma once

#include "oradb/dialogs/OraConnectForm.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace testing_support {

// Answers the modal dialogs that appear, in order: each step gets the active modal widget.
class ModalDriver : public QObject {
public:
    using Step = std::function<void(QWidget*)>;
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
                      const std::string& server) {
        return [=](QWidget* w) {
            auto* form = qobject_cast<oradb::TConnectForm*>(w);
            ASSERT_NE(form, nullptr);
            form->edUsername->setText(QString::fromStdString(user));
            form->edPassword->setText(QString::fromStdString(password));
            form->edServer->setEditText(QString::fromStdString(server));
            form->btConnect->click();
        };
    }
    static Step Cancel() {
        return [](QWidget* w) {
            auto* form = qobject_cast<oradb::TConnectForm*>(w);
            ASSERT_NE(form, nullptr);
            form->btCancel->click();
        };
    }
    // A step closing a message box.
    Step Acknowledge() {
        return [this](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            messages.push_back(box->text());
            box->accept();
        };
    }

private:
    // Acts on a modal widget when it becomes the active one: a new dialog, or a form that is
    // active again after the message box shown over it has closed.
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || steps_.empty() || modal == last_.data())
            return;
        last_ = modal;
        Step step = std::move(steps_.front());
        steps_.pop_front();
        // Run the step outside the timer's slot, as the user's click would come.
        QPointer<QWidget> target(modal);
        QTimer::singleShot(0, this, [step, target] {
            if (target)
                step(target.data());
        });
    }
    std::deque<Step> steps_;
    QTimer timer_;
    QPointer<QWidget> last_;
};

} // namespace testing_support
