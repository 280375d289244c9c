// The collectors' log files: comma-separated text, lines ended by CR LF, appended to and never
// truncated. Any thread may call these; appends of the whole program are serialised and each
// line goes out in one write, so lines of collectors sharing a file never interleave.
#pragma once

#include <string>

namespace capture {

// The header line of a new log file (without its line end).
const std::string& LogHeaderLine();

// Appends the header line when no file exists at path (which creates it); true when written.
// Raises std::runtime_error when the file cannot be created.
bool AppendHeaderIfNew(const std::string& path);
// Appends line and CR LF, opening and closing the file. Raises std::runtime_error on failure.
void AppendLogLine(const std::string& path, const std::string& line);

// Appends the lines of one fetch to one file, as AppendLogLine does, but opens the file once (at
// the first line) and keeps it open until destroyed: a fetch writes many lines.
class TLogAppender {
public:
    explicit TLogAppender(std::string path);
    ~TLogAppender();
    TLogAppender(const TLogAppender&) = delete;
    TLogAppender& operator=(const TLogAppender&) = delete;

    // Appends line and CR LF in one write. Raises std::runtime_error on failure.
    void Append(const std::string& line);

private:
    std::string path_;
    std::string text_;
    int fd_ = -1;
};

} // namespace capture
