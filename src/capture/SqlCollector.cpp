#include "capture/SqlCollector.h"

#include "monitor/RememberedSettings.h"
#include "util/TextHelpers.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace capture {

std::string KindCaption(int kind) {
    static const char* captions[fkCount] = {"Session", "User",   "Osuser", "Machine",    "Terminal",
                                            "Program", "Module", "Action", "Client Info"};
    return kind >= 0 && kind < fkCount ? captions[kind] : std::string();
}

std::string TSqlCollector::LogPath() const {
    return def.logDir + "/" + def.logFileName;
}

TDateTime TSqlCollector::WindowStart() const {
    return util::fromDayNumber(def.startDate) + def.startHour / 24.0 + def.startMinute / 1440.0;
}

namespace {

// The column a kind from User to Client Info compares, behind its table alias.
const char* kindColumn(int kind) {
    switch (kind) {
    case fkOsuser:
        return "osuser";
    case fkMachine:
        return "machine";
    case fkTerminal:
        return "terminal";
    case fkProgram:
        return "program";
    case fkModule:
        return "module";
    case fkAction:
        return "action";
    case fkClientInfo:
        return "client_info";
    default:
        return nullptr;
    }
}

// A session id is a decimal number; it goes into the statements unquoted.
bool isSid(const std::string& value) {
    if (value.empty() || value.size() > 18)
        return false;
    for (char c : value)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

std::string CaptureCondition(const TCollectorDefinition& def) {
    if (def.kind == fkSession && isSid(def.value))
        return " s.saddr=" + util::sqlQuoted(def.sessionAddress) + " and s.sid=" + def.value;
    if (def.kind == fkUser)
        return " oc.user_name=" + util::sqlQuoted(util::upperAscii(def.value));
    if (const char* column = kindColumn(def.kind))
        return std::string(" s.") + column + "=" + util::sqlQuoted(def.value);
    return "1<>1";
}

std::string FetchFilter(const TCollectorDefinition& def) {
    const std::string head = " fetchtime>:fetchtime  and ";
    if (def.kind == fkSession)
        return isSid(def.value)
                   ? head + "saddr=" + util::sqlQuoted(def.sessionAddress) + " and sid=" + def.value
                   : std::string();
    if (def.kind == fkUser)
        return head + "tot.user_name=" + util::sqlQuoted(util::upperAscii(def.value));
    if (const char* column = kindColumn(def.kind))
        return head + "tot." + column + "=" + util::sqlQuoted(def.value);
    return {};
}

TPeriodDisplay PeriodDisplay(int seconds) {
    TPeriodDisplay d;
    if (seconds < 60)
        d = {seconds, 0};
    if (seconds > 59 && seconds < 3600)
        d = {seconds / 60, 1};
    if (seconds > 3540)
        d = {seconds / 3600, 2};
    return d;
}

int PeriodSeconds(int entry, int unit) {
    static const int factors[3] = {1, 60, 3600};
    return entry * factors[unit >= 0 && unit < 3 ? unit : 0];
}

namespace {

const QString kLogDirKey = QStringLiteral("Capture/LastLogDir");

} // namespace

std::string LogDirProblem(const std::string& dir) {
    const QString path = QString::fromStdString(dir).trimmed();
    if (path.isEmpty())
        return "No log folder is given: choose the folder the SQL log file goes to.";
    const QFileInfo info(path);
    const std::string named = "The log folder " + path.toStdString();
    if (!info.exists())
        return named + " does not exist: create it or choose another one.";
    if (!info.isDir())
        return named + " is a file, not a folder: choose a folder.";
    // Creating a file is the only sure test: permission bits say nothing for root, for
    // read-only mounts or for kernel file systems such as /proc.
    QTemporaryFile probe(QDir(path).filePath(QStringLiteral(".quenby-probe-XXXXXX")));
    if (!probe.open())
        return "No file can be created in the log folder " + path.toStdString() + " (" +
               probe.errorString().toStdString() + "): choose a folder you may write to.";
    return {};
}

std::string DefaultLogDir() {
    return monitor::RememberedFolder(
               kLogDirKey,
               [] {
                   // No documents folder: the program's data folder, made when missing.
                   const QString data =
                       QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
                   return !data.isEmpty() && QDir().mkpath(data) ? data : QDir::homePath();
               })
        .toStdString();
}

void RememberLogDir(const std::string& dir) {
    monitor::RememberFolder(kLogDirKey, QString::fromStdString(dir));
}

bool NameClashes(const std::string& name, const std::vector<std::string>& names) {
    const QString wanted = QString::fromStdString(name).trimmed();
    for (const std::string& other : names)
        if (QString::fromStdString(other).trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace capture
