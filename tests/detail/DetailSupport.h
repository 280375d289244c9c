// Support for the detail monitor tests: a monitor logged in to a sandbox instance (simulator
// stepped by hand) with the detail threads registered and their observers attached.
#pragma once

#include "detail/SessionDetails.h"
#include "detail/SessionStatistics.h"
#include "detail/SessionWaits.h"
#include "monitor/MonitorSupport.h"

#include <gtest/gtest.h>

namespace testing_support {

// Counts the notifications by code.
struct CodeCounter final : monitor::IPvObserver {
    std::map<int, int> counts;
    std::vector<int> order;
    void Update(monitor::TPvConnection&, int code) override {
        ++counts[code];
        order.push_back(code);
    }
};

class DetailTest : public ::testing::Test {
protected:
    void SetUp() override {
        name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        instance = openInstance(name);
        rig = std::make_unique<MonitorRig>();
        details = std::make_shared<detail::TSessDetailsObserver>(rig->monitor, detailsList);
        statistics =
            std::make_shared<detail::TSessStatisticsObserver>(rig->monitor, statisticsList);
        waits = std::make_shared<detail::TSessWaitsObserver>(rig->monitor, eventsList, currentList);
        currentList.SetColumns(detail::TSessWaitsObserver::CurrentWaitColumns());
        rig->monitor.Attach(waits);
        rig->monitor.Attach(details);
        rig->monitor.Attach(statistics);
        rig->monitor.Attach(codes);
        detail::RegisterDetailsThread(rig->monitor);
        detail::RegisterStatisticsThread(rig->monitor);
        detail::RegisterWaitsThread(rig->monitor);
        rig->Connect("sandbox::memory:" + name);
    }
    void TearDown() override {
        if (rig && rig->monitor.Connected())
            rig->monitor.Disconnect();
        rig.reset();
    }
    // Waits until the worker of `kind` has ended and its notifications have been handled.
    bool WaitIdle(monitor::TWorkerKind kind) {
        return util::HandOver::instance().waitUntil(
            [&] {
                auto* t = rig->monitor.Thread(kind);
                return !rig->monitor.Running(kind) && (!t || t->Finished());
            },
            std::chrono::seconds(30));
    }
    // Selects the session with this sid.
    void Select(const std::string& sid) {
        rig->monitor.SelectedSid = sid;
        ASSERT_GE(rig->monitor.LocateSelectedSession(), 0) << sid;
    }
    // A user session (not background, not ours) listed by the last refresh.
    std::string UserSid(int skip = 0) {
        for (const auto& s : rig->monitor.Sessions)
            if (s.basic.fields[monitor::bfType] == "USER" &&
                s.basic.fields[monitor::bfProgram].rfind("quenby", 0) != 0 && skip-- == 0)
                return std::string(s.Key());
        return {};
    }
    std::string One(const std::string& sql) {
        const auto rows = instance->sqliteRows(sql);
        return rows.empty() || rows[0].empty() ? std::string() : rows[0][0];
    }
    void Refresh() {
        rig->monitor.Refresh();
        ASSERT_TRUE(rig->WaitForList());
    }

    std::string name;
    std::shared_ptr<oradb::sandbox::Instance> instance;
    std::unique_ptr<MonitorRig> rig;
    detail::TDetailListModel detailsList, statisticsList, eventsList, currentList;
    std::shared_ptr<detail::TSessDetailsObserver> details;
    std::shared_ptr<detail::TSessStatisticsObserver> statistics;
    std::shared_ptr<detail::TSessWaitsObserver> waits;
    std::shared_ptr<CodeCounter> codes = std::make_shared<CodeCounter>();
};

} // namespace testing_support
