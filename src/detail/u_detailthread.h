// What the detail workers share: how the failure that ended a fetch is told apart from the
// silent abandon after a terminate request, and the application log line of a failed rendering.
// Any thread.
#pragma once

#include <exception>
#include <string>

namespace detail {

struct TFailure {
    bool silent = false; // the abandon after a terminate request
    std::string text;    // the message for the worker-error notification
};

// Classifies the exception `error` that ended a worker whose terminate request is `terminated`.
TFailure ClassifyFailure(const std::exception_ptr& error, bool terminated);

// Writes `line` to the application log; a log that cannot be written is ignored.
void LogLine(const std::string& line);

} // namespace detail
