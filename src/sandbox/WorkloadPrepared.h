// Internal parts of Workload shared by its source files: one session's rows before they are
// written, and the prepared statements that write them.
#pragma once

#include "sandbox/Workload.h"

namespace oradb::sandbox::detail {

struct WaitState {
    std::string event;
    std::int64_t p1 = 0, p2 = 0, p3 = 0;
    std::int64_t waitTime = 0;
    std::int64_t secondsInWait = 0;
    std::string state;
};

struct Workload::SessionRow {
    std::int64_t sid = 0, serial = 0, audsid = 0, userNo = 0, command = 0;
    std::string saddr, paddr, username, taddr, lockwait;
    std::string status = "INACTIVE";
    std::string schemaName, osuser, process, machine, terminal, program;
    std::string type = "USER";
    const SqlStatement* current = nullptr;
    const SqlStatement* previous = nullptr;
    std::string module, action, clientInfo, clientIdentifier;
    std::string serviceName = "PROD";
    std::int64_t fixedSequence = 0;
    std::int64_t rowWaitObj = -1, rowWaitFile = 0, rowWaitBlock = 0, rowWaitRow = 0;
    std::string logonTime;
    std::int64_t lastCallEt = 0;
    std::string consumerGroup;
    std::int64_t seq = 1;
    WaitState wait;
    std::vector<const SqlStatement*> cursors;
};

struct Workload::Prepared {
    Prepared(sqlite3* db, std::size_t statCount);

    static std::string statisticsInsert(std::size_t statCount);

    std::string statisticsSql;
    Stmt insertSession;
    Stmt insertWait;
    Stmt insertCursor;
    Stmt insertEvent;
    Stmt insertStatistics; // one session's rows at once
    Stmt addStatistic;
    Stmt addEventWait;
    Stmt insertEventWait;
    Stmt updateWait;
    Stmt metaGet;
    Stmt metaSet;
    Stmt insertLock;
};

} // namespace oradb::sandbox::detail
