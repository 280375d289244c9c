// TOraSession: one login to an instance, shared by the threads of the program (each thread runs
// its own TOraQuery on it). Connect and disconnect run on the user-interface thread; the driver
// calls of queries may come from any thread.
#pragma once

#include "oradb/OraDriver.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace oradb {

// The Oracle home a session's client library comes from: the default one, or one of the homes
// found on the workstation.
enum TOracleHome { ohDefault, ohHome0, ohHome1, ohHome2, ohHome3, ohHome4, ohHome5 };

class TCustomConnectDialog;

// Text lines of a statement; callers clear it and add the whole statement as one line.
class TStrings {
public:
    void Clear() { lines_.clear(); }
    void Add(const std::string& line) { lines_.push_back(line); }
    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& operator[](int i) const { return lines_.at(static_cast<std::size_t>(i)); }
    // The lines joined by line feeds.
    std::string Text() const;

private:
    std::vector<std::string> lines_;
};

class TOraSession {
public:
    TOraSession();
    ~TOraSession();
    TOraSession(const TOraSession&) = delete;
    TOraSession& operator=(const TOraSession&) = delete;

    std::string Username;
    std::string Password;
    std::string Server;
    TOracleHome Home = ohDefault;
    // SYSDBA or SYSOPER for an administrative login.
    TConnectPrivilege Privilege = TConnectPrivilege::Normal;
    bool ConnectPrompt = false;
    // Runs before a first connect attempt from the dialog (retries skip it).
    std::function<void()> BeforeConnect;

    TCustomConnectDialog* ConnectDialog() const { return dialog_; }
    void SetConnectDialog(TCustomConnectDialog* dialog);

    // With ConnectPrompt and a dialog: runs the dialog, which connects and retries by itself
    // (a cancelled dialog leaves the session unconnected). Otherwise connects directly.
    void Connect();
    // Connects with Username, Password, Server, Home and Privilege, without any dialog. Raises
    // EOraError.
    void ConnectDirect();
    void Disconnect();
    bool Connected() const { return connected_.load(); }

    // The driver session of the current connection, for queries; raises when not connected.
    std::shared_ptr<IDriverSession> driver() const;

private:
    friend class TCustomConnectDialog;
    TCustomConnectDialog* dialog_ = nullptr;
    mutable std::mutex mutex_;
    std::shared_ptr<IDriverSession> driver_; // guarded by mutex_
    std::atomic<bool> connected_{false};
    bool inDialog_ = false;
};

} // namespace oradb
