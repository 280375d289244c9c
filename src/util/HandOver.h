// The hand-over of calls from worker threads to the user-interface thread. A worker either runs
// a call on the UI thread and waits for it (call), or queues one without waiting (post, for the
// posted window messages). The UI thread runs them from its event loop, woken through an eventfd
// watched by a QSocketNotifier, and also while it waits for a worker (waitUntil), so that a worker
// blocked in call() can never dead-lock the UI thread that waits for it.
// Create the one instance on the UI thread (HandOver::install) before starting any worker.
#pragma once

#include <QObject>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QSocketNotifier;

namespace util {

class HandOver final : public QObject {
    Q_OBJECT
public:
    // Creates the instance for the calling thread, which becomes the UI thread. Idempotent.
    static HandOver& install();
    // The installed instance; install() must have run.
    static HandOver& instance();
    ~HandOver() override;

    bool isUiThread() const { return std::this_thread::get_id() == uiThread_; }

    // Runs fn on the UI thread and returns when it has run; an exception fn raises is raised
    // again here. On the UI thread itself fn runs at once.
    void call(const std::function<void()>& fn);
    // Queues fn for the UI thread's event loop and returns at once (a posted message). Posted
    // calls run in order, never inside waitUntil.
    void post(std::function<void()> fn);

    // UI thread: runs queued synchronous calls until done() holds or the timeout passes;
    // returns done()'s last value. Workers that change what done() tests call wake(). Every
    // caller names its deadline: no wait of the UI thread is without one.
    bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // Wakes a UI thread blocked in waitUntil so that it tests its condition again.
    void wake();

    // UI thread: runs every queued synchronous call, then every posted call.
    void runPending();
    // UI thread: runs the posted calls only (what the event loop does with posted messages).
    void runPosted();

private:
    HandOver();
    struct SyncCall {
        const std::function<void()>* fn;
        std::exception_ptr error;
        bool done = false;
    };
    void signal();
    void runSyncCalls(std::unique_lock<std::mutex>& lock);

    std::thread::id uiThread_;
    int eventFd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    std::mutex mutex_;
    std::condition_variable uiWake_;     // the UI thread waits on it
    std::condition_variable workerWake_; // workers wait on it for their call to be done
    std::deque<SyncCall*> calls_;
    std::uint64_t wakeCount_ = 0;
    std::deque<std::function<void()>> posted_;
};

} // namespace util
