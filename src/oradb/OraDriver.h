// The driver interface below TOraSession/TOraQuery/TOraSQL: one implementation per way of reaching
// an instance (the embedded sandbox, the Oracle Call Interface). A driver session may be called
// from several threads at once; each driver serialises what it must.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace oradb {

// Days since 30 December 1899, the fraction being the time of day (local time).
using TDateTime = double;

// Field data types as callers test them (raw columns are ftBytes or ftVarBytes).
enum class TFieldType { ftUnknown, ftString, ftInteger, ftFloat, ftDateTime, ftBytes, ftVarBytes };

// One value of a result row, as the driver delivered it.
struct TCell {
    enum class Kind : std::uint8_t { Null, Text, Integer, Float, Date, Bytes };
    Kind kind = Kind::Null;
    std::int64_t i = 0; // Integer
    double d = 0;       // Float; Date as TDateTime
    std::string s;      // Text (UTF-8) or Bytes (raw bytes)

    static TCell text(std::string v) {
        TCell c;
        c.kind = Kind::Text;
        c.s = std::move(v);
        return c;
    }
    static TCell integer(std::int64_t v) {
        TCell c;
        c.kind = Kind::Integer;
        c.i = v;
        return c;
    }
    static TCell real(double v) {
        TCell c;
        c.kind = Kind::Float;
        c.d = v;
        return c;
    }
    static TCell date(TDateTime v) {
        TCell c;
        c.kind = Kind::Date;
        c.d = v;
        return c;
    }
    static TCell bytes(std::string v) {
        TCell c;
        c.kind = Kind::Bytes;
        c.s = std::move(v);
        return c;
    }
};

struct TColumnInfo {
    std::string name; // as the server names it (Oracle: upper case unless quoted)
    TFieldType type = TFieldType::ftString;
    int size = 0; // declared size in bytes or characters where known
    // The Oracle type where `type` does not tell it ("CLOB", "NCLOB", "LONG", "ROWID", "XMLTYPE",
    // "BINARY_DOUBLE", "TIMESTAMP WITH TIME ZONE", "INTERVAL DAY TO SECOND"); empty otherwise.
    std::string oracleType;
};

// A whole result: the rows fetched, and the error that ended the fetch early if one did
// (rows before it are delivered; reading past them raises it).
struct TResultSet {
    std::vector<TColumnInfo> columns;
    std::vector<std::vector<TCell>> rows;
    int fetchErrorCode = 0;     // non-zero when the fetch failed after the last row delivered
    std::string fetchErrorText; // text of that error, without the "ORA-nnnnn: " prefix
};

// A bind parameter, named without the colon, in lower case ("fetchtime").
struct TBindValue {
    std::string name;
    TCell value;
};
using TBindList = std::vector<TBindValue>;

class IDriverSession {
public:
    virtual ~IDriverSession() = default;

    // Runs a statement that returns rows and fetches all of them. Raises EOraError;
    // raises EOraCancelled once `cancel` is seen set.
    virtual TResultSet query(const std::string& sql, const TBindList& binds,
                             const std::atomic<bool>& cancel) = 0;
    // Runs a statement without rows or a PL/SQL block; returns the rows affected where known.
    virtual std::int64_t execute(const std::string& sql, const TBindList& binds,
                                 const std::atomic<bool>& cancel) = 0;
    // Interrupts whatever call of this session is running on another thread.
    virtual void breakCall() = 0;
    // The user name the server knows this session by.
    virtual std::string user() const = 0;
};

// The administrative privilege a login asks for ("connect sys as sysdba").
enum class TConnectPrivilege { Normal, SysDba, SysOper };

struct TConnectParams {
    std::string username;
    std::string password;
    std::string server;
    int home = 0; // TOracleHome index: 0 default, 1 to 5 the homes found
    TConnectPrivilege privilege = TConnectPrivilege::Normal;
};

// Connects through the driver that the Server text chooses ("sandbox", "sandbox:PATH",
// "sandbox::memory:" and "sandbox::memory:NAME" the sandbox, anything else the OCI client);
// the environment variable QUENBY_DRIVER ("sandbox" or "oci") overrides the choice.
std::unique_ptr<IDriverSession> connectDriver(const TConnectParams& params);

// True when the Server text names the embedded sandbox instance; Easy Connect texts to a host
// called sandbox ("sandbox:1521/orcl") are not.
bool isSandboxServer(const std::string& server);

} // namespace oradb
