// The collectors' log files: comma-separated text, lines ended by CR LF, appended to and never
// truncated. Any thread may call these; appends of the whole program are serialised and each
// line goes out in one write, so lines of collectors sharing a file never interleave.
#pragma once

#include <string>
#include <string_view>

namespace capture {

// The header line of a new log file (without its line end).
const std::string& LogHeaderLine();

// Appends the header line when no file exists at path (which creates it); true when written.
// Raises std::runtime_error when the file cannot be created.
bool AppendHeaderIfNew(const std::string& path);
// Appends line and CR LF, opening and closing the file. Raises std::runtime_error on failure.
void AppendLogLine(const std::string& path, const std::string& line);

// Appends the lines of one fetch to one file, as AppendLogLine does, but opens the file once (at
// the first write) and keeps it open until destroyed, and writes the lines in batches of about
// 64 KB: a fetch writes many lines, and a write per line would be a system call per line under
// the lock that all collectors' logs share.
class TLogAppender {
public:
    explicit TLogAppender(std::string path);
    // Writes what is still buffered (a fetch that ended on an error keeps the lines before it);
    // a failure here is not reported: call Flush to see it.
    ~TLogAppender();
    TLogAppender(const TLogAppender&) = delete;
    TLogAppender& operator=(const TLogAppender&) = delete;

    // Adds the line and CR LF. Raises std::runtime_error when a batch cannot be written.
    void Append(std::string_view line);
    // Writes the buffered lines. Raises std::runtime_error on failure.
    void Flush();

private:
    static constexpr std::size_t kBatch = 65536;
    std::string path_;
    std::string text_;
    int fd_ = -1;
};

} // namespace capture
