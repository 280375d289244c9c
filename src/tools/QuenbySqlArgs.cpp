#include "tools/QuenbySqlArgs.h"

#include <cstring>

namespace quenby_sql {

const char* const kUsage =
    "usage: quenby-sql [--csv] USER/PASSWORD@SERVER [STATEMENT ...]\n"
    "  Runs each STATEMENT (or, with none, each line of standard input) and prints its rows.\n"
    "  --csv   print rows as comma-separated values (RFC 4180) instead of aligned columns\n"
    "  SERVER  a net service name, host:port/service, or 'sandbox' for the embedded sandbox\n";

std::optional<Arguments> parseArguments(int argc, const char* const* argv) {
    Arguments args;
    int arg = 1;
    if (arg < argc && std::strcmp(argv[arg], "--csv") == 0) {
        args.csv = true;
        ++arg;
    }
    if (arg >= argc || argv[arg][0] == '-')
        return std::nullopt;
    const std::string login = argv[arg++];
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
