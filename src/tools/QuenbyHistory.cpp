// quenby-history: prints what an instance was doing in a time range, from the activity history
// that Quenby keeps: the top sessions, SQL and events with their shares of the samples, aligned
// or as CSV. The same summary as the Activity page (history::SummarizeActivity).
#include "history/ActivitySummary.h"
#include "history/HistoryStore.h"
#include "util/TextHelpers.h"
#include "util/Version.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <cstdio>
#include <iostream>
#include <optional>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "usage: quenby-history [--from TIME] [--to TIME] [--csv] DBNAME\n"
    "       quenby-history --help | --version\n"
    "  Prints the top sessions, top SQL and top events of the instance DBNAME between the two\n"
    "  times, each with its share of the active-session samples that Quenby recorded, from\n"
    "  the activity history in ~/.local/share/quenby/history/DBNAME.db (a DBNAME holding '/'\n"
    "  is the path of a history file).\n"
    "  TIME is HH:MM[:SS] (the latest such time not after now, or not after --to) or\n"
    "  YYYY-MM-DD HH:MM[:SS], in local time. --to is now, --from an hour before --to, by\n"
    "  default.\n"
    "Options:\n"
    "  --from TIME    the start of the range\n"
    "  --to TIME      the end of the range (excluded)\n"
    "  --csv          print one comma-separated table (RFC 4180) with a LIST column\n"
    "  -h, --help     print this help and exit\n"
    "  -v, --version  print the version of quenby-history and of Qt and exit\n"
    "Exit status:\n"
    "  0  the summary was printed (or the help or the version was printed)\n"
    "  1  the history could not be read; the error is printed on standard error\n"
    "  2  the command line could not be used; the usage is printed on standard error\n";

struct Args {
    std::string from, to, db;
    bool csv = false, help = false, version = false;
};

std::optional<Args> parse(const std::vector<std::string>& argv) {
    Args a;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& arg = argv[i];
        if (arg == "--help" || arg == "-h")
            a.help = true;
        else if (arg == "--version" || arg == "-v")
            a.version = true;
        else if (arg == "--csv")
            a.csv = true;
        else if ((arg == "--from" || arg == "--to") && i + 1 < argv.size())
            (arg == "--from" ? a.from : a.to) = argv[++i];
        else if (arg.rfind("--from=", 0) == 0)
            a.from = arg.substr(7);
        else if (arg.rfind("--to=", 0) == 0)
            a.to = arg.substr(5);
        else if (arg.rfind("-", 0) == 0 || !a.db.empty())
            return std::nullopt;
        else
            a.db = arg;
    }
    if (!a.help && !a.version && a.db.empty())
        return std::nullopt;
    return a;
}

// A time of the command line as local date and time. A time of day alone is the latest such
// instant not after `notAfter`.
std::optional<QDateTime> parseTime(const std::string& text, const QDateTime& notAfter) {
    const QString t = QString::fromStdString(text).trimmed();
    for (const char* format :
         {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-ddTHH:mm"}) {
        const QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(format));
        if (dt.isValid())
            return dt;
    }
    for (const char* format : {"HH:mm:ss", "HH:mm", "H:mm"}) {
        const QTime time = QTime::fromString(t, QString::fromLatin1(format));
        if (!time.isValid())
            continue;
        QDateTime dt(notAfter.date(), time);
        if (dt > notAfter)
            dt = dt.addDays(-1);
        return dt;
    }
    return std::nullopt;
}

using util::csvField;

std::string percentText(double percent) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", percent);
    return buf;
}

std::size_t width(const std::string& s) {
    std::size_t w = 0;
    for (unsigned char c : s)
        w += (c & 0xC0) != 0x80;
    return w;
}

void printAligned(const char* title, const std::vector<std::string>& columns,
                  const std::vector<history::TTopEntry>& entries) {
    std::vector<std::vector<std::string>> rows{columns};
    for (const history::TTopEntry& e : entries) {
        std::vector<std::string> row = e.keys;
        row.push_back(std::to_string(e.samples));
        row.push_back(percentText(e.percent));
        rows.push_back(std::move(row));
    }
    std::vector<std::size_t> widths(columns.size());
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], width(row[i]));
    std::cout << '\n' << title << '\n';
    const std::size_t numbers = columns.size() - 2; // SAMPLES and PERCENT align right
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            const std::string pad(widths[i] - width(row[i]), ' ');
            if (i)
                line += ' ';
            line += i >= numbers ? pad + row[i] : row[i] + (i + 1 < row.size() ? pad : "");
        }
        std::cout << line << '\n';
    }
    if (entries.empty())
        std::cout << "(no samples)\n";
}

void printCsv(const history::TActivitySummary& s) {
    std::cout
        << "LIST,SID,SERIAL#,USER,PROGRAM,MACHINE,SQL_ID,EVENT,WAIT_CLASS,SAMPLES,PERCENT\r\n";
    auto line = [](const char* list, const std::vector<std::string>& cells,
                   const history::TTopEntry& e) {
        std::cout << list;
        for (const std::string& c : cells)
            std::cout << ',' << csvField(c);
        std::cout << ',' << e.samples << ',' << percentText(e.percent) << "\r\n";
    };
    for (const auto& e : s.sessions)
        line("session", {e.keys[0], e.keys[1], e.keys[2], e.keys[3], e.keys[4], "", "", ""}, e);
    for (const auto& e : s.sql)
        line("sql", {"", "", "", "", "", e.keys[0], "", ""}, e);
    for (const auto& e : s.events)
        line("event", {"", "", "", "", "", "", e.keys[0], e.keys[1]}, e);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    const std::optional<Args> a = parse(args);
    if (!a) {
        std::cerr << kUsage;
        return 2;
    }
    if (a->help) {
        std::cout << kUsage;
        return 0;
    }
    if (a->version) {
        std::cout << "quenby-history " << util::kProgramVersion << " (Qt " << qVersion() << ")\n";
        return 0;
    }
    const QDateTime now = QDateTime::currentDateTime();
    std::optional<QDateTime> to = a->to.empty() ? std::optional(now) : parseTime(a->to, now);
    if (!to) {
        std::cerr << "quenby-history: Cannot read the time '" << a->to << "'.\n" << kUsage;
        return 2;
    }
    std::optional<QDateTime> from =
        a->from.empty() ? std::optional(to->addSecs(-3600)) : parseTime(a->from, *to);
    if (!from) {
        std::cerr << "quenby-history: Cannot read the time '" << a->from << "'.\n" << kUsage;
        return 2;
    }
    const std::string path =
        a->db.find('/') != std::string::npos ? a->db : history::THistoryStore::DefaultPath(a->db);
    if (!QFileInfo::exists(QString::fromStdString(path))) {
        std::cerr << "quenby-history: No activity history of " << a->db << " (" << path << ").\n";
        return 1;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::cerr << "quenby-history: " << path << ": " << (db ? sqlite3_errmsg(db) : "") << "\n";
        sqlite3_close(db);
        return 1;
    }
    sqlite3_busy_timeout(db, 5000);
    history::TActivitySummary s;
    try {
        s = history::SummarizeActivity(db, from->toSecsSinceEpoch(), to->toSecsSinceEpoch());
    } catch (const std::exception& e) {
        std::cerr << "quenby-history: " << path << ": " << e.what() << "\n";
        sqlite3_close(db);
        return 1;
    }
    sqlite3_close(db);
    if (a->csv) {
        printCsv(s);
        return 0;
    }
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    char average[32];
    std::snprintf(average, sizeof average, "%.2f", s.averageActive);
    std::cout << "Activity of " << a->db << " from " << from->toString(format).toStdString()
              << " to " << to->toString(format).toStdString() << ": " << s.samples
              << " active-session samples at " << s.instants << " sampling instants, " << average
              << " active sessions on average\n";
    printAligned("Top sessions", history::TopColumns(history::TTopList::Sessions), s.sessions);
    printAligned("Top SQL", history::TopColumns(history::TTopList::Sql), s.sql);
    printAligned("Top events", history::TopColumns(history::TTopList::Events), s.events);
    return 0;
}
