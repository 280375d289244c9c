// The date-time text on arbitrary input: the first byte picks the locale, the rest is parsed as
// the program's date-time text and as the sandbox's ISO text. What parses formats back into text
// that parses to the same date-time.
#include "util/DateTimeText.h"

#include <QLocale>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static const std::array<QLocale, 6> locales = {
        QLocale::c(),
        QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::English, QLocale::UnitedKingdom),
        QLocale(QLocale::German, QLocale::Germany),
        QLocale(QLocale::French, QLocale::France),
        QLocale(QLocale::Japanese, QLocale::Japan)};
    static std::size_t current = locales.size();
    const std::size_t pick = data[0] % locales.size();
    if (pick != current) {
        util::setDateTimeLocale(locales[pick]);
        current = pick;
    }
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    if (const auto t = util::parseDateTime(text)) {
        const std::string again = util::formatDateTime(*t);
        const auto t2 = util::parseDateTime(again);
        if (!t2 || *t2 != *t)
            std::abort();
    }
    if (const auto t = util::fromIsoText(text)) {
        const std::string again = util::toIsoText(*t);
        const auto t2 = util::fromIsoText(again);
        if (!t2 || *t2 != *t)
            std::abort();
    }
    return 0;
}
