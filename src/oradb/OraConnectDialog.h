// TCustomConnectDialog: the login dialog component a TOraSession runs when it connects with its
// prompt on. It keeps the last user name and server of the application, the history of servers
// and the privilege each server was last connected as in the user's settings, and shows a login
// form (the widget part, supplied by a derived class).
// User-interface thread only.
#pragma once

#include "oradb/OraDriver.h"
#include "oradb/OraError.h"

#include <QSettings>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace oradb {

class TOraSession;

// A login given when the program starts (quenby --connect USER@SERVER): the user and the server,
// and the password when the environment gave one.
struct TGivenLogin {
    std::string username;
    std::string server;
    std::optional<std::string> password;
};

class TCustomConnectDialog {
public:
    enum TLabelSet { lsEnglish, lsCustom };

    TCustomConnectDialog();
    virtual ~TCustomConnectDialog();
    TCustomConnectDialog(const TCustomConnectDialog&) = delete;
    TCustomConnectDialog& operator=(const TCustomConnectDialog&) = delete;

    TOraSession* Session() const { return session_; }
    // Attaches the dialog to a session (done by TOraSession::SetConnectDialog).
    void SetSession(TOraSession* session) { session_ = session; }

    // The texts of the form; assigning any of them switches the label set to custom.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v);
    const std::string& UsernameLabel() const { return usernameLabel_; }
    void SetUsernameLabel(const std::string& v);
    const std::string& PasswordLabel() const { return passwordLabel_; }
    void SetPasswordLabel(const std::string& v);
    const std::string& ServerLabel() const { return serverLabel_; }
    void SetServerLabel(const std::string& v);
    const std::string& PrivilegeLabel() const { return privilegeLabel_; }
    void SetPrivilegeLabel(const std::string& v);
    const std::string& ConnectButton() const { return connectButton_; }
    void SetConnectButton(const std::string& v);
    const std::string& CancelButton() const { return cancelButton_; }
    void SetCancelButton(const std::string& v);
    TLabelSet LabelSet() const { return labelSet_; }
    void SetLabelSet(TLabelSet set);

    unsigned short Retries = 3;
    bool SavePassword = false;
    bool StoreLogInfo = true;
    bool ReadAliases = false;
    std::string DialogClass;
    // The application's title, naming its settings key.
    std::string ApplicationTitle = "Quenby";
    // Whether an Oracle client is installed; when none is and no server was ever remembered,
    // the Server field proposes the sandbox instance.
    std::function<bool()> ClientInstalled;
    // A login given at start: its user and server replace the remembered ones. With a password,
    // Execute connects without showing the form, and shows it only when that fails, with the
    // fields filled and the error over it; without one, the form asks for the password.
    std::optional<TGivenLogin> GivenLogin;
    // The error of the connection Execute tried before showing the form; the form shows it first.
    const std::optional<EOraError>& PendingError() const { return pendingError_; }

    // Runs the login: loads the remembered values, shows the form, stores them after a successful
    // connection. True when the session ended up connected. Raises when no session is attached.
    bool Execute();
    // The servers used before, most recent first (empty when none were stored).
    QStringList ServerList() const;
    // The privilege the last successful login to `server` asked for (case of the name ignored);
    // nothing when none was stored.
    std::optional<TConnectPrivilege> RememberedPrivilege(const std::string& server) const;

protected:
    // Shows the login form modally; true when it closed with OK.
    virtual bool ShowForm() = 0;

private:
    void StoreHistory();

    TOraSession* session_ = nullptr;
    std::optional<EOraError> pendingError_;
    std::string caption_, usernameLabel_, passwordLabel_, serverLabel_, privilegeLabel_,
        connectButton_, cancelButton_;
    TLabelSet labelSet_ = lsEnglish;
};

// The names of the privileges as the login form offers them: "Normal", "SYSDBA", "SYSOPER".
const char* privilegeName(TConnectPrivilege privilege);
// The privilege of a name (case ignored); nothing for another text.
std::optional<TConnectPrivilege> privilegeFromName(const std::string& name);

// The settings store of the login dialog ("Quenby" organisation, user scope).
std::unique_ptr<QSettings> connectSettings();

} // namespace oradb
