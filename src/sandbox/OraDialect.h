// Oracle SQL as the sandbox instance understands it: statements are tokenised as Oracle SQL,
// classified, and rewritten into SQLite text that runs on the sandbox database. What is not
// understood raises an Oracle error; nothing is passed on silently. Pure functions: any thread.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace oradb::sandbox {

enum class StmtKind {
    Select,          // select ... (sql: SQLite select)
    Insert,          // insert into ... (sql)
    Update,          // update ... (sql)
    Delete,          // delete from ... (sql)
    CreateTable,     // create table (sql: SQLite create table without the unique constraints)
    DropTable,       // drop table [schema.]name
    CreateSynonym,   // create [public] synonym name for [schema.]target
    DropSynonym,     // drop [public] synonym name
    DropConstraint,  // alter table [schema.]name drop constraint cname
    KillSession,     // alter system kill|disconnect session 'sid,serial#'
    CancelSql,       // alter system cancel sql 'sid,serial#[,@inst][,sql_id]'
    AlterSessionSet, // alter session set name=value
    AlterSystemSet,  // alter system set name=value [deferred]
    AlterUser,       // alter user name account lock|unlock, alter user name password expire
    LockTable,       // lock table name in <mode> mode [nowait]
    Commit,          // commit [work]
    Rollback,        // rollback [work]
    PlsqlBlock,      // [declare ...] begin ... end; of the cursor-loop form (block)
};

struct UniqueConstraint {
    std::string name;                 // lower case
    std::vector<std::string> columns; // lower case, in the order given
};

// One statement inside the loop of a PL/SQL cursor loop. References to the loop record
// ("c1_rec.saddr") are replaced by the positional parameters ?1, ?2, ... of `sql`.
struct PlsqlLoopStatement {
    std::string sql;                       // SQLite text (insert/update/delete)
    std::vector<std::string> recordFields; // lower-case field for ?1, ?2, ...
    std::vector<std::string> tables;       // objects written or read
};

// The PL/SQL this sandbox runs: declare a cursor, open it, loop fetching into a record until
// %notfound, run the body statements for each row, close.
struct PlsqlCursorLoop {
    std::string cursorSql;                 // SQLite text of the cursor's select
    std::vector<std::string> cursorTables; // objects the cursor reads
    std::vector<PlsqlLoopStatement> body;  // run in order for every fetched row
    bool bodyIgnoresErrors =
        false; // the body sits in begin ... exception when others then null; end;
    bool blockIgnoresErrors = false; // the block itself ends in exception when others then null;
    // The same loop as one set-based statement, when its shape allows: the body is one
    // insert ... values guarded by exception when others then null, which becomes
    // insert or ignore ... select over the cursor's rows. Empty for other loops. It gives the
    // loop's rows as long as every failing row fails on a constraint; the instance runs the
    // loop row by row when any other error stops it.
    std::string setSql;
};

struct Translation {
    StmtKind kind = StmtKind::Select;
    std::string sql; // SQLite text (Select, Insert, Update, Delete, CreateTable)
    std::vector<std::string>
        tables; // objects referenced: lower case, schema dropped, synonyms resolved
    std::vector<std::string> bindNames; // named parameters in lower case without ':' ("fetchtime")
    // Select: the Oracle type of each result column whose values do not show it ("CLOB",
    // "ROWID", "XMLTYPE", "INTERVAL DAY TO SECOND"), empty for the others.
    std::vector<std::string> selectTypes;
    // Select: the heading of each result column whose alias is a quoted identifier, as written
    // ("Hit Ratio %"); empty for the others, which Oracle shows in upper case. Empty when the
    // select list holds a '*'.
    std::vector<std::string> selectHeadings;

    // DDL and lock: the object named, lower case, schema dropped; its schema ("sys", "system" or
    // "").
    std::string object;
    std::string schema;
    bool publicSynonym = false;                      // CreateSynonym / DropSynonym
    std::string synonymTarget;                       // CreateSynonym: target table, lower case
    std::vector<UniqueConstraint> uniqueConstraints; // CreateTable
    std::string constraint;                          // DropConstraint: lower case
    std::string tablespace;                          // CreateTable: lower case, "" when none given

    // AlterSessionSet / AlterSystemSet
    std::string parameter; // lower case
    std::string value;     // as written, quotes removed
    bool valueQuoted = false;
    bool deferred = false;

    // AlterUser: the user (object, lower case) and what changes: "lock", "unlock" or "expire"
    std::string accountChange;

    // KillSession, CancelSql: the text between the quotes, split at the comma, blanks trimmed
    std::string killSid;
    std::string killSerial;
    // CancelSql: the statement to cancel, empty for whatever the session runs
    std::string cancelSqlId;

    // LockTable
    std::string lockMode; // "exclusive", "share", "row exclusive", ... lower case
    bool nowait = false;

    // PlsqlBlock
    PlsqlCursorLoop block;
};

// Public synonyms: lower-case name -> lower-case target table (schema dropped).
using SynonymMap = std::map<std::string, std::string>;

// Translates one statement (a trailing ';' is allowed except where PL/SQL needs it).
// Raises oradb::EOraError with Oracle's code and wording for what it cannot translate.
Translation translate(std::string_view oracleSql, const SynonymMap& synonyms);

// Source of values the SQL functions need from the instance.
class FunctionHost {
public:
    virtual ~FunctionHost() = default;
    // The instance clock for sysdate, as "YYYY-MM-DD HH:MM:SS".
    virtual std::string sysdateText() = 0;
    // The user of the session whose statement is running, upper case ("SYSTEM"), for ora_user().
    virtual std::string currentUser() = 0;
    // The SID of that session, for sys_context('USERENV', 'SID') and the session's own values.
    virtual std::int64_t currentSid() { return 0; }
};

// Registers on `db` the functions that translated statements call: ora_sysdate(), ora_user(),
// ora_divisor(x),
// decode, nvl, nvl2, rawtohex, hextoraw, to_char, to_number, power, sign, mod, trunc, round,
// instr, lpad, rpad, greatest, least. `host` must outlive `db`.
void registerOracleFunctions(sqlite3* db, FunctionHost* host);

// Error raised inside a registered function: the SQLite error text is "ORA-nnnnn: ..." so that
// the driver passes Oracle's code through.
// (ora_divisor raises "ORA-01476: divisor is equal to zero".)

} // namespace oradb::sandbox
