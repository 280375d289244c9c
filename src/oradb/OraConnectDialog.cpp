#include "oradb/OraConnectDialog.h"

#include "oradb/OraError.h"
#include "oradb/OraSession.h"

#include <QSettings>
#include <QUrl>
#include <strings.h>

namespace oradb {

namespace {

const QString kConnectKey = QStringLiteral("OraAccess/Connect");

QString appKey(const std::string& title) {
    return kConnectKey + QLatin1Char('/') + QString::fromStdString(title);
}

bool sameIgnoringCase(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The settings key of the privilege a server was connected as. Servers are named without regard
// to case; the name is percent-encoded because "//host/service" would otherwise make groups.
QString privilegeKey(const std::string& title, const std::string& server) {
    return appKey(title) + QStringLiteral("/ConnectAs/") +
           QString::fromLatin1(QUrl::toPercentEncoding(QString::fromStdString(server).toLower()));
}

} // namespace

const char* privilegeName(TConnectPrivilege privilege) {
    switch (privilege) {
    case TConnectPrivilege::SysDba:
        return "SYSDBA";
    case TConnectPrivilege::SysOper:
        return "SYSOPER";
    case TConnectPrivilege::Normal:
        break;
    }
    return "Normal";
}

std::optional<TConnectPrivilege> privilegeFromName(const std::string& name) {
    for (const auto p :
         {TConnectPrivilege::Normal, TConnectPrivilege::SysDba, TConnectPrivilege::SysOper})
        if (strcasecmp(name.c_str(), privilegeName(p)) == 0)
            return p;
    return std::nullopt;
}

std::unique_ptr<QSettings> connectSettings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Quenby"), QStringLiteral("Quenby"));
}

TCustomConnectDialog::TCustomConnectDialog() {
    SetLabelSet(lsEnglish);
}

TCustomConnectDialog::~TCustomConnectDialog() {
    if (session_ && session_->ConnectDialog() == this)
        session_->SetConnectDialog(nullptr);
}

void TCustomConnectDialog::SetLabelSet(TLabelSet set) {
    labelSet_ = set;
    if (set == lsEnglish) {
        caption_ = "Connect";
        usernameLabel_ = "User Name";
        passwordLabel_ = "Password";
        serverLabel_ = "Server";
        privilegeLabel_ = "Connect as";
        connectButton_ = "Connect";
        cancelButton_ = "Cancel";
    }
}

void TCustomConnectDialog::SetCaption(const std::string& v) {
    caption_ = v;
    labelSet_ = lsCustom;
}
void TCustomConnectDialog::SetUsernameLabel(const std::string& v) {
    usernameLabel_ = v;
    labelSet_ = lsCustom;
}
void TCustomConnectDialog::SetPasswordLabel(const std::string& v) {
    passwordLabel_ = v;
    labelSet_ = lsCustom;
}
void TCustomConnectDialog::SetServerLabel(const std::string& v) {
    serverLabel_ = v;
    labelSet_ = lsCustom;
}
void TCustomConnectDialog::SetPrivilegeLabel(const std::string& v) {
    privilegeLabel_ = v;
    labelSet_ = lsCustom;
}
void TCustomConnectDialog::SetConnectButton(const std::string& v) {
    connectButton_ = v;
    labelSet_ = lsCustom;
}
void TCustomConnectDialog::SetCancelButton(const std::string& v) {
    cancelButton_ = v;
    labelSet_ = lsCustom;
}

QStringList TCustomConnectDialog::ServerList() const {
    QStringList list;
    const auto settings = connectSettings();
    for (int i = 1;; ++i) {
        const QString key = kConnectKey + QStringLiteral("/Server") + QString::number(i);
        if (!settings->contains(key))
            break;
        list << settings->value(key).toString();
    }
    return list;
}

std::optional<TConnectPrivilege>
TCustomConnectDialog::RememberedPrivilege(const std::string& server) const {
    const auto settings = connectSettings();
    const QString key = privilegeKey(ApplicationTitle, server);
    if (!settings->contains(key))
        return std::nullopt;
    return privilegeFromName(settings->value(key).toString().toStdString());
}

bool TCustomConnectDialog::Execute() {
    if (!session_)
        throw EOraError("Connection is not defined.");
    TOraSession& s = *session_;
    const std::string oldUser = s.Username, oldPassword = s.Password, oldServer = s.Server;
    const TConnectPrivilege oldPrivilege = s.Privilege;

    bool serverRemembered = false;
    if (StoreLogInfo) {
        const auto settings = connectSettings();
        const QString key = appKey(ApplicationTitle);
        if (settings->contains(key + QStringLiteral("/Username")))
            s.Username =
                settings->value(key + QStringLiteral("/Username")).toString().toStdString();
        if (!SavePassword ||
            QString::fromStdString(s.Username)
                    .compare(QString::fromStdString(oldUser), Qt::CaseInsensitive) != 0)
            s.Password.clear();
        if (settings->contains(key + QStringLiteral("/Server"))) {
            s.Server = settings->value(key + QStringLiteral("/Server")).toString().toStdString();
            serverRemembered = true;
        }
        if (const auto privilege = RememberedPrivilege(s.Server))
            s.Privilege = *privilege;
    }
    if (GivenLogin) {
        s.Username = GivenLogin->username;
        s.Server = GivenLogin->server;
        s.Password = GivenLogin->password.value_or(std::string());
        s.Privilege = RememberedPrivilege(s.Server).value_or(TConnectPrivilege::Normal);
        serverRemembered = true;
    }
    // A newcomer without an Oracle client can log in to the sandbox at once.
    if (!serverRemembered && s.Server.empty() && ServerList().isEmpty() &&
        !(ClientInstalled && ClientInstalled()))
        s.Server = "sandbox";

    // A given password is tried at once; the form comes only when it fails.
    pendingError_.reset();
    bool connected = false;
    if (GivenLogin && GivenLogin->password) {
        try {
            if (s.BeforeConnect)
                s.BeforeConnect();
            s.ConnectDirect();
            connected = true;
        } catch (const EOraError& e) {
            pendingError_ = e;
        }
    }
    const bool ok = (connected || ShowForm()) && s.Connected();
    pendingError_.reset();
    if (ok && StoreLogInfo) {
        {
            const auto settings = connectSettings();
            const QString key = appKey(ApplicationTitle);
            settings->setValue(key + QStringLiteral("/Username"),
                               QString::fromStdString(s.Username));
            settings->setValue(key + QStringLiteral("/Server"), QString::fromStdString(s.Server));
            settings->setValue(privilegeKey(ApplicationTitle, s.Server),
                               QString::fromLatin1(privilegeName(s.Privilege)));
        }
        StoreHistory();
    }
    if (!ok) {
        s.Username = oldUser;
        s.Password = oldPassword;
        s.Server = oldServer;
        s.Privilege = oldPrivilege;
    }
    return ok;
}

void TCustomConnectDialog::StoreHistory() {
    const QStringList previous = ServerList();
    const QString server = QString::fromStdString(session_->Server);
    const auto settings = connectSettings();
    int n = 1;
    settings->setValue(kConnectKey + QStringLiteral("/Server1"), server);
    for (const QString& p : previous)
        if (!sameIgnoringCase(p, server))
            settings->setValue(kConnectKey + QStringLiteral("/Server") + QString::number(++n), p);
    // Entries beyond the new end are gone, so that the list stays numbered without gaps.
    for (int i = n + 1;
         settings->contains(kConnectKey + QStringLiteral("/Server") + QString::number(i)); ++i)
        settings->remove(kConnectKey + QStringLiteral("/Server") + QString::number(i));
}

} // namespace oradb
