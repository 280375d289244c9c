// The sandbox instance's catalog: the tables that stand for Oracle's dictionary and dynamic
// performance views (Oracle's own names, columns and types), the seed data that makes them look
// like a small real instance, and the workload simulator that changes them over time.
// All functions take a sqlite3 connection that the caller serialises; none keeps state.
#pragma once

#include <cstdint>
#include <string>

struct sqlite3;

namespace oradb::sandbox {

// Creates every catalog table (empty) and the sandbox's own bookkeeping tables, whose names
// start with "sbx_". Raises std::runtime_error on a SQLite failure.
void createCatalog(sqlite3* db);

struct SeedOptions {
    int sessions = 40;             // simulated sessions, user and background together
    std::uint64_t seed = 20261208; // everything random derives from it
};

// Fills the static catalog data (statistic names, audit actions, parameters, events, SGA, NLS,
// version, database, instance, licence, users, tablespaces, data files, objects, extents) and the
// simulated sessions with their statistics, events, waits, cursors, SQL and locks.
void seedCatalog(sqlite3* db, const SeedOptions& options);

// Creates the catalog's indexes on calls of the Oracle functions (registerOracleFunctions must
// have registered them on `db`): SQLite checks their names when it creates such an index and
// calls them whenever a row of the table changes. Kept apart from createCatalog, which needs no
// Oracle function. Does nothing where they exist.
void createFunctionIndexes(sqlite3* db);

// True when the database's catalog is the one this program builds (sbx_meta "catalog").
bool catalogIsCurrent(sqlite3* db);

// Brings a database built by an earlier catalog to the current one: drops the catalog's
// tables and views, builds them anew and seeds them again with the instance's seed and size.
// The synonyms and constraints created in the sandbox and the users' own tables are kept.
void upgradeCatalog(sqlite3* db);

// A session that a real connection to the sandbox adds for itself.
struct NewSession {
    std::string username; // upper case, e.g. "SYSTEM"
    std::string osuser;
    std::string machine;
    std::string terminal;
    std::string program;
    std::string module;
    std::string process; // client process id as text
};

struct SessionId {
    std::int64_t sid = 0;
    std::int64_t serial = 0;
};

// Adds a user session with every row Oracle would show for it: v$session (status INACTIVE,
// logon time now), a v$sesstat row for every v$statname entry, a v$session_wait row; marks it
// in sbx_connections so that the simulator leaves it alone. Returns its sid and serial#.
SessionId addConnectionSession(sqlite3* db, const NewSession& session);

// Removes every row of the session from all session-level tables and from sbx_connections.
void removeSession(sqlite3* db, std::int64_t sid);

// Ends the current call of a simulated session as ALTER SYSTEM CANCEL SQL does (the call gets
// ORA-01013 and the session stays): an ACTIVE session becomes INACTIVE at "SQL*Net message from
// client" with its statement ended, a lock it was waiting for is no longer requested (what its
// own transaction holds stays), and the blocking columns follow. False when it had no call.
bool cancelCurrentCall(sqlite3* db, std::int64_t sid);

// One tick of the workload simulator: sessions log on and off and are removed some ticks after
// being killed, statistics grow, current waits change between idle, I/O and lock waits, cursors
// open and close, a blocking chain forms and clears. Deterministic: the outcome depends only on
// the seed, the tick number and the database's content. Sessions listed in sbx_connections are
// left alone, except that their statistics may grow.
void simulateTick(sqlite3* db, std::uint64_t seed, std::uint64_t tick);

// True for the objects that need SELECT_CATALOG_ROLE (or SYS/SYSTEM) to be read.
bool isCatalogObject(const std::string& lowerCaseName);

} // namespace oradb::sandbox
