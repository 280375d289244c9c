#include "oradb/DbCallClock.h"

namespace oradb {

TDbCallClock& TDbCallClock::instance() {
    static TDbCallClock clock;
    return clock;
}

void TDbCallClock::Enter() {
    std::lock_guard lock(mutex_);
    if (active_++ == 0)
        since_ = Clock::now();
}

void TDbCallClock::Leave() {
    std::lock_guard lock(mutex_);
    if (active_ > 0 && --active_ == 0)
        busy_ += Clock::now() - since_;
}

TDbCallClock::Clock::duration TDbCallClock::Busy() {
    std::lock_guard lock(mutex_);
    return active_ > 0 ? busy_ + (Clock::now() - since_) : busy_;
}

} // namespace oradb
