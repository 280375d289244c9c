// TTextFileWriter: writes a text file line by line through a temporary file in the target's
// folder and renames it into place on Commit, so that a failed write never leaves a half-written
// file under the chosen name (and an existing file stays as it was). Every line ends with CR LF.
// Errors raise ETextFileError carrying the operating system's message. One thread at a time.
#pragma once

#include <stdexcept>
#include <string>

namespace util {

class ETextFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TTextFileWriter {
public:
    // Creates the temporary file beside `path`; raises ETextFileError when it cannot.
    explicit TTextFileWriter(std::string path);
    // Without a Commit the temporary file is removed and the target is left untouched.
    ~TTextFileWriter();
    TTextFileWriter(const TTextFileWriter&) = delete;
    TTextFileWriter& operator=(const TTextFileWriter&) = delete;

    // Appends the line and CR LF.
    void WriteLine(const std::string& line);
    // Flushes, closes and renames the file into place.
    void Commit();
    const std::string& Path() const { return path_; }

private:
    void WriteAll(const char* data, std::size_t size);
    [[noreturn]] void Fail(const std::string& what, int error);
    void Discard();
    std::string path_;
    std::string tempPath_;
    std::string buffer_;
    int fd_ = -1;
    bool committed_ = false;
};

} // namespace util
