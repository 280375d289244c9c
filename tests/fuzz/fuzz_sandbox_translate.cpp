// The sandbox's dialect translator on arbitrary text: one statement in, a translation or an
// Oracle error out. Any other exception escapes and counts as a crash.
#include "oradb/OraError.h"
#include "sandbox/OraDialect.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The public synonyms of a sandbox on which the capture is installed.
    static const oradb::sandbox::SynonymMap synonyms = {
        {"public_qby_capturesql", "qby_capturesql"},
        {"public_qby_sqlcollector", "qby_sqlcollector"}};
    const std::string_view sql(reinterpret_cast<const char*>(data), size);
    try {
        const oradb::sandbox::Translation t = oradb::sandbox::translate(sql, synonyms);
        switch (t.kind) {
        case oradb::sandbox::StmtKind::Select:
        case oradb::sandbox::StmtKind::Insert:
        case oradb::sandbox::StmtKind::Update:
        case oradb::sandbox::StmtKind::Delete:
        case oradb::sandbox::StmtKind::CreateTable:
            if (t.sql.empty())
                std::abort(); // these kinds always carry SQLite text
            break;
        default:
            break;
        }
    } catch (const oradb::EOraError& e) {
        // Only Oracle's errors: "ORA-nnnnn: text".
        if (e.ErrorCode() <= 0 || std::strncmp(e.what(), "ORA-", 4) != 0)
            std::abort();
    }
    return 0;
}
