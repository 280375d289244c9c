#include "history/ActivityReader.h"

#include "util/AppLog.h"
#include "util/HandOver.h"

namespace history {

TActivityReader::~TActivityReader() {
    if (thread_.joinable())
        thread_.join();
}

void TActivityReader::Read(std::shared_ptr<THistoryStore> store, TWork work, TDone done) {
    TRequest request{std::move(store), std::move(work), std::move(done)};
    if (busy_) {
        pending_ = std::move(request);
        return;
    }
    Start(std::move(request));
}

void TActivityReader::Start(TRequest request) {
    if (thread_.joinable())
        thread_.join(); // the previous read has ended: its result was handed over
    busy_ = true;
    std::weak_ptr<int> alive = alive_;
    thread_ = std::thread([this, alive, request = std::move(request)] {
        try {
            if (request.store)
                request.store->Read(request.work);
        } catch (const std::exception& e) {
            util::appendAppLogSafely(std::string("Activity history read failed: ") + e.what());
        }
        util::HandOver::instance().post([this, alive, done = request.done] {
            if (!alive.lock())
                return;
            busy_ = false;
            if (done)
                done();
            if (pending_ && !busy_) {
                TRequest next = std::move(*pending_);
                pending_.reset();
                Start(std::move(next));
            }
        });
    });
}

} // namespace history
