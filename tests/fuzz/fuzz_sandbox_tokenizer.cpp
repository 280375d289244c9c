// The sandbox's Oracle SQL tokenizer on arbitrary text: tokens or an ORA- error, and tokens that
// tile the text in order.
#include "oradb/OraError.h"
#include "sandbox/OraTokenizer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view sql(reinterpret_cast<const char*>(data), size);
    namespace d = oradb::sandbox::dialect;
    d::Tokens tokens;
    try {
        tokens = d::tokenize(sql);
    } catch (const oradb::EOraError& e) {
        if (e.ErrorCode() <= 0)
            std::abort(); // the tokenizer raises Oracle errors only
        return 0;
    }
    std::size_t previousEnd = 0;
    for (const d::Token& t : tokens) {
        // Every token covers source text after the previous one.
        if (t.pos < previousEnd || t.end <= t.pos || t.end > sql.size() || t.text.empty())
            std::abort();
        previousEnd = t.end;
    }
    (void)d::render(tokens);
    try {
        const std::vector<long> match = d::matchParens(tokens);
        for (std::size_t i = 0; i < match.size(); ++i) {
            if (match[i] < 0)
                continue;
            const auto j = static_cast<std::size_t>(match[i]);
            if (j >= match.size() || match[j] != static_cast<long>(i))
                std::abort();
        }
    } catch (const oradb::EOraError& e) {
        if (e.ErrorCode() != 907 && e.ErrorCode() != 933)
            std::abort();
    }
    for (std::size_t i = 0; i < tokens.size(); i += 2)
        tokens[i].dropped = true;
    d::compact(tokens);
    (void)d::render(tokens);
    for (const d::Token& t : tokens)
        if (t.kind == d::Tok::String)
            (void)d::stringValue(t);
    return 0;
}
