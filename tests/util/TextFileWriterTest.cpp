// TTextFileWriter: lines with CR LF, renamed into place only when complete, failures with the
// operating system's message.
#include "util/TextFileWriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> entries(const QTemporaryDir& dir) {
    std::vector<std::string> names;
    for (const QString& n : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
        names.push_back(n.toStdString());
    return names;
}

TEST(TextFileWriter, WritesLinesWithCarriageReturnAndLineFeedOnCommit) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("out.log")).toStdString();
    {
        util::TTextFileWriter file(path);
        file.WriteLine("first");
        file.WriteLine("");
        file.WriteLine("third ü");
        // Nothing under the name before the commit.
        EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
        file.Commit();
    }
    EXPECT_EQ(readFile(path), "first\r\n\r\nthird \xc3\xbc\r\n");
    EXPECT_EQ(entries(dir), std::vector<std::string>{"out.log"});
}

TEST(TextFileWriter, WithoutCommitNothingIsLeftAndAnExistingFileStays) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("keep.txt")).toStdString();
    std::ofstream(path, std::ios::binary) << "old";
    {
        util::TTextFileWriter file(path);
        file.WriteLine("new");
    }
    EXPECT_EQ(readFile(path), "old");
    EXPECT_EQ(entries(dir), std::vector<std::string>{"keep.txt"});
}

TEST(TextFileWriter, AFolderThatDoesNotExistReportsTheSystemMessage) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("none/out.log")).toStdString();
    try {
        util::TTextFileWriter file(path);
        ADD_FAILURE() << "created";
    } catch (const util::ETextFileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create file \"" + path + "\". No such file or directory");
    }
}

TEST(TextFileWriter, AWriteFailingHalfwayLeavesNoHalfWrittenFile) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("big.log")).toStdString();
    std::ofstream(path, std::ios::binary) << "previous export";
    // A file size limit makes the write fail with the system's "File too large".
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 100000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    std::string message;
    try {
        util::TTextFileWriter file(path);
        for (int i = 0; i < 20000; ++i)
            file.WriteLine("a line of an export that grows past the limit");
        file.Commit();
    } catch (const util::ETextFileError& e) {
        message = e.what();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(message, "Cannot write file \"" + path + "\". File too large");
    EXPECT_EQ(readFile(path), "previous export");
    EXPECT_EQ(entries(dir), std::vector<std::string>{"big.log"});
}

} // namespace
