#include "oradb/OraError.h"

#include <cstdio>

namespace oradb {

std::string EOraError::format(int code, const std::string& text) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "ORA-%05d: ", code);
    return prefix + text;
}

EOraError::EOraError(int code, const std::string& text)
    : std::runtime_error(format(code, text)), code_(code) {}

EOraError::EOraError(const std::string& message) : std::runtime_error(message) {}

} // namespace oradb
