// quenby-sql's script reader on arbitrary text: it ends, and every statement it gives is text of
// the input (or an EXEC call wrapped in a block, or text with substitution variables replaced)
// without its terminator and never blank.
#include "tools/SqlScript.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const quenby_sql::ScriptItem& item : quenby_sql::splitScript(text)) {
        if (item.kind != quenby_sql::ScriptItem::Kind::Statement)
            continue;
        if (item.text.find_first_not_of(" \t\r\n\f") == std::string::npos)
            std::abort();
        // (substitution variables change the text)
        if (item.text.rfind("begin ", 0) != 0 && text.find('&') == std::string_view::npos &&
            text.find(item.text) == std::string_view::npos)
            std::abort();
    }
    return 0;
}
