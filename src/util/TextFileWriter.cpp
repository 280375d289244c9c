#include "util/TextFileWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace util {

namespace {
// Lines are gathered and written in blocks of this size.
constexpr std::size_t kBlock = 64 * 1024;
} // namespace

TTextFileWriter::TTextFileWriter(std::string path) : path_(std::move(path)) {
    tempPath_ = path_ + ".XXXXXX";
    std::vector<char> name(tempPath_.begin(), tempPath_.end());
    name.push_back('\0');
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) {
        const int error = errno;
        tempPath_.clear();
        Fail("Cannot create file", error);
    }
    tempPath_.assign(name.data());
    // mkstemp makes the file private; the export gets the permissions of a newly created file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, 0666 & ~mask);
}

TTextFileWriter::~TTextFileWriter() {
    if (!committed_)
        Discard();
}

void TTextFileWriter::WriteLine(const std::string& line) {
    buffer_ += line;
    buffer_ += "\r\n";
    if (buffer_.size() >= kBlock) {
        WriteAll(buffer_.data(), buffer_.size());
        buffer_.clear();
    }
}

void TTextFileWriter::Commit() {
    if (committed_)
        return;
    WriteAll(buffer_.data(), buffer_.size());
    buffer_.clear();
    if (::fsync(fd_) != 0)
        Fail("Cannot write file", errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        Fail("Cannot write file", errno);
    if (::rename(tempPath_.c_str(), path_.c_str()) != 0)
        Fail("Cannot create file", errno);
    committed_ = true;
}

void TTextFileWriter::WriteAll(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail("Cannot write file", errno);
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

void TTextFileWriter::Fail(const std::string& what, int error) {
    Discard();
    throw ETextFileError(what + " \"" + path_ + "\". " + std::strerror(error));
}

void TTextFileWriter::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty())
        ::unlink(tempPath_.c_str());
    tempPath_.clear();
}

} // namespace util
