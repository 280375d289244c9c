// What the login dialog adds under an Oracle error: a one-line hint for the errors a DBA meets
// when logging on, and the help page that Oracle 23 appends to its messages, split from the
// text. Pure functions: any thread.
#pragma once

#include <string>

namespace oradb {

// The hint for a logon error code; empty when there is none.
std::string loginErrorHint(int code);

// A message without its "Help: URL" line, and that URL (empty when the message has none).
struct TErrorHelp {
    std::string message;
    std::string helpUrl;
};
TErrorHelp splitHelpLink(const std::string& message);

} // namespace oradb
