#include "util/AppLog.h"

#include "util/DateTimeText.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>
#include <vector>

namespace {

class AppLog : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("quenby-applog-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        util::setAppLogPath((dir_ / "App.log").string());
    }
    void TearDown() override {
        util::setAppLogPath("");
        std::filesystem::remove_all(dir_);
    }
    std::string content() const {
        std::ifstream in(dir_ / "App.log", std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    std::filesystem::path dir_;
};

TEST_F(AppLog, FirstAppendCreatesTheFileAndLaterOnesAddLines) {
    util::appendAppLog("Error: Refresh Locks Error");
    util::appendAppLog("Error:refresh sessionlist error");
    const std::string text = content();
    const auto first = text.find(": Error: Refresh Locks Error\r\n");
    const auto second = text.find(": Error:refresh sessionlist error\r\n");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
    // Each line starts with the date and time of writing.
    const std::string stamp = text.substr(0, first);
    EXPECT_TRUE(util::parseDateTime(stamp)) << stamp;
}

TEST_F(AppLog, AMessageEndingInALineBreakIsFollowedByAnEmptyLine) {
    util::appendAppLog("Fetch sql error :ORA-00942: table or view does not exist\r\n");
    const std::string text = content();
    EXPECT_NE(text.find("table or view does not exist\r\n\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
}

TEST_F(AppLog, ConcurrentAppendsLoseAndTearNoLine) {
    constexpr int kThreads = 8, kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i)
                util::appendAppLog("thread " + std::to_string(t) + " line " + std::to_string(i) +
                                   " " + std::string(100, static_cast<char>('a' + t)));
        });
    for (auto& th : threads)
        th.join();
    std::istringstream in(content());
    std::string line;
    std::vector<int> seen(kThreads * kLines, 0);
    int count = 0;
    while (std::getline(in, line)) {
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r');
        int t = -1, i = -1;
        const auto pos = line.find(": thread ");
        ASSERT_NE(pos, std::string::npos) << line;
        ASSERT_EQ(std::sscanf(line.c_str() + pos, ": thread %d line %d", &t, &i), 2);
        ASSERT_EQ(line.substr(line.size() - 101, 100),
                  std::string(100, static_cast<char>('a' + t)));
        ++seen[static_cast<std::size_t>(t * kLines + i)];
        ++count;
    }
    EXPECT_EQ(count, kThreads * kLines);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), kThreads * kLines);
}

TEST_F(AppLog, AnUnwritableLocationRaises) {
    util::setAppLogPath("/proc/quenby-no-such-dir/App.log");
    EXPECT_THROW(util::appendAppLog("x"), std::runtime_error);
}

} // namespace
