// quenby-sql's command line on arbitrary arguments: the input's NUL-separated pieces are argv[1..].
#include "tools/QuenbySqlArgs.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
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
    // The login is USER/PASSWORD@SERVER exactly; the statements are the arguments after it.
    const std::size_t loginIndex = args->csv ? 2 : 1;
    if (loginIndex >= pieces.size() || args->username.empty() || args->server.empty() ||
        args->username.find('/') != std::string::npos ||
        args->server.find('@') != std::string::npos ||
        args->username + "/" + args->password + "@" + args->server != pieces[loginIndex] ||
        args->statements.size() != pieces.size() - loginIndex - 1)
        std::abort();
    for (std::size_t i = 0; i < args->statements.size(); ++i)
        if (args->statements[i] != pieces[loginIndex + 1 + i])
            std::abort();
    return 0;
}
