// TWorkerThread: the common shape of the monitor's worker threads. Created suspended, started
// once, asked to terminate cooperatively; its terminate handler runs on the user-interface thread
// when Execute has ended. Start, Terminate and the destructor are called on the UI thread;
// Terminated may be read from any thread.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace monitor {

class TWorkerThread {
public:
    TWorkerThread() = default;
    // Asks the thread to terminate and waits for its end (serving its hand-over calls).
    virtual ~TWorkerThread();
    TWorkerThread(const TWorkerThread&) = delete;
    TWorkerThread& operator=(const TWorkerThread&) = delete;

    void Start();
    // Sets the terminate request; the thread sees it at its next check. Also interrupts a
    // statement the thread is running (see CancelRunningCall).
    void Terminate();
    bool Terminated() const { return terminated_.load(); }
    bool Started() const { return started_; }
    bool Finished() const { return finished_.load(); }
    // Waits for the end of Execute and of the terminate handler. On the UI thread the wait keeps
    // running the calls the thread hands over, so it cannot dead-lock.
    void WaitFor();

    // How long WaitFor waits before it logs a worker that does not end.
    static constexpr std::chrono::milliseconds kStopDeadline{60000};

    // Runs on the UI thread after Execute has ended.
    std::function<void()> OnTerminate;

protected:
    virtual void Execute() = 0;
    // Interrupts a database call the thread is blocked in (a worker overrides it for its query).
    virtual void CancelRunningCall() {}
    // Runs fn on the UI thread while this thread waits.
    void Synchronize(const std::function<void()>& fn);
    // Must be the first thing a derived destructor does: no virtual call reaches a half-destroyed
    // object then.
    void StopAndWait();

private:
    void Run();
    std::thread thread_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    bool started_ = false;
};

} // namespace monitor
