// quenby-sql's command line on arbitrary arguments: the input's NUL-separated pieces are argv[1..].
#include "tools/QuenbySqlArgs.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> pieces{"quenby-sql"};
    std::string piece;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            pieces.push_back(piece);
            piece.clear();
        } else {
            piece += static_cast<char>(data[i]);
        }
    }
    if (size > 0)
        pieces.push_back(piece);
    std::vector<const char*> argv;
    for (const std::string& p : pieces)
        argv.push_back(p.c_str());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(pieces.size());

    const auto args = quenby_sql::parseArguments(argc, argv.data());
    if (!args)
        return 0;
    // --help and --version (or -h, -v) stand alone after an optional --csv and set nothing else.
    if (args->help || args->version) {
        const std::size_t at = pieces.size() > 1 && pieces[1] == "--csv" ? 2 : 1;
        const char* longName = args->help ? "--help" : "--version";
        const char* shortName = args->help ? "-h" : "-v";
        if ((args->help && args->version) || at >= pieces.size() ||
            (pieces[at] != longName && pieces[at] != shortName) || !args->username.empty() ||
            !args->statements.empty())
            std::abort();
        return 0;
    }
    // The login is USER/PASSWORD@SERVER exactly, or followed by AS SYSDBA|SYSOPER in the same
    // argument or in the next two; the statements are the arguments after it.
    const std::size_t loginIndex = args->csv ? 2 : 1;
    if (loginIndex >= pieces.size() || args->username.empty() || args->server.empty() ||
        args->username.find('/') != std::string::npos ||
        args->server.find('@') != std::string::npos)
        std::abort();
    const std::string login = args->username + "/" + args->password + "@" + args->server;
    std::size_t first = loginIndex + 1;
    if (args->privilege == oradb::TConnectPrivilege::Normal) {
        if (login != pieces[loginIndex])
            std::abort();
    } else if (login == pieces[loginIndex]) {
        if (first + 1 >= pieces.size() || strcasecmp(pieces[first].c_str(), "as") != 0)
            std::abort();
        first += 2;
    } else if (pieces[loginIndex].compare(0, login.size(), login) != 0 ||
               strcasestr(pieces[loginIndex].c_str() + login.size(), "as") == nullptr) {
        std::abort();
    }
    const char* word = args->privilege == oradb::TConnectPrivilege::SysDba ? "sysdba" : "sysoper";
    if (args->privilege != oradb::TConnectPrivilege::Normal &&
        strcasestr(pieces[first - 1].c_str(), word) == nullptr)
        std::abort();
    if (args->statements.size() != pieces.size() - first)
        std::abort();
    for (std::size_t i = 0; i < args->statements.size(); ++i)
        if (args->statements[i] != pieces[first + i])
            std::abort();
    return 0;
}
