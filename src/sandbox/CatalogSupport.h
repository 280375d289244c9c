// Internal helpers of the sandbox catalog, seeding and simulator: the data files, CSV parsing,
// a small deterministic random generator, SQLite statement wrappers, instance-clock arithmetic
// and the hexadecimal and hash forms that Oracle's views show.
#pragma once

#include "sandbox/Catalog.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace oradb::sandbox::detail {

// The text of a file of the sandbox's data folder: the Qt resource ":/sandbox/<name>", or, when
// the resource is missing, the file of that name in QUENBY_SANDBOX_DATA_DIR (when defined).
// Raises std::runtime_error when neither exists.
std::string sandboxDataFile(const char* name);

using CsvRow = std::vector<std::string>;

// Parses comma-separated text: fields may be enclosed in double quotes (a doubled quote inside
// stands for one); blank lines are skipped. The first row is returned like the others.
std::vector<CsvRow> parseCsv(std::string_view text);

// The rows of a data file in CSV form, without its header row, parsed once per process (the
// data files do not change). Raises std::runtime_error when a row has fewer than `minColumns`
// fields.
const std::vector<CsvRow>& readCsv(const char* name, std::size_t minColumns);

// Splits "a|b|c" into its alternatives.
std::vector<std::string> splitAlternatives(const std::string& text);

std::int64_t toInt(const std::string& text);
// A decimal number with a '.' separator, whatever the process locale.
double toReal(const std::string& text);

// SplitMix64: the same sequence on every platform and library version.
std::uint64_t mix(std::uint64_t a, std::uint64_t b);

class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    // Uniform in [0, n); 0 when n <= 0.
    std::int64_t below(std::int64_t n);
    // Uniform in [lo, hi].
    std::int64_t range(std::int64_t lo, std::int64_t hi);
    // True with the probability permille / 1000.
    bool chance(int permille);
    // Uniform in [0, 1).
    double unit();
    template <typename T>
    const T& pick(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(below(static_cast<std::int64_t>(items.size())))];
    }

private:
    std::uint64_t state_;
};

// Runs SQL text without results; raises std::runtime_error with SQLite's message.
void exec(sqlite3* db, const std::string& sql);

// A prepared statement; raises std::runtime_error on every SQLite failure.
class Stmt {
public:
    Stmt(sqlite3* db, const char* sql);
    ~Stmt();
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;

    // Binds the parameters 1, 2, ... in order; starts over after reset().
    Stmt& bind(std::int64_t value);
    Stmt& bind(int value) { return bind(static_cast<std::int64_t>(value)); }
    Stmt& bind(double value);
    Stmt& bind(const std::string& value);
    Stmt& bind(const char* value); // nullptr binds NULL
    Stmt& bindNull();

    // Steps once: true while a row is available.
    bool step();
    // Steps to the end (statements without rows), then resets for the next use.
    void run();
    void reset();

    std::int64_t integer(int column) const;
    double real(int column) const;
    std::string text(int column) const;
    bool isNull(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    int next_ = 1;
};

// One integer from a query without parameters (0 when there is no row or it is NULL).
std::int64_t queryInt(sqlite3* db, const char* sql);

// A savepoint released on commit() and rolled back when left without it, so that a failure
// leaves the database as it was; works inside or outside the caller's transaction.
class Savepoint {
public:
    explicit Savepoint(sqlite3* db);
    ~Savepoint();
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;
    void commit();

private:
    sqlite3* db_;
    bool done_ = false;
};

// sbx_meta access.
std::string metaGet(sqlite3* db, const char* key, const std::string& fallback);
void metaSet(sqlite3* db, const char* key, const std::string& value);

// The instance clock: seconds counted from 1970-01-01 00:00:00 of the local calendar (no time
// zone involved), formatted as DATE text "YYYY-MM-DD HH:MM:SS".
std::int64_t parseTime(const std::string& text);
std::string formatTime(std::int64_t seconds);
// v$sqlarea.first_load_time form: "YYYY-MM-DD/HH:MM:SS".
std::string formatLoadTime(std::int64_t seconds);
// The workstation's local time now, as DATE text.
std::string localTimeNow();

// 16 upper-case hexadecimal digits (a RAW(8) value).
std::string hex64(std::uint64_t value);

// The hash of a statement text, as v$sqlarea shows it (unsigned 32-bit).
std::uint32_t statementHash(std::string_view text);
// The hash as the views store it: an unsigned 32-bit number, 0 to 4294967295.
std::int64_t unsignedHash(std::uint32_t hash);
// The SQL_ID of a statement text: 13 characters of Oracle's base-32 alphabet for a 64-bit value
// whose low 32 bits are statementHash(text), as Oracle's hash_value is the low half of its
// sql_id.
std::string sqlId(std::string_view text);

// The 19c wait class of an event of events.csv from its name and category.
struct WaitClass {
    std::int64_t id = 0;
    std::int64_t number = 0;
    const char* name = "";
};
WaitClass waitClassOf(std::string_view event, std::string_view category);

// seedCatalog with the instance clock given ("YYYY-MM-DD HH:MM:SS") instead of the
// workstation's time, so that two seedings give the same content.
void seedCatalogAt(sqlite3* db, const SeedOptions& options, const std::string& clock);

// Sets v$session's blocking columns from v$lock: a session that requests a lock is blocked by
// the session holding it; the final blocker is the end of that chain. Reads only the sessions
// that wait on a lock or were blocked before, so that it stays cheap with many sessions.
void refreshBlocking(sqlite3* db);

// Writes the samples of v$active_session_history for the `seconds` seconds up to `clock`
// (instance clock), one a second: the sessions that are active then, on CPU or in a wait that
// is not idle, at most kSampledSessions of them a second; and removes the samples older than
// an hour.
void sampleActiveSessions(sqlite3* db, std::int64_t clock, std::int64_t seconds);
constexpr int kSampledSessions = 64;

// Seconds the simulator's clock advances with every tick.
constexpr std::int64_t kSecondsPerTick = 3;

// v$session_wait p1 of the SQL*Net events: the driver id of the TCP adapter, 0x54435000
// ("TCP" in ASCII).
constexpr std::int64_t kSqlNetDriverId = 1413697536;
// The wait of a session for a row that another transaction has locked (a TX enqueue).
constexpr const char* kRowLockEvent = "enq: TX - row lock contention";
// v$session_wait p1 of an enqueue wait for a TX lock in exclusive mode: 'T' 'X' and mode 6.
constexpr std::int64_t kEnqueueTxMode6 = 1415053318;

} // namespace oradb::sandbox::detail
