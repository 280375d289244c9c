// Support for the capture tests: a monitor logged on to a fresh sandbox, the capture controller
// with an injected clock and recorded message boxes, and helpers that wait for the capture's
// threads and read log files.
#pragma once

#include "capture/ServerComponent.h"
#include "capture/SqlCapture.h"
#include "monitor/MonitorSupport.h"
#include "oradb/OraError.h"
#include "oradb/OraQuery.h"
#include "sandbox/SandboxInstance.h"
#include "util/HandOver.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace testing_support {

// The name of the running test, for sandbox and file names.
inline std::string testName(const std::string& suffix = "") {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "." + info->name() + suffix;
}

inline std::vector<std::vector<std::string>> rows(oradb::TOraSession* session,
                                                  const std::string& sql) {
    oradb::TOraQuery q(session);
    q.SQL.Add(sql);
    q.Open();
    std::vector<std::vector<std::string>> out;
    for (; !q.Eof(); q.Next()) {
        std::vector<std::string> row;
        for (int i = 0; i < q.FieldCount(); ++i)
            row.push_back(q.Fields(i).AsString());
        out.push_back(std::move(row));
    }
    return out;
}

inline void run(oradb::TOraSession* session, const std::string& sql) {
    oradb::TOraSQL s(session);
    s.SQL.Add(sql);
    s.Execute();
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The lines of a CR LF text, without their line ends.
inline std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "text after the last line end";
    return lines;
}

// A monitor logged on as SYSTEM to a sandbox of its own and the capture over it.
// A scheduled definition writing `name`.sql in `logDir`, whose window began an hour before
// `clock` and lasts two hours, sampled every 5 s.
inline capture::TCollectorDefinition ScheduledCollector(const std::string& name, int kind,
                                                        const std::string& value,
                                                        const std::string& logDir,
                                                        util::TDateTime clock) {
    capture::TCollectorDefinition d;
    d.name = name;
    d.kind = kind;
    d.value = value;
    d.sessionAddress = "0";
    d.logDir = logDir;
    d.logFileName = name + ".sql";
    d.scheduled = 1;
    const util::DateTimeParts p = util::decodeDateTime(clock - 1.0 / 24);
    d.startDate = util::dayNumber(p.year, p.month, p.day);
    d.startHour = p.hour;
    d.startMinute = p.minute;
    d.runTimePeriod = 7200;
    d.monitorSampling = 5;
    return d;
}

struct CaptureRig {
    std::shared_ptr<oradb::sandbox::Instance> instance;
    MonitorRig rig;
    capture::TCaptureSql capture{rig.monitor};
    std::vector<std::string> warnings, messages;
    util::TDateTime clock = util::now();
    QTemporaryDir dir;

    explicit CaptureRig(const std::string& name = testName(), int sessions = 40) {
        instance = openInstance(name, sessions);
        capture.Now = [this] { return clock; };
        capture.ShowWarning = [this](const std::string& t) { warnings.push_back(t); };
        capture.ShowMessage = [this](const std::string& t) { messages.push_back(t); };
    }
    ~CaptureRig() {
        capture.Stop();
        if (rig.monitor.Connected())
            rig.monitor.Disconnect();
    }
    std::string Server() const {
        return "sandbox::memory:" + instance->key().substr(std::string("memory:").size());
    }
    bool Login() {
        capture.NewList();
        if (!rig.LoginAs("system", "lantern", Server()))
            return false;
        capture.LoadCollectors();
        return true;
    }
    oradb::TOraSession* Session() { return rig.monitor.Session(); }
    bool Install() {
        capture::TServerComponent component;
        return component.Install(Session(), "", capture.Present);
    }
    // Waits until every capture thread has ended, then handles their completion messages.
    bool WaitForThreads() {
        const bool ended = util::HandOver::instance().waitUntil(
            [this] { return capture.ThreadsFinished(); }, std::chrono::seconds(60));
        util::HandOver::instance().runPosted();
        return ended && !capture.OpencursorRunning() && capture.FetchesRunning() == 0;
    }
    std::string Path(const std::string& file) const {
        return dir.path().toStdString() + "/" + file;
    }
    // A scheduled definition whose window began an hour before the clock and lasts two hours.
    capture::TCollectorDefinition Scheduled(const std::string& name, int kind,
                                            const std::string& value) const {
        return ScheduledCollector(name, kind, value, dir.path().toStdString(), clock);
    }
};

} // namespace testing_support
