// The application log "App.log": one dated line per call, for failures that happen where no
// dialog can be shown (chiefly on worker threads). Any thread may append; appends are
// serialised so that no line is torn or lost.
#pragma once

#include <string>

namespace util {

// Appends "<date> <time>: <message>" and a line end (CR LF) to the log; the file is opened and
// closed on every call. Raises std::runtime_error when the file cannot be written.
void appendAppLog(const std::string& message);

// Appends like appendAppLog for callers that must go on whatever happens (worker threads, error
// paths): a log that cannot be written is reported once on standard error instead of raised.
void appendAppLogSafely(const std::string& message) noexcept;

// Inside a catch block: logs the exception being handled as "<context>: <what>", safely.
void logCurrentException(const std::string& context) noexcept;

// Where the log is written: "App.log" beside the executable when that folder is writable,
// else $XDG_STATE_HOME/quenby/App.log (default ~/.local/state/quenby/App.log).
std::string appLogPath();

// Points the log at another file (tests); an empty path restores the default.
void setAppLogPath(const std::string& path);

} // namespace util
