// quenby-sql's command line: the output form, the login and the statements to run. Pure
// functions: any thread.
#pragma once

#include "oradb/OraDriver.h"

#include <optional>
#include <string>
#include <vector>

namespace quenby_sql {

// The usage text that quenby-sql prints on standard error for a command line it cannot use.
extern const char* const kUsage;
// What --help prints on standard output: the usage, then the exit statuses.
extern const char* const kHelp;

struct Arguments {
    bool help = false;    // --help or -h: print kHelp, nothing else is read
    bool version = false; // --version or -v: print the version, nothing else is read
    bool csv = false;     // --csv: rows as comma-separated values
    std::string username; // USER of USER/PASSWORD@SERVER, never empty
    std::string password; // PASSWORD, may be empty
    std::string server;   // SERVER, never empty
    oradb::TConnectPrivilege privilege = oradb::TConnectPrivilege::Normal; // AS SYSDBA|SYSOPER
    std::vector<std::string> statements; // empty: the statements come from standard input
};

// Reads argv[1] .. argv[argc - 1] as "[--csv] USER/PASSWORD@SERVER [AS SYSDBA|SYSOPER]
// [STATEMENT ...]", or "[--csv] --help|--version" (only `help` or `version` set); nothing when the
// command line does not have that form (the caller prints kUsage). As in SQL*Plus, "AS SYSDBA" (any
// case) may end the logon argument itself or follow it as arguments of their own. The password ends
// at the last '@', so it may contain '/' and '@'.
std::optional<Arguments> parseArguments(int argc, const char* const* argv);

} // namespace quenby_sql
