#include "util/AppLog.h"

#include "util/DateTimeText.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <unistd.h>

namespace util {

namespace {

std::mutex logMutex;
std::string overridePath; // guarded by logMutex

std::string executableDir() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

std::string stateDir() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state)
        return std::string(state) + "/quenby";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/state/quenby";
}

std::string defaultPath() {
    const std::string dir = executableDir();
    if (::access(dir.c_str(), W_OK) == 0)
        return dir + "/App.log";
    return stateDir() + "/App.log";
}

} // namespace

std::string appLogPath() {
    std::lock_guard lock(logMutex);
    return overridePath.empty() ? defaultPath() : overridePath;
}

void setAppLogPath(const std::string& path) {
    std::lock_guard lock(logMutex);
    overridePath = path;
}

void appendAppLog(const std::string& message) {
    std::string line = formatDateTime(now());
    line += ": ";
    // A message's own line breaks start new lines without a time stamp; every line ends in CR LF.
    for (char c : message) {
        if (c == '\n' && !line.empty() && line.back() != '\r')
            line += '\r';
        line += c;
    }
    line += "\r\n";

    std::lock_guard lock(logMutex);
    const std::string path = overridePath.empty() ? defaultPath() : overridePath;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f)
        throw std::runtime_error("Cannot open " + path + ": " + std::strerror(errno));
    const bool written = std::fwrite(line.data(), 1, line.size(), f) == line.size();
    const int savedErrno = errno;
    if (std::fclose(f) != 0 || !written)
        throw std::runtime_error("Cannot write " + path + ": " +
                                 std::strerror(written ? errno : savedErrno));
}

void appendAppLogSafely(const std::string& message) noexcept {
    static std::atomic<bool> warned{false};
    try {
        appendAppLog(message);
    } catch (const std::exception& e) {
        // The log is where failures go when nobody can be told; when it cannot be written either,
        // standard error says so once rather than on every line.
        if (!warned.exchange(true))
            std::fprintf(stderr, "quenby: the application log cannot be written: %s\n", e.what());
    } catch (...) {
        if (!warned.exchange(true))
            std::fputs("quenby: the application log cannot be written\n", stderr);
    }
}

void logCurrentException(const std::string& context) noexcept {
    try {
        throw;
    } catch (const std::exception& e) {
        appendAppLogSafely(context + ": " + e.what());
    } catch (...) {
        appendAppLogSafely(context + ": unknown error");
    }
}

} // namespace util
