#include "oradb/OraQuery.h"

#include "oradb/DbCallClock.h"
#include "oradb/OraError.h"
#include "oradb/OraNumber.h"
#include "util/DateTimeText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace oradb {

namespace {

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

[[noreturn]] void conversionError(std::string_view text, const char* kind) {
    throw EOraError("'" + std::string(text) + "' is not a valid " + kind + " value");
}

} // namespace

std::string HexText(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// ---- TField ----

TField::TField(const TOraQuery* query, int index, TColumnInfo info)
    : query_(query), index_(index), info_(std::move(info)) {}

TCellView TField::cell() const {
    const auto& rows = query_->result_.rows;
    if (!query_->active_ || query_->row_ >= rows.size())
        return {};
    return rows.View(query_->row_, static_cast<std::size_t>(index_));
}

bool TField::IsNull() const {
    return cell().kind == TCell::Kind::Null;
}

std::string TField::AsString() const {
    const TCellView c = cell();
    switch (c.kind) {
    case TCell::Kind::Null:
        return {};
    case TCell::Kind::Text:
        return std::string(c.s);
    case TCell::Kind::Integer:
        return std::to_string(c.i);
    case TCell::Kind::Float:
        return oracleNumberText(c.d);
    case TCell::Kind::Date:
        return util::formatDateTime(c.d);
    case TCell::Kind::Bytes:
        return HexText(c.s);
    }
    return {};
}

void TField::AppendTo(std::string& out) const {
    const TCellView c = cell();
    switch (c.kind) {
    case TCell::Kind::Null:
        return;
    case TCell::Kind::Text:
        out += c.s;
        return;
    case TCell::Kind::Integer: {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, c.i).ptr;
        out.append(digits, end);
        return;
    }
    default:
        out += AsString();
    }
}

std::int64_t TField::AsInteger() const {
    const TCellView c = cell();
    switch (c.kind) {
    case TCell::Kind::Null:
        return 0;
    case TCell::Kind::Integer:
        return c.i;
    case TCell::Kind::Float:
    case TCell::Kind::Date:
        return static_cast<std::int64_t>(std::llround(c.d));
    case TCell::Kind::Text:
        if (auto v = parseInteger(c.s))
            return *v;
        if (auto f = parseFloat(c.s); f && std::fabs(*f) < 9.2e18)
            return static_cast<std::int64_t>(std::llround(*f));
        conversionError(c.s, "integer");
    case TCell::Kind::Bytes:
        conversionError(HexText(c.s), "integer");
    }
    return 0;
}

double TField::AsFloat() const {
    const TCellView c = cell();
    switch (c.kind) {
    case TCell::Kind::Null:
        return 0;
    case TCell::Kind::Integer:
        return static_cast<double>(c.i);
    case TCell::Kind::Float:
    case TCell::Kind::Date:
        return c.d;
    case TCell::Kind::Text:
        if (auto f = parseFloat(c.s))
            return *f;
        conversionError(c.s, "floating point");
    case TCell::Kind::Bytes:
        conversionError(HexText(c.s), "floating point");
    }
    return 0;
}

TDateTime TField::AsDateTime() const {
    const TCellView c = cell();
    switch (c.kind) {
    case TCell::Kind::Null:
        return 0;
    case TCell::Kind::Date:
    case TCell::Kind::Float:
        return c.d;
    case TCell::Kind::Integer:
        return static_cast<double>(c.i);
    case TCell::Kind::Text:
        if (auto d = util::fromIsoText(c.s))
            return *d;
        if (auto d = util::parseDateTime(c.s))
            return *d;
        conversionError(c.s, "date and time");
    case TCell::Kind::Bytes:
        conversionError(HexText(c.s), "date and time");
    }
    return 0;
}

std::string TField::AsBytes() const {
    const TCellView c = cell();
    if (c.kind == TCell::Kind::Bytes || c.kind == TCell::Kind::Text)
        return std::string(c.s);
    return AsString();
}

// ---- TOraQuery ----

std::shared_ptr<IDriverSession> TOraQuery::driverSession() {
    if (!session_)
        throw EOraError("Session is not defined");
    return session_->driver();
}

TBindList TOraQuery::binds() const {
    TBindList list;
    for (const TParam& p : params_)
        list.push_back({p.Name(), p.Value()});
    return list;
}

void TOraQuery::beginCall(const std::shared_ptr<IDriverSession>& driver) {
    std::lock_guard lock(runningMutex_);
    if (cancel_)
        throw EOraCancelled();
    running_ = driver;
    TDbCallClock::instance().Enter();
}

void TOraQuery::endCall() {
    TDbCallClock::instance().Leave();
    std::lock_guard lock(runningMutex_);
    running_.reset();
}

void TOraQuery::Open() {
    Close();
    auto driver = driverSession();
    beginCall(driver);
    TResultSet result;
    try {
        result = driver->query(SQL.Text(), binds(), cancel_);
    } catch (...) {
        endCall();
        throw;
    }
    endCall();
    result_ = std::move(result);
    fields_.clear();
    fields_.reserve(result_.columns.size());
    for (std::size_t i = 0; i < result_.columns.size(); ++i)
        fields_.emplace_back(this, static_cast<int>(i), result_.columns[i]);
    row_ = 0;
    active_ = true;
    // A fetch that failed before its first row fails the open itself.
    if (result_.rows.empty() && result_.fetchErrorCode != 0) {
        const int code = result_.fetchErrorCode;
        const std::string text = result_.fetchErrorText;
        Close();
        throw EOraError(code, text);
    }
}

void TOraQuery::Close() {
    active_ = false;
    result_ = TResultSet{};
    fields_.clear();
    row_ = 0;
}

bool TOraQuery::Eof() const {
    return !active_ || row_ >= result_.rows.size();
}

void TOraQuery::Next() {
    if (!active_ || row_ >= result_.rows.size())
        return;
    ++row_;
    if (row_ >= result_.rows.size() && result_.fetchErrorCode != 0) {
        const int code = result_.fetchErrorCode;
        result_.fetchErrorCode = 0;
        throw EOraError(code, result_.fetchErrorText);
    }
}

int TOraQuery::RecordCount() const {
    return active_ ? static_cast<int>(result_.rows.size()) : 0;
}

TField* TOraQuery::FindField(std::string_view name) {
    for (TField& f : fields_)
        if (sameName(f.FieldName(), name))
            return &f;
    return nullptr;
}

TField& TOraQuery::FieldByName(std::string_view name) {
    if (TField* f = FindField(name))
        return *f;
    throw EOraError("Field '" + std::string(name) + "' not found");
}

TField& TOraQuery::Fields(int index) {
    if (index < 0 || index >= FieldCount())
        throw EOraError("Field index " + std::to_string(index) + " out of range");
    return fields_[static_cast<std::size_t>(index)];
}

std::vector<std::string> TOraQuery::FieldNames() const {
    std::vector<std::string> names;
    names.reserve(fields_.size());
    for (const TField& f : fields_)
        names.push_back(f.FieldName());
    return names;
}

std::int64_t TOraQuery::ExecSQL() {
    Close();
    auto driver = driverSession();
    beginCall(driver);
    struct End {
        TOraQuery* q;
        ~End() { q->endCall(); }
    } end{this};
    return driver->execute(SQL.Text(), binds(), cancel_);
}

TParam& TOraQuery::ParamByName(std::string_view name) {
    if (!name.empty() && name.front() == ':')
        name.remove_prefix(1);
    std::string key(name);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (TParam& p : params_)
        if (p.Name() == key)
            return p;
    params_.emplace_back(key);
    return params_.back();
}

void TOraQuery::Cancel() {
    std::shared_ptr<IDriverSession> running;
    {
        std::lock_guard lock(runningMutex_);
        cancel_ = true;
        running = running_;
    }
    if (running)
        running->breakCall();
}

void TOraQuery::ResetCancel() {
    std::lock_guard lock(runningMutex_);
    cancel_ = false;
}

std::int64_t TOraSQL::Execute() {
    query_.SQL = SQL;
    return query_.ExecSQL();
}

} // namespace oradb
