#include "oradb/LoginErrorHint.h"

namespace oradb {

std::string loginErrorHint(int code) {
    switch (code) {
    case 12154:
        return "Check the connect identifier: a tnsnames.ora alias (TNS_ADMIN) or "
               "host:port/service.";
    case 12514:
        return "The listener does not know this service name: check the services with lsnrctl "
               "status.";
    case 12541:
        return "No listener answers at this host and port: check both, and that the listener "
               "runs.";
    case 28000:
        return "Ask a DBA to unlock the account: alter user NAME account unlock.";
    case 28001:
        return "Change the expired password with a client that can, such as SQL*Plus, then log "
               "on again.";
    case 28009:
        return "Choose SYSDBA or SYSOPER under \"Connect as\" to log on as SYS.";
    default:
        return {};
    }
}

TErrorHelp splitHelpLink(const std::string& message) {
    static const std::string kPrefix = "Help: ";
    // The help line is the last line of the message; trailing line ends do not count.
    std::string text = message;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    const auto lineStart = text.rfind('\n');
    const std::size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
    const std::string line = text.substr(from);
    if (line.compare(0, kPrefix.size(), kPrefix) != 0)
        return {message, {}};
    const std::string url = line.substr(kPrefix.size());
    if (!(url.starts_with("https://") || url.starts_with("http://")) ||
        url.find_first_of(" \t\"<>") != std::string::npos)
        return {message, {}};
    text.erase(from);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return {text, url};
}

} // namespace oradb
