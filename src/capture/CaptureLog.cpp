#include "capture/CaptureLog.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace capture {

namespace {

std::mutex& logMutex() {
    static std::mutex m;
    return m;
}

int openForAppend(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("Cannot open file \"" + path + "\". " + std::strerror(errno));
    return fd;
}

// Writes the whole text to fd, which was opened for appending.
void writeAll(int fd, const std::string& path, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::runtime_error("Cannot write file \"" + path + "\". " + std::strerror(errno));
        done += static_cast<std::size_t>(n);
    }
}

// Opens for appending (creating the file), writes the text in one call and closes.
void appendLocked(const std::string& path, const std::string& text) {
    const int fd = openForAppend(path);
    try {
        writeAll(fd, path, text);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
}

} // namespace

const std::string& LogHeaderLine() {
    static const std::string header =
        "\"username\",\"program\",\"machine\",\"osuser\",\"Sorts\",\"Parse_calls\","
        "\"executions\",\"loads\",\"rows_processed\",\"first_load_time\",\"SQL\"";
    return header;
}

bool AppendHeaderIfNew(const std::string& path) {
    std::lock_guard lock(logMutex());
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return false;
    appendLocked(path, LogHeaderLine() + "\r\n");
    return true;
}

void AppendLogLine(const std::string& path, const std::string& line) {
    std::lock_guard lock(logMutex());
    appendLocked(path, line + "\r\n");
}

TLogAppender::TLogAppender(std::string path) : path_(std::move(path)) {}

TLogAppender::~TLogAppender() {
    try {
        Flush();
    } catch (const std::exception&) {
        // The failure that ended the fetch is the one reported.
    }
    if (fd_ >= 0)
        ::close(fd_);
}

void TLogAppender::Append(std::string_view line) {
    text_.append(line);
    text_ += "\r\n";
    if (text_.size() >= kBatch)
        Flush();
}

void TLogAppender::Flush() {
    if (text_.empty())
        return;
    // A batch that fails is not tried again.
    const std::string batch = std::exchange(text_, std::string());
    std::lock_guard lock(logMutex());
    if (fd_ < 0)
        fd_ = openForAppend(path_);
    writeAll(fd_, path_, batch);
}

} // namespace capture
