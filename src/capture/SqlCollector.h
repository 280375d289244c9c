// TSqlCollector: one SQL collector, its stored definition and its run-time state, with the texts
// built from a definition (capture condition, fetch filter, the "By what" caption). Definition
// fields and samples belong to the user-interface thread; sqls and the last fetch time are also
// written by the collector's fetch thread and are atomic for that reason.
#pragma once

#include "util/DateTimeText.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace capture {

using util::TDateTime;

// The filter kinds, as stored in colsid.
enum TFilterKind : int {
    fkSession,
    fkUser,
    fkOsuser,
    fkMachine,
    fkTerminal,
    fkProgram,
    fkModule,
    fkAction,
    fkClientInfo,
    fkCount
};

// "Session", "User", ... "Client Info"; empty for a kind outside 0 to 8.
std::string KindCaption(int kind);

// The definition of a collector, as the table and the dialog hold it.
struct TCollectorDefinition {
    std::string name;
    int kind = fkSession;
    std::string value; // the sid as text for kind Session
    std::string sessionAddress = "0";
    std::string logDir;
    std::string logFileName;
    int scheduled = 0;
    std::int64_t startDate = 0; // day number (1 January 0001 is day 1)
    int startHour = 0;
    int startMinute = 0;
    int runTimePeriod = 1800; // seconds
    int monitorSampling = 5;  // seconds
};

class TFetchSqltextThread;

class TSqlCollector {
public:
    std::int32_t identifier = 0;
    TCollectorDefinition def;

    // Run-time state (not stored).
    std::atomic<TDateTime> lastFetchTime{0};    // watermark, written by the fetch thread
    TDateTime lastSampleTime = 0;               // user-interface thread
    int samples = 0;                            // user-interface thread
    std::atomic<int> sqls{0};                   // written by the fetch thread
    std::string fetchFilter;                    // user-interface thread
    TFetchSqltextThread* fetchThread = nullptr; // the running fetch, none when idle

    // The log file's path: directory, separator, file name.
    std::string LogPath() const;
    // The start of the window: start date at start hour and minute.
    TDateTime WindowStart() const;
};

using TSqlCollectorPtr = std::shared_ptr<TSqlCollector>;
using TSqlCollectorList = std::vector<TSqlCollectorPtr>;

// The collector's part of the capture block's combined condition ("1<>1" for an unknown kind).
std::string CaptureCondition(const TCollectorDefinition& def);
// The collector's filter of its fetch query; empty for an unknown kind (no fetch).
std::string FetchFilter(const TCollectorDefinition& def);

// How the dialog shows a number of seconds: the entry (1 to 59) and the unit index
// (0 Seconds, 1 Minutes, 2 Hours), by the three tests in order, a later match winning.
struct TPeriodDisplay {
    int entry = 0;
    int unit = 0;
};
TPeriodDisplay PeriodDisplay(int seconds);
// Seconds of an entry (1 to 59) in a unit (0 Seconds, 1 Minutes, 2 Hours).
int PeriodSeconds(int entry, int unit);

// Why a folder cannot take the log files, naming the folder and the cause; empty when it can
// (it exists, is a folder and a file can be created in it).
std::string LogDirProblem(const std::string& dir);
// The log folder offered for a new collector: the last one used while it still exists, else the
// user's documents folder (the data folder when there is none), never the program's folder.
std::string DefaultLogDir();
// Remembers the folder as the last one used (the user's settings).
void RememberLogDir(const std::string& dir);
// Whether the name clashes with one of the names (compared without case and outer blanks).
bool NameClashes(const std::string& name, const std::vector<std::string>& names);

} // namespace capture
