#include "util/HandOver.h"

#include <QSocketNotifier>
#include <cstdint>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>

namespace util {

namespace {
std::mutex instanceMutex;
HandOver* theInstance = nullptr; // guarded by instanceMutex
} // namespace

HandOver& HandOver::install() {
    std::lock_guard lock(instanceMutex);
    if (!theInstance)
        theInstance = new HandOver();
    return *theInstance;
}

HandOver& HandOver::instance() {
    std::lock_guard lock(instanceMutex);
    if (!theInstance)
        throw std::logic_error("HandOver::install() has not run on the UI thread");
    return *theInstance;
}

HandOver::HandOver() : uiThread_(std::this_thread::get_id()) {
    eventFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (eventFd_ < 0)
        throw std::runtime_error("eventfd failed");
    notifier_ = new QSocketNotifier(eventFd_, QSocketNotifier::Read, this);
    QObject::connect(notifier_, &QSocketNotifier::activated, this, [this] {
        std::uint64_t value = 0;
        while (::read(eventFd_, &value, sizeof value) > 0) {
        }
        runPending();
    });
}

HandOver::~HandOver() {
    delete notifier_;
    ::close(eventFd_);
}

void HandOver::signal() {
    const std::uint64_t one = 1;
    // A full counter already means "wake up"; nothing is lost when the write fails.
    [[maybe_unused]] const auto written = ::write(eventFd_, &one, sizeof one);
}

void HandOver::call(const std::function<void()>& fn) {
    if (isUiThread()) {
        fn();
        return;
    }
    SyncCall sc{&fn, nullptr, false};
    std::unique_lock lock(mutex_);
    calls_.push_back(&sc);
    uiWake_.notify_all();
    signal();
    workerWake_.wait(lock, [&] { return sc.done; });
    if (sc.error)
        std::rethrow_exception(sc.error);
}

void HandOver::post(std::function<void()> fn) {
    std::lock_guard lock(mutex_);
    posted_.push_back(std::move(fn));
    signal();
}

void HandOver::wake() {
    std::lock_guard lock(mutex_);
    ++wakeCount_;
    uiWake_.notify_all();
}

void HandOver::runSyncCalls(std::unique_lock<std::mutex>& lock) {
    while (!calls_.empty()) {
        SyncCall* sc = calls_.front();
        calls_.pop_front();
        lock.unlock();
        try {
            (*sc->fn)();
        } catch (...) {
            sc->error = std::current_exception();
        }
        lock.lock();
        sc->done = true;
        workerWake_.notify_all();
    }
}

bool HandOver::waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(mutex_);
    for (;;) {
        runSyncCalls(lock);
        // A wake() between testing done() and waiting must not be lost: compare its count.
        const std::uint64_t seen = wakeCount_;
        lock.unlock();
        const bool finished = done();
        lock.lock();
        if (finished)
            return true;
        if (!calls_.empty() || wakeCount_ != seen)
            continue;
        if (uiWake_.wait_until(lock, deadline) == std::cv_status::timeout && calls_.empty()) {
            lock.unlock();
            return done();
        }
    }
}

void HandOver::runPending() {
    {
        std::unique_lock lock(mutex_);
        runSyncCalls(lock);
    }
    runPosted();
}

void HandOver::runPosted() {
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard lock(mutex_);
            if (posted_.empty())
                return;
            fn = std::move(posted_.front());
            posted_.pop_front();
        }
        fn();
    }
}

} // namespace util
