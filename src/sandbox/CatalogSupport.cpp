#include "sandbox/CatalogSupport.h"

#include <QFile>
#include <QString>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <map>
#include <mutex>
#include <sqlite3.h>
#include <stdexcept>

namespace oradb::sandbox::detail {

namespace {

bool readWhole(const QString& path, std::string& out) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    out.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

std::string formatWith(std::int64_t seconds, char separator) {
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    std::int64_t y = 0;
    unsigned m = 0, d = 0;
    civilFromDays(days, y, m, d);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u%c%02lld:%02lld:%02lld",
                  static_cast<long long>(y), m, d, separator, static_cast<long long>(rest / 3600),
                  static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
    return buf;
}

} // namespace

std::string sandboxDataFile(const char* name) {
    std::string text;
    if (readWhole(QStringLiteral(":/sandbox/") + QString::fromUtf8(name), text))
        return text;
#ifdef QUENBY_SANDBOX_DATA_DIR
    if (readWhole(QStringLiteral(QUENBY_SANDBOX_DATA_DIR "/") + QString::fromUtf8(name), text))
        return text;
#endif
    throw std::runtime_error(std::string("sandbox data file not found: ") + name);
}

std::vector<CsvRow> parseCsv(std::string_view text) {
    std::vector<CsvRow> rows;
    CsvRow row;
    std::string field;
    bool quoted = false;
    bool rowHasContent = false;
    auto endField = [&] {
        row.push_back(field);
        field.clear();
    };
    auto endRow = [&] {
        if (rowHasContent || !field.empty() || !row.empty()) {
            endField();
            rows.push_back(std::move(row));
        }
        row.clear();
        field.clear();
        rowHasContent = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
            rowHasContent = true;
        } else if (c == ',') {
            endField();
            rowHasContent = true;
        } else if (c == '\n') {
            endRow();
        } else if (c != '\r') {
            field += c;
            rowHasContent = true;
        }
    }
    endRow();
    return rows;
}

const std::vector<CsvRow>& readCsv(const char* name, std::size_t minColumns) {
    static std::mutex mutex;
    static std::map<std::string, std::vector<CsvRow>> parsed;
    const std::lock_guard<std::mutex> lock(mutex);
    auto it = parsed.find(name);
    if (it == parsed.end()) {
        std::vector<CsvRow> rows = parseCsv(sandboxDataFile(name));
        if (!rows.empty())
            rows.erase(rows.begin());
        it = parsed.emplace(name, std::move(rows)).first;
    }
    for (const CsvRow& row : it->second) {
        if (row.size() < minColumns)
            throw std::runtime_error(std::string("sandbox data file ") + name +
                                     ": a row has too few fields");
    }
    return it->second;
}

std::vector<std::string> splitAlternatives(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t bar = text.find('|', start);
        parts.push_back(text.substr(start, bar == std::string::npos ? bar : bar - start));
        if (bar == std::string::npos)
            return parts;
        start = bar + 1;
    }
}

std::int64_t toInt(const std::string& text) {
    return text.empty() ? 0 : std::stoll(text);
}

double toReal(const std::string& text) {
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc())
        throw std::runtime_error("sandbox catalog: bad number '" + text + "'");
    return value;
}

std::uint64_t mix(std::uint64_t a, std::uint64_t b) {
    std::uint64_t z = a + 0x9E3779B97F4A7C15ULL * (b + 1);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint64_t Rng::next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::int64_t Rng::below(std::int64_t n) {
    if (n <= 0)
        return 0;
    return static_cast<std::int64_t>(next() % static_cast<std::uint64_t>(n));
}

std::int64_t Rng::range(std::int64_t lo, std::int64_t hi) {
    return hi <= lo ? lo : lo + below(hi - lo + 1);
}

bool Rng::chance(int permille) {
    return below(1000) < permille;
}

double Rng::unit() {
    return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0);
}

void exec(sqlite3* db, const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        throw std::runtime_error("sandbox catalog: " + text);
    }
}

Stmt::Stmt(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("sandbox catalog: ") + sqlite3_errmsg(db) +
                                 " in: " + sql);
}

Stmt::~Stmt() {
    sqlite3_finalize(stmt_);
}

Stmt& Stmt::bind(std::int64_t value) {
    sqlite3_bind_int64(stmt_, next_++, value);
    return *this;
}

Stmt& Stmt::bind(double value) {
    sqlite3_bind_double(stmt_, next_++, value);
    return *this;
}

Stmt& Stmt::bind(const std::string& value) {
    sqlite3_bind_text(stmt_, next_++, value.data(), static_cast<int>(value.size()),
                      SQLITE_TRANSIENT);
    return *this;
}

Stmt& Stmt::bind(const char* value) {
    if (value == nullptr)
        return bindNull();
    sqlite3_bind_text(stmt_, next_++, value, -1, SQLITE_TRANSIENT);
    return *this;
}

Stmt& Stmt::bindNull() {
    sqlite3_bind_null(stmt_, next_++);
    return *this;
}

bool Stmt::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const std::string message = sqlite3_errmsg(db_);
    sqlite3_reset(stmt_);
    throw std::runtime_error("sandbox catalog: " + message);
}

void Stmt::run() {
    while (step()) {
    }
    reset();
}

void Stmt::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    next_ = 1;
}

std::int64_t Stmt::integer(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

double Stmt::real(int column) const {
    return sqlite3_column_double(stmt_, column);
}

std::string Stmt::text(int column) const {
    const auto* p = sqlite3_column_text(stmt_, column);
    return p ? std::string(reinterpret_cast<const char*>(p),
                           static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
             : std::string();
}

bool Stmt::isNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

std::int64_t queryInt(sqlite3* db, const char* sql) {
    Stmt q(db, sql);
    return q.step() ? q.integer(0) : 0;
}

Savepoint::Savepoint(sqlite3* db) : db_(db) {
    exec(db_, "savepoint sbx_catalog");
}

Savepoint::~Savepoint() {
    if (!done_) {
        sqlite3_exec(db_, "rollback to sbx_catalog", nullptr, nullptr, nullptr);
        sqlite3_exec(db_, "release sbx_catalog", nullptr, nullptr, nullptr);
    }
}

void Savepoint::commit() {
    exec(db_, "release sbx_catalog");
    done_ = true;
}

std::string metaGet(sqlite3* db, const char* key, const std::string& fallback) {
    Stmt q(db, "select value from sbx_meta where key = ?");
    q.bind(key);
    return q.step() && !q.isNull(0) ? q.text(0) : fallback;
}

void metaSet(sqlite3* db, const char* key, const std::string& value) {
    Stmt q(db, "insert or replace into sbx_meta (key, value) values (?, ?)");
    q.bind(key).bind(value).run();
}

std::int64_t parseTime(const std::string& text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d%*c%d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6)
        throw std::runtime_error("sandbox catalog: bad date text '" + text + "'");
    return daysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) * 86400 +
           h * 3600 + mi * 60 + s;
}

std::string formatTime(std::int64_t seconds) {
    return formatWith(seconds, ' ');
}

std::string formatLoadTime(std::int64_t seconds) {
    return formatWith(seconds, '/');
}

std::string localTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &local);
    return buf;
}

std::string hex64(std::uint64_t value) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%016llX", static_cast<unsigned long long>(value));
    return buf;
}

std::uint32_t statementHash(std::string_view text) {
    std::uint32_t h = 2166136261u;
    for (const char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619u;
    }
    // Final avalanche so that similar texts spread over the whole 32-bit range.
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h;
}

std::int64_t unsignedHash(std::uint32_t hash) {
    return static_cast<std::int64_t>(hash);
}

std::string sqlId(std::string_view text) {
    // The high half: FNV-1a over the text from its end, independent of statementHash.
    std::uint32_t high = 2166136261u;
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        high ^= static_cast<unsigned char>(*it);
        high *= 16777619u;
    }
    std::uint64_t value = (static_cast<std::uint64_t>(high) << 32) | statementHash(text);
    static constexpr char kAlphabet[] = "0123456789abcdfghjkmnpqrstuvwxyz";
    std::string id(13, '0');
    for (int i = 12; i >= 0; --i) {
        id[static_cast<std::size_t>(i)] = kAlphabet[value & 31u];
        value >>= 5;
    }
    return id;
}

WaitClass waitClassOf(std::string_view event, std::string_view category) {
    static constexpr WaitClass kOther{1893977003, 0, "Other"};
    static constexpr WaitClass kApplication{4217450380, 1, "Application"};
    static constexpr WaitClass kConfiguration{3290255840, 2, "Configuration"};
    static constexpr WaitClass kConcurrency{3875070507, 4, "Concurrency"};
    static constexpr WaitClass kCommit{3386400367, 5, "Commit"};
    static constexpr WaitClass kIdle{2723168908, 6, "Idle"};
    static constexpr WaitClass kNetwork{2000153315, 7, "Network"};
    static constexpr WaitClass kUserIo{1740759767, 8, "User I/O"};
    static constexpr WaitClass kSystemIo{4108307767, 9, "System I/O"};
    auto starts = [&](std::string_view prefix) { return event.substr(0, prefix.size()) == prefix; };
    if (category == "idle" || category == "timer")
        return kIdle;
    if (category == "net")
        return kNetwork;
    if (category == "lock")
        return kApplication;
    if (event == "log file sync")
        return kCommit;
    if (starts("log file switch") || event == "log buffer space" || event == "free buffer waits" ||
        event == "write complete waits" || event == "undo segment extension")
        return kConfiguration;
    if (starts("latch") || starts("library cache") || event == "row cache lock" ||
        event == "buffer busy waits")
        return kConcurrency;
    if (category == "io") {
        const bool system =
            starts("log file") || starts("control file") || event == "db file parallel write";
        return system ? kSystemIo : kUserIo;
    }
    return kOther;
}

} // namespace oradb::sandbox::detail
