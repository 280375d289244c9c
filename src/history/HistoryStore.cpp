#include "history/HistoryStore.h"

#include "util/AppLog.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>
#include <chrono>
#include <sqlite3.h>
#include <string>
#include <thread>

namespace history {

namespace {

// How long a writer waits for the other Quenby's transaction on the same file.
constexpr int kBusyTimeoutMs = 5000;
// Seconds of sampled time between two checks of the retention, the size cap and the disk.
constexpr std::int64_t kLimitCheckSeconds = 60;

// The dictionary kinds of the names table.
enum NameKind { nkUser = 1, nkProgram, nkMachine, nkSql, nkEvent, nkWaitClass };

const char* const kSchema =
    "create table if not exists names (id integer primary key, kind integer not null,"
    " text text not null, unique (kind, text));"
    "create table if not exists ticks (t integer primary key);"
    "create table if not exists samples (t integer not null, sid integer not null,"
    " serial integer, usr integer, program integer, machine integer, sql integer,"
    " event integer, wclass integer, cpu integer, blocker integer,"
    " primary key (t, sid)) without rowid;";

// A prepared statement that finalizes itself.
class Stmt {
public:
    Stmt(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
    ~Stmt() { sqlite3_finalize(stmt_); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    bool ok() const { return stmt_ != nullptr; }
    sqlite3_stmt* get() const { return stmt_; }
    void bind(int at, std::int64_t v) { sqlite3_bind_int64(stmt_, at, v); }
    // 0 stands for none and is stored as NULL, which takes no room in the row.
    void bindId(int at, std::int64_t v) {
        if (v == 0)
            sqlite3_bind_null(stmt_, at);
        else
            sqlite3_bind_int64(stmt_, at, v);
    }
    void bind(int at, const std::string& v) {
        sqlite3_bind_text(stmt_, at, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    int step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
    int reset() { return sqlite3_reset(stmt_); }
    std::int64_t integer(int column) const { return sqlite3_column_int64(stmt_, column); }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

std::int64_t pragmaValue(sqlite3* db, const char* pragma) {
    Stmt q(db, pragma);
    return q.step() == SQLITE_ROW ? q.integer(0) : 0;
}

} // namespace

THistoryStore::THistoryStore(std::string path, THistoryLimits limits, TReport report)
    : path_(std::move(path)), report_(std::move(report)), limits_(limits) {
    busy_ = true; // until the writer has opened the store
    writer_ = std::thread([this] { Run(); });
}

THistoryStore::~THistoryStore() {
    Flush(std::chrono::seconds(60));
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    writer_.join();
    CloseDb();
}

std::string THistoryStore::DefaultPath(const std::string& dbName) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/quenby/history");
    QString name = QString::fromStdString(dbName);
    // The name becomes a file name: nothing that could leave the folder.
    for (QChar& c : name)
        if (!c.isLetterOrNumber() && c != u'_' && c != u'-' && c != u'.')
            c = u'_';
    if (name.isEmpty() || name.startsWith(u'.'))
        name.prepend(u'_');
    return QString(folder + "/" + name + ".db").toStdString();
}

void THistoryStore::Append(TActivityBatch batch) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(batch));
    }
    wake_.notify_one();
}

bool THistoryStore::Flush(std::chrono::milliseconds deadline) {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, deadline, [this] { return queue_.empty() && !busy_; });
}

void THistoryStore::SetLimits(const THistoryLimits& limits) {
    std::lock_guard lock(mutex_);
    limits_ = limits;
    lastLimitCheck_ = 0; // the next batch applies them
}

void THistoryStore::Read(const std::function<void(sqlite3* db)>& fn) {
    {
        // The store is opened by the writer: wait for that (the open is quick).
        std::unique_lock lock(mutex_);
        idle_.wait_for(lock, std::chrono::seconds(30), [this] { return opened_ || quit_; });
    }
    std::lock_guard lock(dbMutex_);
    if (db_)
        fn(db_);
}

std::vector<std::string> THistoryStore::Reports() const {
    std::lock_guard lock(mutex_);
    return reports_;
}

void THistoryStore::Report(Trouble trouble, const std::string& text) {
    {
        std::lock_guard lock(mutex_);
        if (reported_[trouble])
            return;
        reported_[trouble] = true;
        reports_.push_back(text);
    }
    util::appendAppLogSafely("Activity history: " + text);
    if (report_)
        report_(text);
}

void THistoryStore::CloseDb() {
    if (db_)
        sqlite3_close_v2(db_);
    db_ = nullptr;
    names_.clear();
}

bool THistoryStore::CreateSchema() {
    if (sqlite3_exec(db_, "begin immediate", nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    const int version = static_cast<int>(pragmaValue(db_, "pragma user_version"));
    if (version > kSchemaVersion) {
        sqlite3_exec(db_, "rollback", nullptr, nullptr, nullptr);
        return false; // a newer Quenby's file: left as it is
    }
    const std::string setVersion = "pragma user_version = " + std::to_string(kSchemaVersion);
    if (sqlite3_exec(db_, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_exec(db_, setVersion.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_exec(db_, "commit", nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_exec(db_, "rollback", nullptr, nullptr, nullptr);
        return false;
    }
    return true;
}

void THistoryStore::ApplyPageLimit() {
    const std::int64_t pageSize = std::max<std::int64_t>(pragmaValue(db_, "pragma page_size"), 1);
    std::int64_t maxBytes;
    {
        std::lock_guard lock(mutex_);
        maxBytes = limits_.maxBytes;
    }
    // SQLite refuses to grow the file past this (SQLITE_FULL), whatever the checks below miss.
    const std::string sql =
        "pragma max_page_count = " + std::to_string(std::max<std::int64_t>(maxBytes / pageSize, 8));
    sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
}

bool THistoryStore::OpenFile() {
    std::string why;
    if (path_ == ":memory:")
        return false;
    const QFileInfo file(QString::fromStdString(path_));
    if (!QDir().mkpath(file.absolutePath())) {
        why = "its folder cannot be made";
    } else if (sqlite3_open_v2(path_.c_str(), &db_,
                               SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                               nullptr) != SQLITE_OK) {
        why = db_ ? sqlite3_errmsg(db_) : "out of memory";
    } else {
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        // Changing the journal mode needs the file to itself: while another Quenby makes the same
        // new file (its schema transaction), the pragma leaves the mode as it was without waiting
        // for the busy timeout. It is asked again until the file is in WAL mode or the timeout
        // has passed.
        bool inWal = false;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
        for (;;) {
            {
                Stmt wal(db_, "pragma journal_mode = wal");
                const unsigned char* mode =
                    wal.step() == SQLITE_ROW ? sqlite3_column_text(wal.get(), 0) : nullptr;
                inWal = mode && std::string(reinterpret_cast<const char*>(mode)) == "wal";
            }
            if (inWal || std::chrono::steady_clock::now() >= deadline)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!inWal)
            why = "it cannot be put in write-ahead log mode; another program may hold it";
        else if (!CreateSchema())
            why = sqlite3_errmsg(db_);
        else {
            // Short transactions and a bounded journal: the other Quenby waits briefly at most.
            sqlite3_exec(db_, "pragma synchronous = normal; pragma journal_size_limit = 4194304;",
                         nullptr, nullptr, nullptr);
            ApplyPageLimit();
            return true;
        }
    }
    CloseDb();
    Report(Trouble::Unusable, "The activity history file " + path_ + " cannot be used (" + why +
                                  "); the history is kept in memory until Quenby closes.");
    return false;
}

void THistoryStore::OpenMemory() {
    CloseDb();
    inMemory_.store(true);
    sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
    CreateSchema();
    ApplyPageLimit();
}

std::int64_t THistoryStore::NameId(int kind, const std::string& text) {
    if (text.empty())
        return 0;
    const auto key = std::make_pair(kind, text);
    const auto it = names_.find(key);
    if (it != names_.end())
        return it->second;
    Stmt insert(db_, "insert or ignore into names (kind, text) values (?, ?)");
    insert.bind(1, static_cast<std::int64_t>(kind));
    insert.bind(2, text);
    if (insert.step() != SQLITE_DONE)
        return -1;
    Stmt select(db_, "select id from names where kind = ? and text = ?");
    select.bind(1, static_cast<std::int64_t>(kind));
    select.bind(2, text);
    if (select.step() != SQLITE_ROW)
        return -1;
    return names_[key] = select.integer(0);
}

bool THistoryStore::WriteBatch(const TActivityBatch& batch, int& code) {
    code = sqlite3_exec(db_, "begin immediate", nullptr, nullptr, nullptr);
    if (code != SQLITE_OK)
        return false;
    auto fail = [&] {
        code = sqlite3_extended_errcode(db_) & 0xff;
        if (code == SQLITE_OK || code == SQLITE_DONE || code == SQLITE_ROW)
            code = SQLITE_ERROR;
        sqlite3_exec(db_, "rollback", nullptr, nullptr, nullptr);
        names_.clear(); // ids made in the rolled-back transaction are gone
        return false;
    };
    Stmt tick(db_, "insert or ignore into ticks (t) values (?)");
    tick.bind(1, batch.time);
    if (tick.step() != SQLITE_DONE)
        return fail();
    Stmt row(db_, "insert or ignore into samples values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    if (!row.ok())
        return fail();
    for (const TActivitySample& s : batch.samples) {
        const std::int64_t ids[] = {NameId(nkUser, s.user),       NameId(nkProgram, s.program),
                                    NameId(nkMachine, s.machine), NameId(nkSql, s.sqlId),
                                    NameId(nkEvent, s.event),     NameId(nkWaitClass, s.waitClass)};
        for (const std::int64_t id : ids)
            if (id < 0)
                return fail();
        row.bind(1, batch.time);
        row.bind(2, s.sid);
        row.bind(3, s.serial);
        for (int i = 0; i < 6; ++i)
            row.bindId(4 + i, ids[i]);
        row.bind(10, s.onCpu ? 1 : 0);
        row.bindId(11, s.blocker);
        if (row.step() != SQLITE_DONE)
            return fail();
        row.reset();
    }
    code = sqlite3_exec(db_, "commit", nullptr, nullptr, nullptr);
    if (code != SQLITE_OK)
        return fail();
    samplesWritten_ += static_cast<std::int64_t>(batch.samples.size());
    return true;
}

bool THistoryStore::DropOldest(double fraction) {
    std::int64_t first = 0, last = 0;
    {
        Stmt span(db_, "select min(t), max(t) from ticks");
        if (span.step() != SQLITE_ROW || sqlite3_column_type(span.get(), 0) == SQLITE_NULL)
            return false;
        first = span.integer(0);
        last = span.integer(1);
    }
    const auto cutoff =
        first + 1 + static_cast<std::int64_t>(static_cast<double>(last - first) * fraction);
    Stmt samples(db_, "delete from samples where t < ?");
    samples.bind(1, cutoff);
    if (samples.step() != SQLITE_DONE)
        return false;
    const int dropped = sqlite3_changes(db_);
    Stmt ticks(db_, "delete from ticks where t < ?");
    ticks.bind(1, cutoff);
    ticks.step();
    return dropped > 0 || sqlite3_changes(db_) > 0;
}

void THistoryStore::KeepLimits(std::int64_t now) {
    THistoryLimits limits;
    {
        std::lock_guard lock(mutex_);
        if (lastLimitCheck_ != 0 && now - lastLimitCheck_ < kLimitCheckSeconds &&
            now >= lastLimitCheck_)
            return;
        lastLimitCheck_ = now;
        limits = limits_;
    }
    ApplyPageLimit();
    // Retention: samples older than the window go.
    const std::int64_t oldest = now - static_cast<std::int64_t>(limits.retentionHours) * 3600;
    for (const char* sql : {"delete from samples where t < ?", "delete from ticks where t < ?"}) {
        Stmt drop(db_, sql);
        drop.bind(1, oldest);
        drop.step();
    }
    // The size cap: the pages in use (freed pages are used again) stay under nine tenths of it.
    const std::int64_t pageSize = pragmaValue(db_, "pragma page_size");
    auto used = [&] {
        return (pragmaValue(db_, "pragma page_count") - pragmaValue(db_, "pragma freelist_count")) *
               pageSize;
    };
    for (int i = 0; i < 8 && used() > limits.maxBytes / 10 * 9; ++i)
        if (!DropOldest(0.1))
            break;
    // Free disk space: below the margin the file stops growing; freed pages are used again.
    if (!inMemory_.load()) {
        const QStorageInfo disk(QFileInfo(QString::fromStdString(path_)).absolutePath());
        if (disk.isValid() && disk.bytesAvailable() >= 0 &&
            disk.bytesAvailable() < limits.minFreeDiskBytes) {
            const std::string sql =
                "pragma max_page_count = " + std::to_string(pragmaValue(db_, "pragma page_count"));
            sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
            Report(Trouble::DiskLow, "The disk of the activity history file " + path_ +
                                         " is nearly full; the file does not grow any more and "
                                         "keeps the latest samples only.");
        }
    }
}

void THistoryStore::Run() {
    {
        std::lock_guard db(dbMutex_);
        if (!OpenFile())
            OpenMemory();
    }
    std::unique_lock lock(mutex_);
    opened_ = true;
    busy_ = false;
    idle_.notify_all();
    for (;;) {
        wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
        if (queue_.empty())
            return; // quit with nothing left
        TActivityBatch batch = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        lock.unlock();
        if (!stopped_.load()) {
            std::lock_guard db(dbMutex_);
            KeepLimits(batch.time);
            int code = SQLITE_OK;
            if (!WriteBatch(batch, code)) {
                if (code == SQLITE_FULL) {
                    // Make room by dropping the oldest quarter, then try once more.
                    if (DropOldest(0.25) && WriteBatch(batch, code)) {
                        Report(Trouble::Full, "The activity history file " + path_ +
                                                  " is full; the oldest samples were dropped.");
                    } else {
                        stopped_.store(true);
                        Report(Trouble::Full, "The activity history file " + path_ +
                                                  " is full and has no older samples to drop; "
                                                  "no more samples are written.");
                    }
                } else if (code == SQLITE_BUSY || code == SQLITE_LOCKED) {
                    Report(Trouble::Write, "The activity history file " + path_ +
                                               " stayed locked by another program; samples "
                                               "were dropped.");
                } else if (!inMemory_.load()) {
                    // A file that went bad or read-only under us: go on in memory.
                    const std::string why = sqlite3_errstr(code);
                    Report(Trouble::Unusable, "The activity history file " + path_ +
                                                  " cannot be used (" + why +
                                                  "); the history is kept in memory until "
                                                  "Quenby closes.");
                    OpenMemory();
                    WriteBatch(batch, code);
                }
            }
        }
        lock.lock();
        busy_ = false;
        idle_.notify_all();
    }
}

} // namespace history
