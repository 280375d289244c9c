#include "u_detailthread.h"

#include "monitor/u_pvclass.h"
#include "oradb/OraError.h"
#include "util/AppLog.h"

namespace detail {

TFailure ClassifyFailure(const std::exception_ptr& error, bool terminated) {
    try {
        std::rethrow_exception(error);
    } catch (const monitor::EAbandon&) {
        return {true, {}};
    } catch (const oradb::EOraCancelled& e) {
        // A statement cut short by the terminate request is the same abandon.
        return {terminated, e.what()};
    } catch (const std::exception& e) {
        return {false, e.what()};
    } catch (...) {
        return {false, "unknown error"};
    }
}

void LogLine(const std::string& line) {
    try {
        util::appendAppLog(line);
    } catch (...) {
    }
}

} // namespace detail
