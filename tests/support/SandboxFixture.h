// A sandbox instance held for a test, stepped by hand, and a session logged on to it.
#pragma once

#include "oradb/OraQuery.h"
#include "oradb/OraSession.h"
#include "sandbox/SandboxInstance.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace testing_support {

// Opens a fresh in-memory instance named after the running test, without the ticking thread.
inline std::shared_ptr<oradb::sandbox::Instance> openTestInstance(const std::string& suffix = "",
                                                                  int sessions = 40) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(info->test_suite_name()) + "." + info->name() + suffix;
    oradb::sandbox::InstanceOptions options;
    options.sessions = sessions;
    options.autoTick = false;
    return oradb::sandbox::Instance::open("sandbox::memory:" + name, options);
}

inline std::string serverOf(const oradb::sandbox::Instance& instance) {
    return "sandbox::memory:" + instance.key().substr(std::string("memory:").size());
}

// Runs a query and returns every row as texts (AsString of each field).
inline std::vector<std::vector<std::string>> rowsOf(oradb::TOraSession& session,
                                                    const std::string& sql) {
    oradb::TOraQuery q(&session);
    q.SQL.Add(sql);
    q.Open();
    std::vector<std::vector<std::string>> rows;
    for (; !q.Eof(); q.Next()) {
        std::vector<std::string> row;
        for (int i = 0; i < q.FieldCount(); ++i)
            row.push_back(q.Fields(i).AsString());
        rows.push_back(std::move(row));
    }
    return rows;
}

class SandboxTest : public ::testing::Test {
protected:
    void SetUp() override {
        instance = openTestInstance();
        session.Username = "system";
        session.Password = "lantern";
        session.Server = serverOf(*instance);
        session.ConnectDirect();
    }
    std::string value(const std::string& sql) {
        const auto rows = rowsOf(session, sql);
        return rows.empty() || rows[0].empty() ? std::string() : rows[0][0];
    }
    std::shared_ptr<oradb::sandbox::Instance> instance;
    oradb::TOraSession session;
};

} // namespace testing_support
