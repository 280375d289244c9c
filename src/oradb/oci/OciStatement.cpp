// Running statements through OCI: prepare, bind by name, execute, describe the select list,
// define every column into arrays and fetch them many rows per call.
#include "oradb/OraNumber.h"
#include "oradb/oci/OciSession.h"
#include "util/DateTimeText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <deque>

namespace oradb::oci {

namespace {

// Rows per fetch call: at least kMinFetchRows, more while the row buffers stay small.
constexpr std::size_t kMinFetchRows = 100;
constexpr std::size_t kMaxFetchRows = 1000;
constexpr std::size_t kFetchBufferBytes = 1 << 20;
// LONG and LOB values are read up to this many bytes.
constexpr std::size_t kLongLimit = 32768;
// A define's returned lengths are ub2: no buffer element is larger than this.
constexpr std::size_t kMaxDefineBytes = 65535;
// A NUMBER in its internal form with the length byte in front (SQLT_VNU).
constexpr std::size_t kVnuBytes = 22;
// Alias of the inline view that turns unreadable columns into placeholders.
constexpr const char* kWrapAlias = "quenby_q";

// Releases a prepared statement (OCIStmtPrepare2 allocated it).
struct Statement {
    OciSession& session;
    OCIError* err;
    const std::atomic<bool>& cancel;
    OCIStmt* stmt = nullptr;

    ~Statement() {
        if (!stmt)
            return;
        try {
            OciSession::CallScope call(session, kNoCancel, true);
            session.fn().StmtRelease(stmt, err, nullptr, 0, OCI_DEFAULT);
        } catch (...) {
            // Releasing cannot be cancelled; the scope above never raises for it.
        }
    }
    static const std::atomic<bool> kNoCancel;
};
const std::atomic<bool> Statement::kNoCancel{false};

// A bind value in the form OCI reads it; kept alive until the statement has run.
struct BindBuffer {
    std::string bytes;
    std::int64_t integer = 0;
    double real = 0;
    ub1 date[7] = {};
    sb2 indicator = OCI_IND_NOTNULL;
};

// One column of the select list with its define arrays.
struct Column {
    TColumnInfo info;
    ub2 dty = SQLT_CHR; // external type it is defined as
    std::size_t width = 0;
    bool limited = false;    // LONG or LOB: read up to kLongLimit bytes
    std::string placeholder; // a type no define can read: the text shown instead, "(XMLTYPE)"
    std::vector<char> data;
    std::vector<sb2> indicators;
    std::vector<ub2> lengths;
    std::vector<ub2> codes;
};

void toOracleDate(TDateTime t, ub1 (&out)[7]) {
    const util::DateTimeParts p = util::decodeDateTime(t);
    out[0] = static_cast<ub1>(p.year / 100 + 100);
    out[1] = static_cast<ub1>(p.year % 100 + 100);
    out[2] = static_cast<ub1>(p.month);
    out[3] = static_cast<ub1>(p.day);
    out[4] = static_cast<ub1>(p.hour + 1);
    out[5] = static_cast<ub1>(p.minute + 1);
    out[6] = static_cast<ub1>(p.second + 1);
}

TCell fromOracleDate(const unsigned char* b) {
    util::DateTimeParts p;
    p.year = (b[0] - 100) * 100 + (b[1] - 100);
    p.month = b[2];
    p.day = b[3];
    p.hour = b[4] - 1;
    p.minute = b[5] - 1;
    p.second = b[6] - 1;
    if (!util::isValidDate(p.year, p.month, p.day) || p.hour < 0 || p.hour > 23 || p.minute < 0 ||
        p.minute > 59 || p.second < 0 || p.second > 59)
        return TCell::text(std::to_string(p.year) + "-" + std::to_string(p.month) + "-" +
                           std::to_string(p.day)); // outside what a TDateTime holds
    return TCell::date(util::encodeDateTime(p));
}

// The name of an object type as the describe reports it ("XMLTYPE"), or "OBJECT".
std::string objectTypeName(const OciFunctions& fn, void* param, OCIError* err) {
    OraText* name = nullptr;
    ub4 length = 0;
    if (fn.AttrGet(param, OCI_DTYPE_PARAM, &name, &length, OCI_ATTR_TYPE_NAME, err) !=
            OCI_SUCCESS ||
        !name || length == 0)
        return "OBJECT";
    return std::string(reinterpret_cast<const char*>(name), length);
}

// The select-list item at `position` (1-based) and how it is defined. Every Oracle type gets a
// define that the client converts to without loss of what the program shows: texts, LOBs and
// LONGs as characters, numbers in their internal form (formatted here, whatever the client's
// NLS settings say), dates and timestamps as DATE, raw data as bytes; types that no define can
// read as text (objects, XMLTYPE, REF, BFILE, cursors, JSON, VECTOR) get a placeholder.
Column describeColumn(const OciFunctions& fn, OCIStmt* stmt, OCIError* err, ub4 position) {
    void* param = nullptr;
    check(fn, fn.ParamGet(stmt, OCI_HTYPE_STMT, err, &param, position), err, "OCIParamGet");
    struct Free {
        const OciFunctions& fn;
        void* p;
        ~Free() { fn.DescriptorFree(p, OCI_DTYPE_PARAM); }
    } freeParam{fn, param};

    ub2 type = 0, size = 0, charSize = 0;
    sb2 precision = 0;
    sb1 scale = 0;
    OraText* name = nullptr;
    ub4 nameLength = 0;
    check(fn, fn.AttrGet(param, OCI_DTYPE_PARAM, &type, nullptr, OCI_ATTR_DATA_TYPE, err), err,
          "OCIAttrGet");
    check(fn, fn.AttrGet(param, OCI_DTYPE_PARAM, &size, nullptr, OCI_ATTR_DATA_SIZE, err), err,
          "OCIAttrGet");
    check(fn, fn.AttrGet(param, OCI_DTYPE_PARAM, &name, &nameLength, OCI_ATTR_NAME, err), err,
          "OCIAttrGet");
    if (fn.AttrGet(param, OCI_DTYPE_PARAM, &precision, nullptr, OCI_ATTR_PRECISION, err) !=
        OCI_SUCCESS)
        precision = 0;
    if (fn.AttrGet(param, OCI_DTYPE_PARAM, &scale, nullptr, OCI_ATTR_SCALE, err) != OCI_SUCCESS)
        scale = 0;
    if (fn.AttrGet(param, OCI_DTYPE_PARAM, &charSize, nullptr, OCI_ATTR_CHAR_SIZE, err) !=
        OCI_SUCCESS)
        charSize = 0;

    Column c;
    c.info.name = name ? std::string(reinterpret_cast<const char*>(name), nameLength) : "";
    auto text = [&c](std::size_t width) {
        c.info.type = TFieldType::ftString;
        c.dty = SQLT_CHR;
        c.width = std::clamp<std::size_t>(width, 1, kMaxDefineBytes);
    };
    switch (type) {
    case SQLT_CHR:
    case SQLT_AFC:
    case SQLT_VCS:
    case SQLT_AVC:
        // Up to four bytes per character in the client's UTF-8.
        text(std::max<std::size_t>(size, std::size_t{charSize} * 4));
        c.info.size = charSize ? charSize : size;
        break;
    case SQLT_NUM:
    case SQLT_VNU:
    case SQLT_INT:
    case SQLT_UIN:
        c.info.type = (type == SQLT_INT || type == SQLT_UIN || (precision > 0 && scale == 0))
                          ? TFieldType::ftInteger
                          : TFieldType::ftFloat;
        c.info.size = precision;
        c.dty = SQLT_VNU;
        c.width = kVnuBytes;
        break;
    case SQLT_FLT:
    case SQLT_BFLOAT:
    case SQLT_BDOUBLE:
    case SQLT_IBFLOAT:
    case SQLT_IBDOUBLE:
        c.info.type = TFieldType::ftFloat;
        c.dty = SQLT_BDOUBLE;
        c.width = sizeof(double);
        break;
    case SQLT_DAT:
    case SQLT_DATE:
    case SQLT_TIMESTAMP:
    case SQLT_TIMESTAMP_TZ:
    case SQLT_TIMESTAMP_LTZ:
    case SQLT_TIMESTAMP_INTERNAL:
    case SQLT_TIMESTAMP_TZ_INTERNAL:
    case SQLT_TIMESTAMP_LTZ_INTERNAL:
        // Fractional seconds and zones are dropped: the program's date-times hold seconds.
        c.info.type = TFieldType::ftDateTime;
        c.dty = SQLT_DAT;
        c.width = 7;
        break;
    case SQLT_BIN:
        c.info.type = TFieldType::ftVarBytes;
        c.info.size = size;
        c.dty = SQLT_BIN;
        c.width = std::max<std::size_t>(size, 1);
        break;
    case SQLT_LBI:
    case SQLT_BLOB:
        c.info.type = TFieldType::ftVarBytes;
        c.dty = SQLT_LBI;
        c.width = kLongLimit;
        c.limited = true;
        break;
    case SQLT_LNG:
        text(kLongLimit);
        c.dty = SQLT_LNG;
        c.limited = true;
        break;
    case SQLT_CLOB:
        // Oracle converts LOBs to SQLT_CHR and SQLT_LNG (not to SQLT_STR).
        text(kLongLimit);
        c.limited = true;
        break;
    case SQLT_RDD:
    case SQLT_UROWID:
        // A ROWID's text is 18 characters; a UROWID's about 4/3 of its bytes.
        text(std::max<std::size_t>(std::size_t{size} * 2, 64));
        break;
    case SQLT_INTERVAL_YM:
    case SQLT_INTERVAL_DS:
    case SQLT_INTERVAL_YM_INTERNAL:
    case SQLT_INTERVAL_DS_INTERNAL:
        text(64);
        break;
    case SQLT_BOL:
        c.info.type = TFieldType::ftString;
        c.dty = SQLT_BOL;
        c.width = sizeof(int);
        break;
    case SQLT_NTY:
        c.placeholder = "(" + objectTypeName(fn, param, err) + ")";
        break;
    case SQLT_REF:
        c.placeholder = "(REF)";
        break;
    case SQLT_BFILE:
        c.placeholder = "(BFILE)";
        break;
    case SQLT_CFILE:
        c.placeholder = "(CFILE)";
        break;
    case SQLT_RSET:
        c.placeholder = "(CURSOR)";
        break;
    case SQLT_JSON:
        c.placeholder = "(JSON)";
        break;
    case SQLT_VEC:
        c.placeholder = "(VECTOR)";
        break;
    default:
        c.placeholder = "(TYPE " + std::to_string(type) + ")";
        break;
    }
    if (!c.placeholder.empty())
        text(c.placeholder.size());
    return c;
}

// The text of a LONG or LOB cut at the read limit: whole UTF-8 characters, and a note.
std::string truncatedText(const char* p, std::size_t length) {
    while (length > 0 && (static_cast<unsigned char>(p[length]) & 0xC0) == 0x80)
        --length; // p[length] continues the character that starts before it
    return std::string(p, length) + " [truncated at " + std::to_string(kLongLimit) + " bytes]";
}

TCell cellOf(const Column& c, std::size_t row) {
    const sb2 indicator = c.indicators[row];
    if (indicator == OCI_IND_NULL)
        return TCell{};
    const char* p = c.data.data() + row * c.width;
    const std::size_t length = std::min<std::size_t>(c.lengths[row], c.width);
    switch (c.dty) {
    case SQLT_DAT:
        return fromOracleDate(reinterpret_cast<const unsigned char*>(p));
    case SQLT_BIN:
    case SQLT_LBI:
        return TCell::bytes(std::string(p, length));
    case SQLT_VNU: {
        const auto* b = reinterpret_cast<const unsigned char*>(p);
        if (auto text = oracleNumberText(b + 1, std::min<std::size_t>(b[0], kVnuBytes - 1)))
            return TCell::text(std::move(*text));
        return TCell::text("(NUMBER)"); // not a NUMBER's internal form
    }
    case SQLT_BDOUBLE: {
        double v = 0;
        std::memcpy(&v, p, sizeof v);
        return TCell::real(v);
    }
    case SQLT_BOL: {
        int v = 0;
        std::memcpy(&v, p, sizeof v);
        return TCell::text(v ? "TRUE" : "FALSE");
    }
    default: {
        // SQLT_CHR and SQLT_LNG: the returned length counts the bytes; a truncated value
        // (indicator > 0 or -2, return code 1406) fills the buffer.
        const bool truncated = indicator == -2 || indicator > 0 || c.codes[row] == 1406;
        if (c.limited && truncated)
            return TCell::text(truncatedText(p, length));
        return TCell::text(std::string(p, length));
    }
    }
}

ub2 statementType(const OciFunctions& fn, OCIStmt* stmt, OCIError* err) {
    ub2 type = 0;
    check(fn, fn.AttrGet(stmt, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, err), err,
          "OCIAttrGet");
    return type;
}

// Statements that change data are committed as they run, as on the sandbox; others (table
// locks among them) leave their transaction open until "commit".
ub4 executeMode(ub2 type) {
    switch (type) {
    case OCI_STMT_UPDATE:
    case OCI_STMT_DELETE:
    case OCI_STMT_INSERT:
    case OCI_STMT_MERGE:
    case OCI_STMT_BEGIN:
    case OCI_STMT_DECLARE:
    case OCI_STMT_CALL:
        return OCI_COMMIT_ON_SUCCESS;
    default:
        return OCI_DEFAULT;
    }
}

// Prepares the statement and binds the values whose names it uses.
void prepare(OciSession& session, Statement& st, const std::string& sql, const TBindList& binds,
             std::deque<BindBuffer>& buffers) {
    const OciFunctions& fn = session.fn();
    {
        OciSession::CallScope call(session, st.cancel);
        check(fn,
              fn.StmtPrepare2(
                  session.svc(), &st.stmt, st.err, reinterpret_cast<const OraText*>(sql.data()),
                  static_cast<ub4>(sql.size()), nullptr, 0, OCI_NTV_SYNTAX, OCI_DEFAULT),
              st.err, "OCIStmtPrepare2");
    }
    for (const std::string& name : placeholderNames(sql)) {
        const auto it = std::find_if(binds.begin(), binds.end(),
                                     [&](const TBindValue& b) { return b.name == name; });
        if (it == binds.end())
            continue; // left unbound: the server reports ORA-01008
        BindBuffer& b = buffers.emplace_back();
        void* value = nullptr;
        sb4 size = 0;
        ub2 dty = SQLT_CHR;
        switch (it->value.kind) {
        case TCell::Kind::Null:
            b.indicator = OCI_IND_NULL;
            break;
        case TCell::Kind::Text:
            b.bytes = it->value.s;
            value = b.bytes.data();
            size = static_cast<sb4>(b.bytes.size());
            break;
        case TCell::Kind::Bytes:
            b.bytes = it->value.s;
            value = b.bytes.data();
            size = static_cast<sb4>(b.bytes.size());
            dty = SQLT_BIN;
            break;
        case TCell::Kind::Integer:
            b.integer = it->value.i;
            value = &b.integer;
            size = sizeof b.integer;
            dty = SQLT_INT;
            break;
        case TCell::Kind::Float:
            b.real = it->value.d;
            value = &b.real;
            size = sizeof b.real;
            dty = SQLT_FLT;
            break;
        case TCell::Kind::Date:
            toOracleDate(it->value.d, b.date);
            value = b.date;
            size = sizeof b.date;
            dty = SQLT_DAT;
            break;
        }
        const std::string placeholder = ":" + name;
        OCIBind* bind = nullptr;
        check(fn,
              fn.BindByName(st.stmt, &bind, st.err,
                            reinterpret_cast<const OraText*>(placeholder.data()),
                            static_cast<sb4>(placeholder.size()), value, size, dty, &b.indicator,
                            nullptr, nullptr, 0, nullptr, OCI_DEFAULT),
              st.err, "OCIBindByName");
    }
}

void run(OciSession& session, Statement& st, ub4 iterations, ub4 mode) {
    OciSession::CallScope call(session, st.cancel);
    check(session.fn(),
          session.fn().StmtExecute(session.svc(), st.stmt, st.err, iterations, 0, nullptr, nullptr,
                                   mode),
          st.err, "OCIStmtExecute");
}

// The query as an inline view with every placeholder column replaced by its text. Raises when
// the columns cannot be named one by one (a name used twice, or none).
std::string placeholderQuery(const std::string& sql, const std::vector<Column>& columns) {
    std::string inner = sql;
    while (!inner.empty() &&
           (std::isspace(static_cast<unsigned char>(inner.back())) || inner.back() == ';'))
        inner.pop_back();
    std::string list;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const Column& c = columns[i];
        const auto same = [&](const Column& other) { return other.info.name == c.info.name; };
        if (c.info.name.empty() || c.info.name.find('"') != std::string::npos ||
            std::count_if(columns.begin(), columns.end(), same) > 1) {
            const auto unreadable =
                std::find_if(columns.begin(), columns.end(),
                             [](const Column& x) { return !x.placeholder.empty(); });
            throw EOciError("Column " + unreadable->info.name + " is of a type shown only as " +
                                unreadable->placeholder +
                                ", which needs every column of the query to have a name of its "
                                "own: give the columns distinct aliases",
                            "OCIDefineByPos");
        }
        const std::string quoted = "\"" + c.info.name + "\"";
        list += i ? ", " : "";
        list += c.placeholder.empty() ? std::string(kWrapAlias) + "." + quoted
                                      : "'" + c.placeholder + "' " + quoted;
    }
    // The newline ends a trailing "--" comment of the original text.
    return "select " + list + " from (" + inner + "\n) " + kWrapAlias;
}

} // namespace

TResultSet OciSession::query(const std::string& sql, const TBindList& binds,
                             const std::atomic<bool>& cancel) {
    return query(sql, binds, cancel, false);
}

TResultSet OciSession::query(const std::string& sql, const TBindList& binds,
                             const std::atomic<bool>& cancel, bool wrapped) {
    const auto err = newErrorHandle();
    Statement st{*this, err.get(), cancel};
    std::deque<BindBuffer> bindBuffers;
    prepare(*this, st, sql, binds, bindBuffers);
    const ub2 type = statementType(fn_, st.stmt, err.get());
    if (type != OCI_STMT_SELECT) {
        run(*this, st, 1, executeMode(type));
        return {};
    }
    run(*this, st, 0, OCI_DEFAULT);

    ub4 count = 0;
    check(fn_,
          fn_.AttrGet(st.stmt, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, err.get()),
          err.get(), "OCIAttrGet");
    std::vector<Column> columns;
    columns.reserve(count);
    std::size_t rowBytes = 0;
    bool placeholders = false;
    for (ub4 i = 1; i <= count; ++i) {
        columns.push_back(describeColumn(fn_, st.stmt, err.get(), i));
        rowBytes += columns.back().width + sizeof(sb2) + 2 * sizeof(ub2);
        placeholders = placeholders || !columns.back().placeholder.empty();
    }
    if (placeholders) {
        // Columns that no define reads are replaced by their placeholder on the server: the
        // query runs again as an inline view whose other columns are selected by name.
        if (wrapped)
            throw EOciError("The query's columns cannot be read even as placeholders",
                            "OCIDefineByPos");
        return query(placeholderQuery(sql, columns), binds, cancel, true);
    }
    const std::size_t rows = std::clamp(kFetchBufferBytes / std::max<std::size_t>(rowBytes, 1),
                                        kMinFetchRows, kMaxFetchRows);
    for (ub4 i = 0; i < count; ++i) {
        Column& c = columns[i];
        c.data.resize(rows * c.width);
        c.indicators.resize(rows);
        c.lengths.resize(rows);
        c.codes.resize(rows);
        OCIDefine* define = nullptr;
        check(fn_,
              fn_.DefineByPos(st.stmt, &define, err.get(), i + 1, c.data.data(),
                              static_cast<sb4>(c.width), c.dty, c.indicators.data(),
                              c.lengths.data(), c.codes.data(), OCI_DEFAULT),
              err.get(), "OCIDefineByPos");
    }

    TResultSet result;
    for (const Column& c : columns)
        result.columns.push_back(c.info);
    for (;;) {
        sword status;
        {
            CallScope call(*this, cancel);
            status = fn_.StmtFetch2(st.stmt, err.get(), static_cast<ub4>(rows), OCI_FETCH_NEXT, 0,
                                    OCI_DEFAULT);
        }
        if (status == OCI_INVALID_HANDLE)
            check(fn_, status, err.get(), "OCIStmtFetch2");
        // The error first: the next call on the error handle may replace it.
        int errorCode = 0;
        std::string errorText;
        if (status == OCI_ERROR)
            errorOf(fn_, err.get(), errorCode, errorText);
        ub4 fetched = 0;
        check(fn_,
              fn_.AttrGet(st.stmt, OCI_HTYPE_STMT, &fetched, nullptr, OCI_ATTR_ROWS_FETCHED,
                          err.get()),
              err.get(), "OCIAttrGet");
        for (ub4 r = 0; r < fetched && r < rows; ++r) {
            std::vector<TCell> row;
            row.reserve(columns.size());
            for (const Column& c : columns)
                row.push_back(cellOf(c, r));
            result.rows.push_back(std::move(row));
        }
        if (status == OCI_ERROR) {
            // Rows before the error are delivered; reading past them raises it.
            if (errorCode == 1013 || cancel)
                throw EOraCancelled();
            result.fetchErrorCode = errorCode ? errorCode : 600;
            result.fetchErrorText = errorText;
            break;
        }
        if (status == OCI_NO_DATA)
            break;
        if (cancel)
            throw EOraCancelled();
    }
    return result;
}

std::int64_t OciSession::execute(const std::string& sql, const TBindList& binds,
                                 const std::atomic<bool>& cancel) {
    const auto err = newErrorHandle();
    Statement st{*this, err.get(), cancel};
    std::deque<BindBuffer> bindBuffers;
    prepare(*this, st, sql, binds, bindBuffers);
    const ub2 type = statementType(fn_, st.stmt, err.get());
    // A query run as a statement executes without fetching.
    run(*this, st, type == OCI_STMT_SELECT ? 0 : 1, executeMode(type));
    if (type == OCI_STMT_SELECT)
        return 0;
    ub4 rows = 0;
    check(fn_, fn_.AttrGet(st.stmt, OCI_HTYPE_STMT, &rows, nullptr, OCI_ATTR_ROW_COUNT, err.get()),
          err.get(), "OCIAttrGet");
    return rows;
}

} // namespace oradb::oci
