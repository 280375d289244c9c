#include "tools/QuenbySqlArgs.h"

#include <cstring>
#include <strings.h>

namespace quenby_sql {

const char* const kUsage =
    "usage: quenby-sql [--csv] USER/PASSWORD@SERVER [AS SYSDBA|AS SYSOPER] [STATEMENT ...]\n"
    "  Runs each STATEMENT (or, with none, the script on standard input) and prints its rows.\n"
    "  Statements end with ';' or a line holding '/', as in SQL*Plus (without either, each\n"
    "  line is one); SQL*Plus formatting commands are skipped, PROMPT prints, EXIT stops.\n"
    "  --csv   print rows as comma-separated values (RFC 4180) instead of aligned columns\n"
    "  SERVER  a net service name, host:port/service, //host/service, or 'sandbox' for the\n"
    "          embedded sandbox\n"
    "  AS SYSDBA, AS SYSOPER  log on with that administrative privilege (SYS needs one)\n"
    "  -h, --help     print this help and the exit statuses\n"
    "  -v, --version  print the version of quenby-sql and of Qt\n";

const char* const kHelp =
    "usage: quenby-sql [--csv] USER/PASSWORD@SERVER [AS SYSDBA|AS SYSOPER] [STATEMENT ...]\n"
    "       quenby-sql --help | --version\n"
    "  Runs each STATEMENT (or, with none, the script on standard input) and prints its rows.\n"
    "  Statements end with ';' or a line holding '/', as in SQL*Plus (without either, each\n"
    "  line is one); SQL*Plus formatting commands are skipped, PROMPT prints, EXIT stops.\n"
    "\n"
    "Options:\n"
    "  --csv          print rows as comma-separated values (RFC 4180) instead of aligned columns\n"
    "  -h, --help     print this help and exit\n"
    "  -v, --version  print the version of quenby-sql and of Qt and exit\n"
    "  SERVER         a net service name, host:port/service, //host/service, or 'sandbox' for\n"
    "                 the embedded sandbox\n"
    "  AS SYSDBA, AS SYSOPER  log on with that administrative privilege (SYS needs one)\n"
    "\n"
    "Exit status:\n"
    "  0  every statement ran (or the help or the version was printed)\n"
    "  1  the logon or a statement failed; the error is printed on standard error\n"
    "  2  the command line could not be used; the usage is printed on standard error\n";

namespace {

std::optional<oradb::TConnectPrivilege> privilegeWord(const std::string& word) {
    if (strcasecmp(word.c_str(), "sysdba") == 0)
        return oradb::TConnectPrivilege::SysDba;
    if (strcasecmp(word.c_str(), "sysoper") == 0)
        return oradb::TConnectPrivilege::SysOper;
    return std::nullopt;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Removes a trailing "AS SYSDBA" / "AS SYSOPER" (blanks between, any case) from the logon text.
std::optional<oradb::TConnectPrivilege> takeTrailingPrivilege(std::string& login) {
    std::size_t end = login.size();
    while (end > 0 && isBlank(login[end - 1]))
        --end;
    std::size_t wordStart = end;
    while (wordStart > 0 && !isBlank(login[wordStart - 1]))
        --wordStart;
    const auto privilege = privilegeWord(login.substr(wordStart, end - wordStart));
    if (!privilege)
        return std::nullopt;
    std::size_t asEnd = wordStart;
    while (asEnd > 0 && isBlank(login[asEnd - 1]))
        --asEnd;
    if (asEnd == wordStart || asEnd < 3 || strncasecmp(login.c_str() + asEnd - 2, "as", 2) != 0 ||
        !isBlank(login[asEnd - 3]))
        return std::nullopt;
    std::size_t loginEnd = asEnd - 2;
    while (loginEnd > 0 && isBlank(login[loginEnd - 1]))
        --loginEnd;
    login.erase(loginEnd);
    return privilege;
}

} // namespace

std::optional<Arguments> parseArguments(int argc, const char* const* argv) {
    Arguments args;
    int arg = 1;
    if (arg < argc && std::strcmp(argv[arg], "--csv") == 0) {
        args.csv = true;
        ++arg;
    }
    if (arg < argc &&
        (std::strcmp(argv[arg], "--help") == 0 || std::strcmp(argv[arg], "-h") == 0)) {
        args.help = true;
        return args;
    }
    if (arg < argc &&
        (std::strcmp(argv[arg], "--version") == 0 || std::strcmp(argv[arg], "-v") == 0)) {
        args.version = true;
        return args;
    }
    if (arg >= argc || argv[arg][0] == '-')
        return std::nullopt;
    std::string login = argv[arg++];
    if (const auto privilege = takeTrailingPrivilege(login)) {
        args.privilege = *privilege;
    } else if (arg + 1 < argc && strcasecmp(argv[arg], "as") == 0 && privilegeWord(argv[arg + 1])) {
        args.privilege = *privilegeWord(argv[arg + 1]);
        arg += 2;
    }
    const auto slash = login.find('/');
    const auto at = login.rfind('@');
    if (slash == std::string::npos || at == std::string::npos || at < slash || slash == 0 ||
        at + 1 == login.size())
        return std::nullopt;
    args.username = login.substr(0, slash);
    args.password = login.substr(slash + 1, at - slash - 1);
    args.server = login.substr(at + 1);
    args.statements.assign(argv + arg, argv + argc);
    return args;
}

} // namespace quenby_sql
