// TActivityReader: reads the activity history for the Activity page on a thread of its own, so
// that a long range never holds the window: each read runs between two batches of the store's
// writer, its result is handed to the user-interface thread by a posted call. One read at a
// time; a read asked for meanwhile runs after it (only the latest one). Made, used and
// destroyed on the UI thread.
#pragma once

#include "history/HistoryStore.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

struct sqlite3;

namespace history {

class TActivityReader {
public:
    // Runs on the reader thread with the store's connection.
    using TWork = std::function<void(sqlite3* db)>;
    // Runs on the UI thread once the work has run.
    using TDone = std::function<void()>;

    TActivityReader() = default;
    // Waits for the running read.
    ~TActivityReader();
    TActivityReader(const TActivityReader&) = delete;
    TActivityReader& operator=(const TActivityReader&) = delete;

    void Read(std::shared_ptr<THistoryStore> store, TWork work, TDone done);
    bool Busy() const { return busy_; }

private:
    struct TRequest {
        std::shared_ptr<THistoryStore> store;
        TWork work;
        TDone done;
    };
    void Start(TRequest request);
    std::thread thread_;
    bool busy_ = false;
    std::optional<TRequest> pending_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace history
