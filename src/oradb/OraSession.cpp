#include "oradb/OraSession.h"

#include "oradb/OraConnectDialog.h"
#include "oradb/OraError.h"

namespace oradb {

std::string TStrings::Text() const {
    std::string text;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i)
            text += '\n';
        text += lines_[i];
    }
    return text;
}

TOraSession::TOraSession() = default;

TOraSession::~TOraSession() {
    if (dialog_)
        dialog_->SetSession(nullptr);
    Disconnect();
}

void TOraSession::SetConnectDialog(TCustomConnectDialog* dialog) {
    if (dialog_)
        dialog_->SetSession(nullptr);
    dialog_ = dialog;
    if (dialog_)
        dialog_->SetSession(this);
}

void TOraSession::Connect() {
    if (ConnectPrompt && dialog_ && !inDialog_) {
        inDialog_ = true;
        try {
            dialog_->Execute();
        } catch (...) {
            inDialog_ = false;
            throw;
        }
        inDialog_ = false;
        return;
    }
    ConnectDirect();
}

void TOraSession::ConnectDirect() {
    Disconnect();
    std::shared_ptr<IDriverSession> d =
        connectDriver({Username, Password, Server, static_cast<int>(Home), Privilege});
    std::lock_guard lock(mutex_);
    driver_ = std::move(d);
    connected_ = true;
}

void TOraSession::Disconnect() {
    std::shared_ptr<IDriverSession> old;
    {
        std::lock_guard lock(mutex_);
        old.swap(driver_);
        connected_ = false;
    }
    // The driver session closes when the last query still using it lets go.
}

std::shared_ptr<IDriverSession> TOraSession::driver() const {
    std::lock_guard lock(mutex_);
    if (!driver_)
        throw EOraError(3114, "not connected to ORACLE");
    return driver_;
}

} // namespace oradb
