#include "monitor/SessionRecords.h"

#include <strings.h>

namespace monitor {

std::string TNameValueList::Name(int i) const {
    const std::string& line = Line(i);
    return line.substr(0, line.find('='));
}

int TNameValueList::IndexOfName(std::string_view name) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string& line = lines_[i];
        const auto eq = line.find('=');
        const std::size_t len = eq == std::string::npos ? line.size() : eq;
        if (len == name.size() && strncasecmp(line.data(), name.data(), len) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

std::string TNameValueList::Value(std::string_view name) const {
    const int i = IndexOfName(name);
    if (i < 0)
        return {};
    const std::string& line = lines_[static_cast<std::size_t>(i)];
    const auto eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

} // namespace monitor
