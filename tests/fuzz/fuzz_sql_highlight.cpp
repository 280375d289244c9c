// The Session SQL page's tokenizer, keyword marker and statement box on arbitrary text.
#include "detail/SqlHighlight.h"
#include "util/TextHelpers.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> tokens = detail::TokenizeSql(text);

    // The tokens are the text without its blanks and line breaks, none of them empty.
    std::string joined;
    for (const std::string& t : tokens) {
        if (t.empty() || t.find_first_of(" \r\n") != std::string::npos)
            std::abort();
        joined += t;
    }
    std::string expected;
    for (char c : text)
        if (c != ' ' && c != '\r' && c != '\n')
            expected += c;
    if (joined != expected)
        std::abort();

    // Marking keeps every token, in order.
    const std::vector<detail::TSqlToken> marked = detail::MarkKeywords(tokens);
    if (marked.size() != tokens.size())
        std::abort();
    for (std::size_t i = 0; i < marked.size(); ++i)
        if (marked[i].text != tokens[i])
            std::abort();

    // The statement box holds every token followed by a blank, the clause keywords on a new line.
    detail::TSqlTextModel model;
    model.WriteTokens(marked);
    std::string plain;
    for (const detail::TSqlToken& t : marked) {
        const std::string l = util::lowerAscii(t.text);
        if (t.keyword &&
            (l == "where" || l == "from" || l == "order" || l == "group" || l == "having"))
            plain += "\r\n";
        plain += t.text + " ";
    }
    if (model.PlainText() != plain)
        std::abort();
    for (std::size_t i = 1; i < model.Runs().size(); ++i)
        if (model.Runs()[i].keyword == model.Runs()[i - 1].keyword)
            std::abort(); // neighbouring runs of one colour are merged
    return 0;
}
