#include "monitor/WorkerThread.h"

#include "util/AppLog.h"
#include "util/HandOver.h"

#include <string>

namespace monitor {

TWorkerThread::~TWorkerThread() {
    StopAndWait();
}

void TWorkerThread::StopAndWait() {
    if (!started_ || (thread_.get_id() == std::thread::id() && finished_))
        return;
    Terminate();
    WaitFor();
}

void TWorkerThread::Start() {
    if (started_)
        return;
    started_ = true;
    thread_ = std::thread([this] { Run(); });
}

void TWorkerThread::Terminate() {
    terminated_ = true;
    if (started_ && !finished_)
        CancelRunningCall();
}

void TWorkerThread::Run() {
    try {
        Execute();
    } catch (...) {
        // Execute handles its own failures; nothing may escape the thread.
    }
    if (OnTerminate) {
        try {
            Synchronize(OnTerminate);
        } catch (...) {
            util::logCurrentException("Worker thread: end notification");
        }
    }
    finished_ = true;
    util::HandOver::instance().wake();
}

void TWorkerThread::WaitFor() {
    if (!started_)
        return;
    if (thread_.joinable()) {
        auto& handOver = util::HandOver::instance();
        if (handOver.isUiThread()) {
            // Every statement of a terminated worker is cancelled, so the wait ends when its call
            // returns; one that outlasts the deadline is written to the application log so that
            // a driver that ignores its cancel shows up.
            bool reported = false;
            while (!handOver.waitUntil([this] { return finished_.load(); }, kStopDeadline)) {
                if (!reported) {
                    reported = true;
                    util::appendAppLogSafely("a worker thread did not end within " +
                                             std::to_string(kStopDeadline.count() / 1000) +
                                             " s of its terminate request; still waiting");
                }
            }
        }
        thread_.join();
    }
}

void TWorkerThread::Synchronize(const std::function<void()>& fn) {
    util::HandOver::instance().call(fn);
}

} // namespace monitor
