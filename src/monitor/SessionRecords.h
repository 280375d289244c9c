// The monitor's records: what it has fetched about the instance's sessions, one TRSession per
// row of the last session-list fetch with one sub-record per detail view, and the constant field
// tables naming the columns read into them. Plain values, written and read on the
// user-interface thread only.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace monitor {

// Days since 30 December 1899, the fraction being the time of day.
using TDateTime = double;

// One session-list row: the 38 columns of the field table (v$session's, then those of the
// optional columns read only when chosen, then the session's long operation), then the sort
// value.
using TBasicFieldArray = std::array<std::string, 39>;
// One accumulated wait event: Sid, Event, Total_Waits, Total_Timeouts, Time_Waited,
// Average_Wait, Max_Wait.
using TWaitsFieldType = std::array<std::string, 7>;
// One lock row: username, addr, addr, sid, type, Id1, Id2, Lmode, Request, Ctime, Block.
using TLocksFieldType = std::array<std::string, 11>;
// One blocking group: the blocker's lock first, then its waiters.
using TLocksArrayType = std::vector<TLocksFieldType>;
// One statistic of a session: name, value, class, statistic#.
using TStatisticsFieldType = std::array<std::string, 4>;
// One v$statname entry: statistic#, name, class; the fourth text stays empty.
using TStatisticsType = std::array<std::string, 4>;
// One system parameter: num, name, type, value, isdefault, isses_modifiable, issys_modifiable,
// ismodified, isadjusted, description.
using TSystemParameterArray = std::array<std::string, 10>;

// Positions in TBasicFieldArray.
enum TBasicField : int {
    bfSid,
    bfSerial,
    bfUsername,
    bfStatus,
    bfServer,
    bfMachine,
    bfProcess,
    bfOsUser,
    bfProgram,
    bfLogonTime,
    bfSchemaName,
    bfClientInfo,
    bfModule,
    bfAction,
    bfAudsid,
    bfCommand,
    bfSqlAddress,
    bfSqlHashValue,
    bfLockwait,
    bfType,
    bfRowWaitObj,
    bfSqlId,
    bfBlockingSession,
    // Read only when their column is chosen (else empty).
    bfSpid,
    bfLastCallEt,
    bfEvent,
    bfSecondsInWait,
    bfServiceName,
    bfWaitClass,
    bfBlockGets,
    bfConsistentGets,
    bfPhysicalReads,
    bfBlockChanges,
    // The latest unfinished long operation (v$session_longops), read with the Progress column:
    // "42% (1:05 left)", then its parts for the details page. Empty when there is none.
    bfProgress,
    bfLongOperation,
    bfLongTarget,
    bfLongDone,
    bfLongRemaining,
    bfSortField,
    bfCount
};

// Positions in TLocksFieldType.
enum TLocksField : int {
    lfUsername,
    lfAddr,
    lfAddr2,
    lfSid,
    lfType,
    lfId1,
    lfId2,
    lfLmode,
    lfRequest,
    lfCtime,
    lfBlock,
    lfCount
};

// Positions of the current wait's texts in TRWaits::currentWait that are filled.
enum TCurrentWaitField : int {
    cwSid = 0,
    cwSeq = 1,
    cwEvent = 2,
    cwP1 = 3,
    cwP2 = 6,
    cwP3 = 9,
    cwWaitTime = 12,
    cwSecondsInWait = 13,
    cwState = 14,
    cwCount = 15
};

// One session-list row's texts (the field table's order), kept back to back in one buffer: a row
// costs one allocation of its texts' size instead of 39 strings of 32 bytes each.
class TBasicFields {
public:
    std::string_view operator[](std::size_t field) const {
        const std::size_t begin = field == 0 ? 0 : ends_[field - 1];
        return std::string_view(text_).substr(begin, ends_[field] - begin);
    }
    // Replaces one field's text. A row's texts together hold at most 65,535 bytes; beyond that
    // the text given is cut (no v$session row comes near it).
    void Set(std::size_t field, std::string_view text);
    // Sets every field at once, the buffer taking exactly the texts' size.
    void Assign(const std::array<std::string_view, bfCount>& texts);
    // Sets every field at once from their texts written back to back and where each ends
    // (texts of more than 65,535 bytes together are cut as Set does).
    void Assign(std::string_view joined, const std::array<std::size_t, bfCount>& ends);
    TBasicFieldArray ToArray() const;
    static TBasicFields FromArray(const TBasicFieldArray& fields);
    // The heap bytes the texts take beyond the object itself.
    std::size_t HeapBytes() const { return text_.capacity() > 15 ? text_.capacity() + 1 : 0; }

private:
    std::string text_;
    std::array<std::uint16_t, bfCount> ends_{};
};

struct TRBasic {
    TBasicFields fields;
};

struct TRDetails {
    std::vector<std::string> names;    // column names, in result order
    std::vector<std::string> values;   // the first row's values, parallel to names
    TDateTime fetchTime = 0;           // when it was read, for the user
    std::uint64_t fetchGeneration = 0; // the list refresh it was read under; 0: never read
};

struct TRLocks {
    std::vector<TLocksFieldType> rows;
    std::vector<TLocksArrayType> groups;
    TDateTime fetchTime = 0;           // when it was read, for the user
    std::uint64_t fetchGeneration = 0; // the list refresh it was read under; 0: never read
};

struct TRSql {
    std::vector<std::vector<std::string>> cursors; // per open cursor, its text pieces in order
    std::vector<std::string> current;              // the current statement's pieces
    TDateTime fetchTime = 0;                       // when it was read, for the user
    std::uint64_t fetchGeneration = 0; // the list refresh it was read under; 0: never read
};

struct TRStatistics {
    std::vector<TStatisticsFieldType> rows;
    TDateTime fetchTime = 0;           // when it was read, for the user
    std::uint64_t fetchGeneration = 0; // the list refresh it was read under; 0: never read
};

struct TRWaits {
    std::vector<TWaitsFieldType> events;
    std::array<std::string, cwCount> currentWait; // sid "0": in no recorded wait
    TDateTime fetchTime = 0;                      // when it was read, for the user
    std::uint64_t fetchGeneration = 0; // the list refresh it was read under; 0: never read
};

// What the detail pages read about one session. Only the sessions the user looks at have it.
struct TRSessionParts {
    TRDetails details;
    TRLocks locks;
    TRSql sql;
    TRStatistics statistics;
    TRWaits waits;
};

// Marks of a session the list shows as images or filters on, set when the list is read.
enum TSessionMark : std::uint8_t {
    smActive = 1,   // status ACTIVE
    smUser = 2,     // not a BACKGROUND session
    smKilled = 4,   // status KILLED
    smLockWait = 8, // waits for a lock
    smBlocker = 16, // others wait for it
};

struct TRSession {
    TRSession() = default;
    TRSession(const TRSession& other);
    TRSession& operator=(const TRSession& other);
    TRSession(TRSession&&) noexcept = default;
    TRSession& operator=(TRSession&&) noexcept = default;
    ~TRSession() = default;

    // The session's SID.
    std::string_view Key() const { return basic.fields[bfSid]; }
    // The detail pages' records, made on first use; until then (and through the const
    // overloads) empty records read long before the list.
    TRDetails& Details() { return Parts().details; }
    TRLocks& Locks() { return Parts().locks; }
    TRSql& Sql() { return Parts().sql; }
    TRStatistics& Statistics() { return Parts().statistics; }
    TRWaits& Waits() { return Parts().waits; }
    const TRDetails& Details() const { return PartsOrEmpty().details; }
    const TRLocks& Locks() const { return PartsOrEmpty().locks; }
    const TRSql& Sql() const { return PartsOrEmpty().sql; }
    const TRStatistics& Statistics() const { return PartsOrEmpty().statistics; }
    const TRWaits& Waits() const { return PartsOrEmpty().waits; }
    bool HasParts() const { return parts_ != nullptr; }
    bool Marked(TSessionMark mark) const { return (marks & mark) != 0; }

    TRBasic basic;
    // The sort statistic's change per second since the previous refresh; NaN when there is no
    // earlier figure of this session (first refresh, new session).
    double sortRate = std::numeric_limits<double>::quiet_NaN();
    bool changed = false;   // the sort statistic changed since the previous refresh
    std::uint8_t marks = 0; // TSessionMark bits
    // The fields the session list's filter looks in, one per line, in lower case (UTF-8).
    std::string searchText;

private:
    TRSessionParts& Parts();
    const TRSessionParts& PartsOrEmpty() const;
    std::unique_ptr<TRSessionParts> parts_;
};

// Sets the marks of every session (its status and type, and whether others wait for it) and
// its search text.
void MarkSessions(std::vector<TRSession>& sessions);
// The fields the filter looks in: SID, user, schema, OS user, machine, program, module, status
// and SQL id.
inline constexpr std::array<int, 9> kSearchedFields = {
    bfSid, bfUsername, bfSchemaName, bfOsUser, bfMachine, bfProgram, bfModule, bfStatus, bfSqlId};
// Those fields' texts, one per line.
std::string SearchedFieldsText(const TBasicFields& fields);

// An object found by file and block.
struct TRObjFB {
    std::int32_t fileId = 0;
    std::int32_t blockId = 0;
    std::string segmentName;
    std::string segmentType;
    std::string tablespaceName;
    std::string owner;
};

// The session-list field table: the names serve as select list, result field names and column
// captions; Shown marks the fixed columns of the session list (the optional ones are chosen, see
// SessionListColumns.h); widths in pixels.
struct TSessionListField {
    std::string_view name;
    bool shown;
    int width;
};

inline constexpr std::array<TSessionListField, bfCount> kSessionListFields = {{
    {"Sid", true, 40},
    {"Serial#", false, 60},
    {"Username", true, 65},
    {"Status", true, 60},
    {"Server", false, 65},
    {"Machine", true, 70},
    {"process", false, 50},
    {"OsUser", true, 100},
    {"program", true, 100},
    {"Logon_time", true, 90},
    {"SchemaName", true, 65},
    {"Client_Info", false, 100},
    {"Module", false, 50},
    {"Action", false, 50},
    {"audsid", false, 10},
    {"command", true, 90},
    {"sql_address", false, 10},
    {"sql_hash_value", false, 10},
    {"lockwait", false, 10},
    {"type", false, 10},
    {"row_wait_obj#", false, 10},
    {"sql_id", false, 100},
    {"blocking_session", false, 70},
    {"spid", false, 60},
    {"last_call_et", false, 70},
    {"event", false, 150},
    {"seconds_in_wait", false, 70},
    {"service_name", false, 100},
    {"wait_class", false, 90},
    {"block_gets", false, 80},
    {"consistent_gets", false, 80},
    {"physical_reads", false, 80},
    {"block_changes", false, 80},
    {"longops", false, 110},
    {"opname", false, 10},
    {"target", false, 10},
    {"done", false, 10},
    {"time_remaining", false, 10},
    {"sortfield", false, 10},
}};

// The statistic classes: the bits of v$statname's class column, in this order.
struct TStatisticClass {
    std::string_view name;
    int code;
};

inline constexpr std::array<TStatisticClass, 8> kStatisticClasses = {{
    {"User", 1},
    {"Redo", 2},
    {"Enqueue", 4},
    {"Cache", 8},
    {"Os", 16},
    {"Parallel Server", 32},
    {"SQL", 64},
    {"Debug", 128},
}};

// A list of name, "=", value lines, looked up by name (first match, letter case ignored).
class TNameValueList {
public:
    void Clear() { lines_.clear(); }
    void Add(const std::string& name, const std::string& value) {
        lines_.push_back(name + "=" + value);
    }
    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& Line(int i) const { return lines_.at(static_cast<std::size_t>(i)); }
    std::string Name(int i) const;
    // The value of the first line whose name matches; empty when there is none.
    std::string Value(std::string_view name) const;
    // Index of the first line whose name matches, or -1.
    int IndexOfName(std::string_view name) const;

private:
    std::vector<std::string> lines_;
};

} // namespace monitor
