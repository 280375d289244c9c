// The one error type of the data-access layer: an Oracle error code and the message text.
// Any thread may raise or catch it.
#pragma once

#include <stdexcept>
#include <string>

namespace oradb {

class EOraError : public std::runtime_error {
public:
    // An Oracle error: the message reads "ORA-" + five-digit code + ": " + text.
    EOraError(int code, const std::string& text);
    // A failure of the layer itself (no Oracle code): the message is the text as given.
    explicit EOraError(const std::string& message);

    // The Oracle error number (942 for ORA-00942); 0 when the error is not from Oracle.
    int ErrorCode() const noexcept { return code_; }
    // The whole message text, as shown to the user.
    std::string Message() const { return what(); }

    // Formats "ORA-00942: table or view does not exist" from 942 and the text.
    static std::string format(int code, const std::string& text);

private:
    int code_ = 0;
};

// A fetch or statement abandoned because its caller asked it to stop (TOraQuery::Cancel).
// ORA-01013 is what Oracle reports for a user-requested cancel.
class EOraCancelled : public EOraError {
public:
    EOraCancelled() : EOraError(1013, "user requested cancel of current operation") {}
};

} // namespace oradb
