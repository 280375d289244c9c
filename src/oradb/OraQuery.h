// TOraQuery: a row-returning statement on a TOraSession, and TOraSQL for statements without
// rows and PL/SQL blocks. One query is used by one thread at a time (a worker opens it, the
// user-interface thread may read its rows while the worker waits); Cancel may come from any
// thread.
#pragma once

#include "oradb/OraDriver.h"
#include "oradb/OraSession.h"

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace oradb {

class TOraQuery;

// Bytes as upper-case hexadecimal text, two digits a byte: how raw values are shown.
std::string HexText(std::string_view bytes);

// One column of the current row.
class TField {
public:
    TField(const TOraQuery* query, int index, TColumnInfo info);

    const std::string& FieldName() const { return info_.name; }
    TFieldType DataType() const { return info_.type; }
    int DataSize() const { return info_.size; }
    bool IsNull() const;
    // Numbers as Oracle writes them, dates through the program's date-time text, raw bytes as
    // upper-case hexadecimal, NULL as the empty text.
    std::string AsString() const;
    // Appends AsString()'s text to `out`, without a text of its own for whole numbers.
    void AppendTo(std::string& out) const;
    // Raise EOraError when the value does not convert.
    std::int64_t AsInteger() const;
    double AsFloat() const;
    TDateTime AsDateTime() const;
    // The value's bytes: raw bytes for raw columns, the text's bytes otherwise.
    std::string AsBytes() const;

private:
    TCellView cell() const;
    const TOraQuery* query_;
    int index_;
    TColumnInfo info_;
};

// A named parameter (only ":fetchtime" is used, as a date-time).
class TParam {
public:
    explicit TParam(std::string name) : name_(std::move(name)) {}
    const std::string& Name() const { return name_; }
    void SetAsDateTime(TDateTime value) { value_ = TCell::date(value); }
    void SetAsString(const std::string& value) { value_ = TCell::text(value); }
    void SetAsInteger(std::int64_t value) { value_ = TCell::integer(value); }
    void Clear() { value_ = TCell{}; }
    const TCell& Value() const { return value_; }

private:
    std::string name_;
    TCell value_;
};

class TOraQuery {
public:
    explicit TOraQuery(TOraSession* session = nullptr) : session_(session) {}
    TOraQuery(const TOraQuery&) = delete;
    TOraQuery& operator=(const TOraQuery&) = delete;

    TStrings SQL;

    TOraSession* Session() const { return session_; }
    void SetSession(TOraSession* session) { session_ = session; }

    // Executes the statement, fetches its rows and stands on the first one. Raises EOraError.
    void Open();
    void Close();
    bool Active() const { return active_; }
    bool Eof() const;
    // Moves to the next row; raises the fetch's error when the rows ended in one.
    void Next();
    int RecordCount() const;

    TField& FieldByName(std::string_view name);
    TField* FindField(std::string_view name);
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField& Fields(int index);
    std::vector<std::string> FieldNames() const;

    // Executes a statement without rows; returns the rows affected where known.
    std::int64_t ExecSQL();

    // The parameter of that name (":fetchtime" or "fetchtime"), created on first use.
    TParam& ParamByName(std::string_view name);

    // Asks the running Open or ExecSQL to stop: it raises EOraCancelled soon after. The request
    // holds until ResetCancel: an Open or ExecSQL that starts after it is refused with
    // EOraCancelled, so that a cancel that comes just before a call starts is not lost.
    void Cancel();
    // Withdraws a cancel request, so that the query runs statements again. Not while a call runs.
    void ResetCancel();
    bool CancelRequested() const { return cancel_.load(); }

private:
    friend class TField;
    TBindList binds() const;
    std::shared_ptr<IDriverSession> driverSession();
    // Marks `driver` as running this query's call, or raises EOraCancelled when a cancel is
    // pending; the two are decided under one lock with Cancel.
    void beginCall(const std::shared_ptr<IDriverSession>& driver);
    void endCall();

    TOraSession* session_ = nullptr;
    std::deque<TParam> params_; // deque: references handed out stay valid
    TResultSet result_;
    std::vector<TField> fields_;
    std::size_t row_ = 0;
    bool active_ = false;
    std::atomic<bool> cancel_{false};         // set under runningMutex_
    std::shared_ptr<IDriverSession> running_; // guarded by runningMutex_
    std::mutex runningMutex_;
};

// A statement object for statements without rows and PL/SQL blocks.
class TOraSQL {
public:
    explicit TOraSQL(TOraSession* session = nullptr) : query_(session) {}
    TStrings SQL;
    TOraSession* Session() const { return query_.Session(); }
    void SetSession(TOraSession* session) { query_.SetSession(session); }
    std::int64_t Execute();
    void Cancel() { query_.Cancel(); }
    void ResetCancel() { query_.ResetCancel(); }

private:
    TOraQuery query_;
};

} // namespace oradb
