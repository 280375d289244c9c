// Holding a sandbox call at its start: a test orders an event (a cancel, a page switch, a second
// request) against a running call without a timed delay. The gate counts the calls whose
// statement contains its marker (case ignored) and, while closed, holds each one at its
// start until Release (or for at most 60 s, so that a test gone wrong ends).
#pragma once

#include "oradb/OraQuery.h"
#include "sandbox/SandboxInstance.h"
#include "util/HandOver.h"

#include <cctype>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <string>

namespace testing_support {

class CallGate {
public:
    // `arrived` runs on the calling thread after each counted arrival (a waiter's wake-up).
    CallGate(std::string marker, bool hold, std::function<void()> arrived = {})
        : marker_(upper(std::move(marker))), released_(!hold), arrived_(std::move(arrived)) {}
    ~CallGate() { Release(); }
    CallGate(const CallGate&) = delete;
    CallGate& operator=(const CallGate&) = delete;

    // The hook to install on the instance; it lives as long as the gate.
    const std::function<void(const std::string&)> hook = [this](const std::string& sql) {
        if (upper(sql).find(marker_) == std::string::npos)
            return;
        std::unique_lock lock(mutex_);
        ++count_;
        changed_.notify_all();
        if (arrived_) {
            lock.unlock();
            arrived_();
            lock.lock();
        }
        changed_.wait_for(lock, std::chrono::seconds(60), [this] { return released_; });
    };
    // Waits up to 60 s until `count` calls have arrived.
    bool WaitArrived(int count = 1) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(60),
                                 [this, count] { return count_ >= count; });
    }
    // Lets every held call and every later one through.
    void Release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    int Arrived() {
        std::lock_guard lock(mutex_);
        return count_;
    }

private:
    static std::string upper(std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    }
    const std::string marker_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
    bool released_;
    const std::function<void()> arrived_;
};

// A gate installed on a sandbox instance for the life of the object, for tests on the
// user-interface thread: its wait keeps serving the workers' hand-over calls, since a worker may
// hand one over before its call reaches the gate. At its end the gate opens and leaves the
// instance.
class InstanceGate {
public:
    InstanceGate(oradb::sandbox::Instance& instance, std::string marker, bool hold = true)
        : instance_(instance),
          gate_(std::move(marker), hold, [] { util::HandOver::instance().wake(); }) {
        instance_.setCallHook(gate_.hook);
    }
    // Waits up to 60 s until `count` calls have arrived.
    bool WaitArrived(int count = 1) {
        return util::HandOver::instance().waitUntil(
            [this, count] { return gate_.Arrived() >= count; }, std::chrono::seconds(60));
    }
    void Release() { gate_.Release(); }
    int Arrived() { return gate_.Arrived(); }
    ~InstanceGate() {
        gate_.Release();
        instance_.setCallHook({});
    }
    InstanceGate(const InstanceGate&) = delete;
    InstanceGate& operator=(const InstanceGate&) = delete;

private:
    oradb::sandbox::Instance& instance_;
    CallGate gate_;
};

// The error code a call running on another thread ended with (-1: none); 0 when it did not end
// within 30 s of its cancel (it is cancelled once more then, so that the thread ends and the
// test can go on).
inline int endedWith(std::future<int>& call, oradb::TOraQuery& query) {
    if (call.wait_for(std::chrono::seconds(30)) == std::future_status::ready)
        return call.get();
    ADD_FAILURE() << "the call did not end within 30 s of its cancel";
    query.Cancel();
    call.wait();
    return 0;
}

} // namespace testing_support
