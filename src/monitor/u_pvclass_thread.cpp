#include "u_pvclass_thread.h"

#include "util/HandOver.h"

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
        if (handOver.isUiThread())
            handOver.waitUntil([this] { return finished_.load(); });
        thread_.join();
    }
}

void TWorkerThread::Synchronize(const std::function<void()>& fn) {
    util::HandOver::instance().call(fn);
}

} // namespace monitor
