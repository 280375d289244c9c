// Two program instances on one sandbox file: while this one captures, the capture table's
// exclusive lock refuses another process's lock with ORA-00054; disabling releases it.
#include "CaptureSupport.h"

#include <QTemporaryDir>
#include <cstdio>

namespace {

using namespace testing_support;

// Runs quenby-sql in a process of its own and returns what it printed (both streams).
std::string runQuenbySql(const std::string& connect, const std::string& statement) {
    const std::string command =
        std::string("'") + QUENBY_SQL_PATH + "' '" + connect + "' \"" + statement + "\" 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return "popen failed";
    std::string out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

TEST(SecondInstance, AnotherProcessCannotLockTheCaptureTableWhileCaptureRuns) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string server = "sandbox:" + dir.path().toStdString() + "/capture.db";
    oradb::sandbox::InstanceOptions options;
    options.autoTick = false;
    const auto instance = oradb::sandbox::Instance::open(server, options);
    MonitorRig rig;
    ASSERT_TRUE(rig.LoginAs("system", "lantern", server));
    capture::TCaptureSql capture(rig.monitor);
    capture::TServerComponent component;
    ASSERT_TRUE(component.Install(rig.monitor.Session(), "", capture.Present));
    ASSERT_TRUE(capture.ToggleCapture());

    const std::string connect = "system/lantern@" + server;
    const std::string lock = "lock table public_qby_capturesql in exclusive mode nowait";
    const std::string refused = runQuenbySql(connect, lock);
    EXPECT_NE(refused.find("ORA-00054: resource busy and acquire with NOWAIT specified"),
              std::string::npos)
        << refused;

    ASSERT_TRUE(capture.ToggleCapture()); // commit: the lock goes
    const std::string granted = runQuenbySql(connect, lock);
    EXPECT_EQ(granted.find("ORA-"), std::string::npos) << granted;
    capture.Stop();
    rig.monitor.Disconnect();
}

} // namespace
