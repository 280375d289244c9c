// The stand-in client library: preparing, binding, executing, describing, defining and fetching,
// with the conversions between the sandbox's values and the caller's external types.
#include "OciStub.h"
#include "oradb/OraError.h"
#include "oradb/OraNumber.h"
#include "oradb/oci/OciDriver.h"
#include "util/DateTimeText.h"
#include "util/TextHelpers.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ocistub {

namespace {

using oradb::TCell;
using oradb::TFieldType;

std::string hexOf(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// Oracle's default text of a DATE (NLS_DATE_FORMAT 'DD-MON-RR').
std::string dateText(oradb::TDateTime t) {
    static const char* months[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                   "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    const auto p = util::decodeDateTime(t);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d-%s-%02d", p.day, months[p.month - 1], p.year % 100);
    return buf;
}

// A conversion that failed, as the Oracle error the fetch reports.
struct ConversionError {
    int code;
    std::string text;
};

ConversionError inconsistent(const char* expected, const char* got) {
    return {932, std::string("inconsistent datatypes: expected ") + expected + " got " + got};
}

const char* kindName(const TCell& c) {
    switch (c.kind) {
    case TCell::Kind::Integer:
    case TCell::Kind::Float:
        return "NUMBER";
    case TCell::Kind::Date:
        return "DATE";
    case TCell::Kind::Bytes:
        return "BINARY";
    default:
        return "CHAR";
    }
}

// Oracle's default text of a TIMESTAMP (NLS_TIMESTAMP_FORMAT 'DD-MON-RR HH.MI.SSXFF AM').
std::string timestampText(oradb::TDateTime t, bool withZone) {
    static const char* months[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                   "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    const auto p = util::decodeDateTime(t);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02d-%s-%02d %02d.%02d.%02d.000000 %s%s", p.day,
                  months[p.month - 1], p.year % 100, p.hour % 12 == 0 ? 12 : p.hour % 12, p.minute,
                  p.second, p.hour < 12 ? "AM" : "PM", withZone ? " +00:00" : "");
    return buf;
}

// Oracle's text of a BINARY_DOUBLE: "3.14E+000".
std::string binaryDoubleText(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15E", v);
    std::string s(buf);
    const auto e = s.find('E');
    std::string mantissa = s.substr(0, e);
    while (mantissa.size() > 1 && mantissa.back() == '0' && mantissa[mantissa.size() - 2] != '.')
        mantissa.pop_back();
    const int exponent = std::atoi(s.c_str() + e + 1);
    std::snprintf(buf, sizeof buf, "E%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return mantissa + buf;
}

// Numbers as the server converts them for the client: its decimal character.
std::string withDecimal(std::string text, char decimal) {
    if (decimal != '.')
        std::replace(text.begin(), text.end(), '.', decimal);
    return text;
}

std::string textOf(const TCell& c) {
    switch (c.kind) {
    case TCell::Kind::Text:
        return c.s;
    case TCell::Kind::Integer:
        return std::to_string(c.i);
    case TCell::Kind::Float:
        return oradb::oracleNumberText(c.d);
    case TCell::Kind::Date:
        return dateText(c.d);
    case TCell::Kind::Bytes:
        return hexOf(c.s);
    case TCell::Kind::Null:
        break;
    }
    return {};
}

void toOracleDate(oradb::TDateTime t, unsigned char* out) {
    const auto p = util::decodeDateTime(t);
    out[0] = static_cast<unsigned char>(p.year / 100 + 100);
    out[1] = static_cast<unsigned char>(p.year % 100 + 100);
    out[2] = static_cast<unsigned char>(p.month);
    out[3] = static_cast<unsigned char>(p.day);
    out[4] = static_cast<unsigned char>(p.hour + 1);
    out[5] = static_cast<unsigned char>(p.minute + 1);
    out[6] = static_cast<unsigned char>(p.second + 1);
}

oradb::TDateTime fromOracleDate(const unsigned char* b) {
    util::DateTimeParts p;
    p.year = (b[0] - 100) * 100 + (b[1] - 100);
    p.month = b[2];
    p.day = b[3];
    p.hour = b[4] - 1;
    p.minute = b[5] - 1;
    p.second = b[6] - 1;
    return util::encodeDateTime(p);
}

bool isTimestamp(ub2 type) {
    return type == SQLT_TIMESTAMP || type == SQLT_TIMESTAMP_TZ || type == SQLT_TIMESTAMP_LTZ;
}

// Oracle's table of the conversions from a column's type to a define's external type, for the
// types the sandbox produces. Raises ORA-00932 for one that Oracle does not make.
void checkConversion(const Param& p, ub2 dty) {
    auto refuse = [&](const std::string& got) {
        throw ConversionError{932, "inconsistent datatypes: expected - got " + got};
    };
    const bool text = dty == SQLT_CHR || dty == SQLT_STR || dty == SQLT_AFC || dty == SQLT_VCS;
    switch (p.dataType) {
    case SQLT_CLOB:
        // LOBs convert to SQLT_CHR and SQLT_LNG, not to SQLT_STR.
        if (dty != SQLT_CHR && dty != SQLT_LNG)
            refuse(p.oracleType);
        break;
    case SQLT_LNG:
        if (!text && dty != SQLT_LNG)
            refuse("LONG");
        break;
    case SQLT_NTY:
        refuse(p.schemaName + "." + p.typeName); // objects need OCIDefineObject
        break;
    case SQLT_JSON:
    case SQLT_BFILE:
        refuse(p.oracleType); // read through descriptors only
        break;
    case SQLT_RDD:
    case SQLT_INTERVAL_DS:
    case SQLT_INTERVAL_YM:
        if (!text)
            refuse(p.oracleType);
        break;
    case SQLT_TIMESTAMP:
    case SQLT_TIMESTAMP_TZ:
    case SQLT_TIMESTAMP_LTZ:
        if (!text && dty != SQLT_DAT)
            refuse(p.oracleType);
        break;
    default:
        break;
    }
}

// The text the server sends for a value converted to characters.
std::string convertedText(const TCell& cell, const Param& p, char decimal) {
    if (cell.kind == TCell::Kind::Date && isTimestamp(p.dataType))
        return timestampText(cell.d, p.dataType != SQLT_TIMESTAMP);
    if (cell.kind == TCell::Kind::Float &&
        (p.dataType == SQLT_IBDOUBLE || p.dataType == SQLT_IBFLOAT))
        return withDecimal(binaryDoubleText(cell.d), decimal);
    if (cell.kind == TCell::Kind::Integer || cell.kind == TCell::Kind::Float)
        return withDecimal(textOf(cell), decimal);
    return textOf(cell);
}

// A value as a double, or ORA-01722.
double numberOf(const TCell& cell) {
    if (cell.kind == TCell::Kind::Integer)
        return static_cast<double>(cell.i);
    if (cell.kind == TCell::Kind::Float)
        return cell.d;
    if (auto f = cell.kind == TCell::Kind::Text ? oradb::parseFloat(cell.s) : std::nullopt)
        return *f;
    throw ConversionError{1722, "invalid number"};
}

// Writes one value into element `row` of a define; returns true when it was truncated.
bool writeValue(const Define& d, std::size_t row, const TCell& cell, const Param& param,
                char decimal) {
    checkConversion(param, d.dty);
    char* out = static_cast<char*>(d.value) + row * static_cast<std::size_t>(d.size);
    const auto size = static_cast<std::size_t>(d.size);
    auto setLength = [&](std::size_t n) {
        if (d.lengths)
            d.lengths[row] = static_cast<ub2>(n);
    };
    auto setIndicator = [&](sb2 v) {
        if (d.indicators)
            d.indicators[row] = v;
    };
    auto setCode = [&](ub2 v) {
        if (d.codes)
            d.codes[row] = v;
    };
    setIndicator(OCI_IND_NOTNULL);
    setCode(0);
    auto copyTruncating = [&](const std::string& bytes, std::size_t room, bool terminate) {
        const std::size_t n = std::min(bytes.size(), room);
        std::memcpy(out, bytes.data(), n);
        if (terminate)
            out[n] = 0;
        setLength(n);
        if (n == bytes.size())
            return false;
        // Truncated: the indicator holds the full length, or -2 when that does not fit.
        setIndicator(bytes.size() > 32767 ? sb2{-2} : static_cast<sb2>(bytes.size()));
        setCode(1406);
        return true;
    };

    switch (d.dty) {
    case SQLT_STR:
        return copyTruncating(convertedText(cell, param, decimal), size ? size - 1 : 0, size > 0);
    case SQLT_CHR:
    case SQLT_AFC:
    case SQLT_LNG:
        return copyTruncating(convertedText(cell, param, decimal), size, false);
    case SQLT_VNU: {
        if (size < 22)
            throw ConversionError{3115, "unsupported network datatype or representation"};
        std::string digits = cell.kind == TCell::Kind::Text ? cell.s : textOf(cell);
        if (cell.kind == TCell::Kind::Date || cell.kind == TCell::Kind::Bytes)
            throw inconsistent("NUMBER", kindName(cell));
        const auto bytes = oradb::oracleNumberBytes(digits);
        if (!bytes)
            throw ConversionError{1722, "invalid number"};
        out[0] = static_cast<char>(bytes->size());
        std::memcpy(out + 1, bytes->data(), bytes->size());
        setLength(bytes->size() + 1);
        return false;
    }
    case SQLT_BDOUBLE: {
        if (size != sizeof(double))
            throw ConversionError{3115, "unsupported network datatype or representation"};
        const double v = numberOf(cell);
        std::memcpy(out, &v, sizeof v);
        setLength(sizeof v);
        return false;
    }
    case SQLT_DAT:
        if (size < 7)
            throw ConversionError{3115, "unsupported network datatype or representation"};
        if (cell.kind == TCell::Kind::Date) {
            toOracleDate(cell.d, reinterpret_cast<unsigned char*>(out));
        } else if (cell.kind == TCell::Kind::Text) {
            const auto t = util::fromIsoText(cell.s);
            if (!t)
                throw ConversionError{1858, "a non-numeric character was found where a numeric was "
                                            "expected"};
            toOracleDate(*t, reinterpret_cast<unsigned char*>(out));
        } else {
            throw inconsistent("DATE", kindName(cell));
        }
        setLength(7);
        return false;
    case SQLT_BIN:
    case SQLT_LBI:
        if (cell.kind == TCell::Kind::Bytes)
            return copyTruncating(cell.s, size, false);
        throw inconsistent("BINARY", kindName(cell));
    case SQLT_INT:
    case SQLT_FLT: {
        const double v = numberOf(cell);
        if (d.dty == SQLT_FLT && size == sizeof(double)) {
            std::memcpy(out, &v, sizeof v);
        } else if (d.dty == SQLT_FLT && size == sizeof(float)) {
            const auto f = static_cast<float>(v);
            std::memcpy(out, &f, sizeof f);
        } else if (d.dty == SQLT_INT && (size == 8 || size == 4 || size == 2 || size == 1)) {
            const auto i = static_cast<std::int64_t>(std::llround(v));
            // Little-endian: the low bytes of the 64-bit value are the narrower integer.
            std::memcpy(out, &i, size);
        } else {
            throw ConversionError{3115, "unsupported network datatype or representation"};
        }
        setLength(size);
        return false;
    }
    default:
        throw ConversionError{3115, "unsupported network datatype or representation"};
    }
}

// The value a bind holds, as a cell for the sandbox.
TCell bindValue(const Bind& b) {
    if (b.indicator && *b.indicator == OCI_IND_NULL)
        return TCell{};
    const auto* p = static_cast<const char*>(b.value);
    const std::size_t size =
        b.length ? *b.length : static_cast<std::size_t>(std::max<sb4>(b.size, 0));
    switch (b.dty) {
    case SQLT_CHR:
    case SQLT_AFC:
    case SQLT_LNG:
        // An empty text is NULL in Oracle.
        return size == 0 ? TCell{} : TCell::text(std::string(p, size));
    case SQLT_STR: {
        const std::size_t n = ::strnlen(p, static_cast<std::size_t>(b.size));
        return n == 0 ? TCell{} : TCell::text(std::string(p, n));
    }
    case SQLT_BIN:
    case SQLT_LBI:
        return TCell::bytes(std::string(p, size));
    case SQLT_DAT:
        return TCell::date(fromOracleDate(reinterpret_cast<const unsigned char*>(p)));
    case SQLT_INT: {
        std::int64_t v = 0;
        if (b.size == 8)
            std::memcpy(&v, p, 8);
        else if (b.size == 4)
            v = *reinterpret_cast<const std::int32_t*>(p);
        else if (b.size == 2)
            v = *reinterpret_cast<const std::int16_t*>(p);
        else
            v = *reinterpret_cast<const std::int8_t*>(p);
        return TCell::integer(v);
    }
    case SQLT_FLT: {
        if (b.size == sizeof(float))
            return TCell::real(*reinterpret_cast<const float*>(p));
        double v = 0;
        std::memcpy(&v, p, sizeof v);
        return TCell::real(v);
    }
    default:
        throw ConversionError{3115, "unsupported network datatype or representation"};
    }
}

// The describe of a column whose Oracle type the sandbox names; false for the others.
bool describeOracleType(Param& p) {
    struct Described {
        const char* oracleType;
        ub2 dataType;
        ub2 dataSize;
    };
    static const Described kTypes[] = {
        {"CLOB", SQLT_CLOB, 4000},
        {"NCLOB", SQLT_CLOB, 4000},
        {"LONG", SQLT_LNG, 0},
        {"ROWID", SQLT_RDD, 10},
        {"XMLTYPE", SQLT_NTY, 0},
        {"JSON", SQLT_JSON, 0},
        {"BFILE", SQLT_BFILE, 530},
        {"BINARY_DOUBLE", SQLT_IBDOUBLE, 8},
        {"BINARY_FLOAT", SQLT_IBFLOAT, 4},
        {"TIMESTAMP", SQLT_TIMESTAMP, 11},
        {"TIMESTAMP WITH TIME ZONE", SQLT_TIMESTAMP_TZ, 13},
        {"TIMESTAMP WITH LOCAL TIME ZONE", SQLT_TIMESTAMP_LTZ, 11},
        {"INTERVAL DAY TO SECOND", SQLT_INTERVAL_DS, 11},
        {"INTERVAL YEAR TO MONTH", SQLT_INTERVAL_YM, 5},
    };
    for (const Described& d : kTypes) {
        if (p.oracleType != d.oracleType)
            continue;
        p.dataType = d.dataType;
        p.dataSize = d.dataSize;
        if (d.dataType == SQLT_NTY) {
            p.typeName = p.oracleType;
            p.schemaName = "SYS";
        }
        return true;
    }
    return false;
}

// Describes the select list as Oracle would: texts as VARCHAR2, numbers as NUMBER with their
// precision and scale, dates as DATE, raw bytes as RAW.
void describe(Stmt& stmt) {
    stmt.columns.clear();
    for (std::size_t i = 0; i < stmt.result.columns.size(); ++i) {
        const auto& info = stmt.result.columns[i];
        Param p(stmt.env);
        p.name = info.name;
        p.fieldType = info.type;
        // Texts and raw values are as wide as the widest of them (numbers and dates have fixed
        // sizes).
        std::size_t longest = 0;
        const bool variable = info.type != TFieldType::ftInteger &&
                              info.type != TFieldType::ftFloat &&
                              info.type != TFieldType::ftDateTime;
        for (const auto& row : stmt.result.rows) {
            if (!variable)
                break;
            const TCell& c = row[i];
            if (c.kind == TCell::Kind::Text || c.kind == TCell::Kind::Bytes)
                longest = std::max(longest, c.s.size());
            else if (c.kind != TCell::Kind::Null)
                longest = std::max(longest, textOf(c).size());
        }
        const auto declared = static_cast<std::size_t>(std::max(info.size, 0));
        const auto width = static_cast<ub2>(
            std::min<std::size_t>(std::max<std::size_t>({declared, longest, 1}), 32767));
        p.oracleType = info.oracleType;
        if (!describeOracleType(p)) {
            switch (info.type) {
            case TFieldType::ftInteger:
                p.dataType = SQLT_NUM;
                p.dataSize = 22;
                p.precision = static_cast<sb2>(info.size > 0 ? info.size : 38);
                p.scale = 0;
                break;
            case TFieldType::ftFloat:
                // NUMBER without a scale (FLOAT when a precision is given).
                p.dataType = SQLT_NUM;
                p.dataSize = 22;
                p.precision = static_cast<sb2>(info.size);
                p.scale = -127;
                break;
            case TFieldType::ftDateTime:
                p.dataType = SQLT_DAT;
                p.dataSize = 7;
                break;
            case TFieldType::ftBytes:
            case TFieldType::ftVarBytes:
                p.dataType = SQLT_BIN;
                p.dataSize = width;
                break;
            default:
                p.dataType = SQLT_CHR;
                p.dataSize = width;
                p.charSize = width;
                break;
            }
        }
        stmt.columns.push_back(std::move(p));
    }
}

oradb::IDriverSession* dbOf(SvcCtx* svc) {
    if (!svc || !svc->server || !svc->server->instance || !svc->session || !svc->session->db)
        return nullptr;
    return svc->session->db.get();
}

// Takes a pending break: the call it interrupts fails with ORA-01013.
bool takeBreak(Server* server) {
    return server->breakFlag.exchange(false);
}

// Fetches up to `rows` rows into the defines; the status OCIStmtFetch2 returns.
sword fetchRows(Stmt& stmt, Error* err, ub4 rows) {
    stmt.rowsFetched = 0;
    if (!stmt.executed || stmt.stmtType != OCI_STMT_SELECT)
        return fail(err, 1002, "fetch out of sequence");
    for (std::size_t i = 1; i <= stmt.columns.size(); ++i) {
        const bool defined = i <= stmt.defines.size() && stmt.defines[i - 1];
        if (!defined)
            return fail(err, 24374, "define not done before fetch or execute and fetch");
    }
    if (stmt.finished)
        return fail(err, 1002, "fetch out of sequence");
    if (rows == 0) { // a fetch of no rows closes the cursor
        stmt.finished = true;
        return OCI_SUCCESS;
    }
    const auto& result = stmt.result;
    bool truncated = false;
    ub4 delivered = 0;
    while (delivered < rows && stmt.next < result.rows.size()) {
        const auto& row = result.rows[stmt.next];
        try {
            for (std::size_t c = 0; c < stmt.columns.size(); ++c) {
                const Define& d = *stmt.defines[c];
                if (row[c].kind == TCell::Kind::Null) {
                    if (!d.indicators) {
                        stmt.rowsFetched = delivered;
                        return fail(err, 1405, "fetched column value is NULL");
                    }
                    d.indicators[delivered] = OCI_IND_NULL;
                    if (d.lengths)
                        d.lengths[delivered] = 0;
                    if (d.codes)
                        d.codes[delivered] = 1405;
                    continue;
                }
                truncated = writeValue(d, delivered, row[c], stmt.columns[c], stmt.env->decimal) ||
                            truncated;
            }
        } catch (const ConversionError& e) {
            stmt.rowsFetched = delivered;
            stmt.rowCount += delivered;
            stmt.finished = true;
            return fail(err, e.code, e.text);
        }
        ++delivered;
        ++stmt.next;
    }
    stmt.rowsFetched = delivered;
    stmt.rowCount += delivered;
    if (delivered < rows && result.fetchErrorCode != 0) {
        stmt.finished = true;
        return fail(err, result.fetchErrorCode, result.fetchErrorText);
    }
    if (delivered < rows) {
        stmt.finished = true;
        fail(err, 1403, "no data found");
        return OCI_NO_DATA;
    }
    if (truncated) {
        fail(err, 24345, "A Truncation or null fetch error occurred");
        return OCI_SUCCESS_WITH_INFO;
    }
    return OCI_SUCCESS;
}

} // namespace

ub2 statementTypeOf(const std::string& sql) {
    std::size_t i = 0;
    for (;;) {
        while (i < sql.size() &&
               (std::isspace(static_cast<unsigned char>(sql[i])) || sql[i] == '('))
            ++i;
        if (sql.compare(i, 2, "--") == 0) {
            i = sql.find('\n', i);
            if (i == std::string::npos)
                return OCI_STMT_UNKNOWN;
        } else if (sql.compare(i, 2, "/*") == 0) {
            i = sql.find("*/", i);
            if (i == std::string::npos)
                return OCI_STMT_UNKNOWN;
            i += 2;
        } else {
            break;
        }
    }
    std::size_t j = i;
    while (j < sql.size() && std::isalpha(static_cast<unsigned char>(sql[j])))
        ++j;
    const std::string word = util::lowerAscii(sql.substr(i, j - i));
    if (word == "select" || word == "with")
        return OCI_STMT_SELECT;
    if (word == "update")
        return OCI_STMT_UPDATE;
    if (word == "delete")
        return OCI_STMT_DELETE;
    if (word == "insert")
        return OCI_STMT_INSERT;
    if (word == "create")
        return OCI_STMT_CREATE;
    if (word == "drop")
        return OCI_STMT_DROP;
    if (word == "alter")
        return OCI_STMT_ALTER;
    if (word == "begin")
        return OCI_STMT_BEGIN;
    if (word == "declare")
        return OCI_STMT_DECLARE;
    if (word == "call")
        return OCI_STMT_CALL;
    if (word == "merge")
        return OCI_STMT_MERGE;
    return OCI_STMT_UNKNOWN;
}

} // namespace ocistub

using namespace ocistub;

extern "C" {

sword OCIStmtPrepare2(OCISvcCtx* svchp, OCIStmt** stmthp, OCIError* errhp, const OraText* stmttext,
                      ub4 stmt_len, const OraText*, ub4, ub4 language, ub4) {
    SvcCtx* svc = as<SvcCtx>(svchp, OCI_HTYPE_SVCCTX);
    Error* err = as<Error>(errhp, OCI_HTYPE_ERROR);
    if (!svc || !err || !stmthp)
        return OCI_INVALID_HANDLE;
    clear(err);
    if (!stmttext || stmt_len == 0)
        return fail(err, 24373, "invalid length specified for statement");
    if (language < 1 || language > 3)
        return fail(err, 1002, "fetch out of sequence");
    auto* stmt = new Stmt(svc->env, svc);
    stmt->sql.assign(reinterpret_cast<const char*>(stmttext), stmt_len);
    stmt->stmtType = statementTypeOf(stmt->sql);
    stmt->placeholders = oradb::oci::placeholderNames(stmt->sql);
    {
        std::lock_guard lock(svc->env->childrenMutex);
        svc->env->children.insert(stmt);
    }
    *stmthp = reinterpret_cast<OCIStmt*>(stmt);
    return OCI_SUCCESS;
}

sword OCIStmtRelease(OCIStmt* stmthp, OCIError* errhp, const OraText*, ub4, ub4) {
    Stmt* stmt = as<Stmt>(stmthp, OCI_HTYPE_STMT);
    Error* err = as<Error>(errhp, OCI_HTYPE_ERROR);
    if (!stmt || !err)
        return OCI_INVALID_HANDLE;
    clear(err);
    {
        std::lock_guard lock(stmt->env->childrenMutex);
        stmt->env->children.erase(stmt);
    }
    delete stmt;
    return OCI_SUCCESS;
}

sword OCIBindByName(OCIStmt* stmtp, OCIBind** bindpp, OCIError* errhp, const OraText* placeholder,
                    sb4 placeh_len, void* valuep, sb4 value_sz, ub2 dty, void* indp, ub2* alenp,
                    ub2*, ub4, ub4*, ub4) {
    Stmt* stmt = as<Stmt>(stmtp, OCI_HTYPE_STMT);
    Error* err = as<Error>(errhp, OCI_HTYPE_ERROR);
    if (!stmt || !err || !bindpp || !placeholder)
        return OCI_INVALID_HANDLE;
    clear(err);
    std::string name(reinterpret_cast<const char*>(placeholder),
                     static_cast<std::size_t>(std::max(placeh_len, 0)));
    if (!name.empty() && name.front() == ':')
        name.erase(0, 1);
    name = util::lowerAscii(name);
    if (std::find(stmt->placeholders.begin(), stmt->placeholders.end(), name) ==
        stmt->placeholders.end())
        return fail(err, 1036, "illegal variable name/number");
    Bind* bind = nullptr;
    for (auto& b : stmt->binds)
        if (b->name == name)
            bind = b.get();
    if (!bind)
        bind = stmt->binds.emplace_back(std::make_unique<Bind>()).get();
    bind->name = name;
    bind->value = valuep;
    bind->size = value_sz;
    bind->dty = dty;
    bind->indicator = static_cast<sb2*>(indp);
    bind->length = alenp;
    *bindpp = reinterpret_cast<OCIBind*>(bind);
    return OCI_SUCCESS;
}

sword OCIStmtExecute(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters, ub4,
                     const OCISnapshot*, OCISnapshot*, ub4 mode) {
    SvcCtx* svc = as<SvcCtx>(svchp, OCI_HTYPE_SVCCTX);
    Stmt* stmt = as<Stmt>(stmtp, OCI_HTYPE_STMT);
    Error* err = as<Error>(errhp, OCI_HTYPE_ERROR);
    if (!svc || !stmt || !err)
        return OCI_INVALID_HANDLE;
    clear(err);
    oradb::IDriverSession* db = dbOf(svc);
    if (!db)
        return fail(err, 3114, "not connected to ORACLE");
    CallInProgress call(svc->server);
    const bool select = stmt->stmtType == OCI_STMT_SELECT;
    if (!select && iters == 0)
        return fail(err, 24333, "zero iteration count");

    oradb::TBindList binds;
    for (const auto& name : stmt->placeholders) {
        const auto it = std::find_if(stmt->binds.begin(), stmt->binds.end(),
                                     [&](const auto& b) { return b->name == name; });
        if (it == stmt->binds.end())
            return fail(err, 1008, "not all variables bound");
        try {
            binds.push_back({name, bindValue(**it)});
        } catch (const ConversionError& e) {
            return fail(err, e.code, e.text);
        }
    }

    stmt->executed = false;
    stmt->finished = false;
    stmt->next = 0;
    stmt->rowCount = 0;
    stmt->rowsFetched = 0;
    stmt->result = {};
    try {
        if (select) {
            stmt->result = db->query(stmt->sql, binds, svc->server->breakFlag);
            describe(*stmt);
            if (mode & OCI_DESCRIBE_ONLY)
                stmt->result.rows.clear();
        } else {
            stmt->rowCount = static_cast<std::uint64_t>(
                std::max<std::int64_t>(db->execute(stmt->sql, binds, svc->server->breakFlag), 0));
        }
    } catch (const oradb::EOraError& e) {
        if (e.ErrorCode() == 1013)
            takeBreak(svc->server); // the break is consumed by the call it interrupted
        return fail(err, e);
    }
    stmt->executed = true;
    // A query executed with iterations fetches that many rows at once.
    if (select && iters > 0 && !(mode & OCI_DESCRIBE_ONLY))
        return fetchRows(*stmt, err, iters);
    return OCI_SUCCESS;
}

sword OCIParamGet(const void* hndlp, ub4 htype, OCIError* errhp, void** parmdpp, ub4 pos) {
    Error* err = as<Error>(errhp, OCI_HTYPE_ERROR);
    Stmt* stmt = htype == OCI_HTYPE_STMT ? as<Stmt>(hndlp, OCI_HTYPE_STMT) : nullptr;
    if (!err || !stmt || !parmdpp)
        return OCI_INVALID_HANDLE;
    clear(err);
    if (!stmt->executed)
        return fail(err, 24338, "statement handle not executed");
    if (pos < 1 || pos > stmt->columns.size())
        return fail(err, 24334, "no descriptor for this position");
    auto* param = new Param(stmt->columns[pos - 1]);
    {
        std::lock_guard lock(stmt->env->childrenMutex);
        stmt->env->children.insert(param);
    }
    *parmdpp = param;
    return OCI_SUCCESS;
}

sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnpp, OCIError* errhp, ub4 position,
                     void* valuep, sb4 value_sz, ub2 dty, void* indp, ub2* rlenp, ub2* rcodep,
                     ub4) {
    Stmt* stmt = as<Stmt>(stmtp, OCI_HTYPE_STMT);
    Error* err = as<Error>(errhp, OCI_HTYPE_ERROR);
    if (!stmt || !err || !defnpp)
        return OCI_INVALID_HANDLE;
    clear(err);
    if (position < 1 || (stmt->executed && position > stmt->columns.size()))
        return fail(err, 1007, "variable not in select list");
    if (value_sz < 0 || (!valuep && value_sz > 0))
        return fail(err, 24328, "illegal attribute value");
    if (stmt->defines.size() < position)
        stmt->defines.resize(position);
    auto& d = stmt->defines[position - 1];
    if (!d)
        d = std::make_unique<Define>();
    d->position = position;
    d->value = valuep;
    d->size = value_sz;
    d->dty = dty;
    d->indicators = static_cast<sb2*>(indp);
    d->lengths = rlenp;
    d->codes = rcodep;
    *defnpp = reinterpret_cast<OCIDefine*>(d.get());
    return OCI_SUCCESS;
}

sword OCIStmtFetch2(OCIStmt* stmthp, OCIError* errhp, ub4 nrows, ub2 orientation, sb4, ub4) {
    Stmt* stmt = as<Stmt>(stmthp, OCI_HTYPE_STMT);
    Error* err = as<Error>(errhp, OCI_HTYPE_ERROR);
    if (!stmt || !err)
        return OCI_INVALID_HANDLE;
    clear(err);
    countFetch();
    if (orientation != OCI_FETCH_NEXT && orientation != 0)
        return fail(err, 24391, "invalid fetch operation");
    CallInProgress call(stmt->svc ? stmt->svc->server : nullptr);
    if (stmt->svc && stmt->svc->server && takeBreak(stmt->svc->server)) {
        stmt->rowsFetched = 0;
        stmt->finished = true;
        return fail(err, 1013, "user requested cancel of current operation");
    }
    return fetchRows(*stmt, err, nrows);
}

} // extern "C"
